#!/usr/bin/env bash
# Builds quenlow.exe (preset "win64") and runs it under Wine with the arguments given, e.g.
#   scripts/run.sh                 the windows
#   scripts/run.sh /start spooler  start a service by its short name
# Wine joins the arguments into one command line. The program gets a Wine prefix of its own in
# build/wine-run (made on first use) and the current X display, or a private Xvfb when there is
# none. Exits with quenlow.exe's own exit status.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/install-deps.sh"

cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "${QUENLOW_BUILD_JOBS:-2}" --target quenlow

export QUENLOW_WINE_STATE="$root/build/wine-run"
fixtures="$root/tests/wine/fixtures"
bash "$fixtures/prefix.sh"
export WINEPREFIX="$QUENLOW_WINE_STATE/prefix" WINEDEBUG=-all

private_display=
if [[ -z ${DISPLAY:-} ]]; then
    bash "$fixtures/display.sh" start
    private_display=$(cat "$QUENLOW_WINE_STATE/display")
    export DISPLAY=":$private_display"
    echo "run: no DISPLAY; using a private Xvfb on :$private_display"
    echo "run: see it with: DISPLAY=:$private_display import -window root shot.png"
    echo "run: answer a message box with: DISPLAY=:$private_display xdotool key Return"
    # On the way out: this prefix's Wine processes first, then the Xvfb this script started.
    trap 'wineserver -k >/dev/null 2>&1 || true; bash "$fixtures/display.sh" stop >/dev/null' EXIT
fi

# Wine's helper processes keep the output they inherit open: give them a file, not our output.
status=0
wine "$root/build/win64/quenlow.exe" "$@" </dev/null >>"$QUENLOW_WINE_STATE/wine.log" 2>&1 || status=$?
echo "run: quenlow.exe exited with status $status"
exit "$status"
