#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR/..
# Takes the README's screenshots of Quenlow's four windows, of its progress window and of the
# question a stop held by running dependents asks, and writes them, each cropped to its window, to
# docs/screenshots/: splash.png, stopped-services.png, active-services.png, all-services.png,
# progress.png and dependents-question.png.
#
#   scripts/screenshots.sh
#
# Installs what is missing and builds quenlow.exe (preset "win64") if needed, then runs it in a
# Wine prefix of its own (build/screenshots/prefix, made on first use, with a Wine virtual
# desktop) on its own Xvfb (the first free display from QUENLOW_XVFB_FIRST_DISPLAY, default 110)
# with a persistent wineserver, and drives it with xdotool as a user would: over the splash
# window's margin, Tab and Space to the buttons that switch windows, Space to tick two entries,
# Alt+F4 to close. For the progress window it registers two slow test services of its own
# (register_test_services install-slow-pair), ticks them and presses Start, then Stop Waiting; no
# other service changes state, and the two are removed again. The question is shown by
# show_dependents_question.exe, the real program's windows on made-up services, in-process. On
# the way out it ends that program, that wineserver and that Xvfb, by PID and for its own prefix
# only. A run that fails leaves the pictures in docs/screenshots/ as they were and keeps the
# screen at the moment of failure in build/screenshots/shots/failure.png.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
"$root/scripts/install-deps.sh"

mkdir -p "$root/build/screenshots"
cmake --preset win64 >"$root/build/screenshots/configure.log" 2>&1 ||
    { cat "$root/build/screenshots/configure.log" >&2; exit 1; }
cmake --build --preset win64 -j "${QUENLOW_BUILD_JOBS:-2}" --target quenlow register_test_services quenlow_test_service \
    show_dependents_question
register_test_services="$root/build/win64/tests/wine/register_test_services.exe"

export QUENLOW_WINE_STATE="$root/build/screenshots"
export QUENLOW_XVFB_FIRST_DISPLAY=${QUENLOW_XVFB_FIRST_DISPLAY:-110}
fixtures="$root/tests/wine/fixtures"
# shellcheck source=tests/wine/fixtures/common.sh
source "$fixtures/common.sh"
log() { printf 'screenshots: %s\n' "$*"; }

out="$root/docs/screenshots"
work="$state/shots"
mkdir -p "$out"
rm -rf "$work"
mkdir -p "$work"

bash "$fixtures/prefix.sh"
# Wine draws the title-bar buttons with Marlett and prefers Tahoma for dialog texts, as Windows
# does; this Wine does not load them from its own font folder, only from the prefix's.
for font in marlett.ttf tahoma.ttf tahomabd.ttf; do
    if [[ -f /usr/share/wine/fonts/$font && ! -f $WINEPREFIX/drive_c/windows/Fonts/$font ]]; then
        cp /usr/share/wine/fonts/$font "$WINEPREFIX/drive_c/windows/Fonts/"
    fi
done

# The program being driven, and its PID.
program=quenlow.exe
quenlow_pid=
cleanup() {
    local status=$?
    if [[ -n $quenlow_pid ]] && pid_runs "$quenlow_pid" "$program"; then
        end_pid "$quenlow_pid"
        log "ended $program (PID $quenlow_pid)"
    fi
    bash "$fixtures/wineserver.sh" stop || status=1
    bash "$fixtures/display.sh" stop || status=1
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

bash "$fixtures/display.sh" start >/dev/null
DISPLAY=":$(cat "$state/display")"
export DISPLAY
bash "$fixtures/wineserver.sh" start >/dev/null
log "Xvfb $DISPLAY, prefix $WINEPREFIX"

fail() {
    log "$*" >&2
    import -window root "$work/failure.png" 2>/dev/null && log "the screen at that moment: $work/failure.png" >&2
    exit 1
}

# The X window of the visible Win32 window with this exact caption (Wine makes each top-level
# window of the virtual desktop an X window of its own, named by its caption). Waits up to 30 s.
window_id() {
    local caption=$1 id i
    for ((i = 0; i < 300; i++)); do
        id=$(xdotool search --onlyvisible --name "^$caption\$" 2>/dev/null | head -n 1 || true)
        if [[ -n $id ]]; then
            # Let the window take the keyboard focus before any key is sent.
            sleep 0.3
            echo "$id"
            return 0
        fi
        pid_runs "$quenlow_pid" "$program" || fail "$program ended while waiting for \"$caption\""
        sleep 0.1
    done
    fail "no window \"$caption\" within 30 s"
}

# Fails when a window with this caption is visible: a message box means a step went wrong.
expect_no_window() {
    if [[ -n $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true) ]]; then
        fail "unexpected window \"$1\" (a message box?)"
    fi
}

window_gone() {
    local id=$1 i
    for ((i = 0; i < 100; i++)); do
        xwininfo -id "$id" 2>/dev/null | grep -q 'IsViewable' || return 0
        sleep 0.1
    done
    fail "window $id still visible after 10 s"
}

# Prints "x y width height" of an X window, on the screen.
geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
        /^ +Width:/ {w = $NF} /^ +Height:/ {h = $NF} END {print x, y, w, h}'
}

# The pointer rests outside Wine's desktop, so that no control shows a hover state.
park_pointer() { xdotool mousemove 1270 1010; }

# Writes the window's pixels, title bar and frame included, once two grabs in a row agree (the
# window has finished painting), as a PNG without metadata and with a palette: these windows use
# few colours, and the splash logo's gradient shows no banding at 256.
capture() {
    local id=$1 name=$2 previous='' current='' i
    park_pointer
    for ((i = 0; i < 50; i++)); do
        sleep 0.3
        import -window "$id" "$work/$name.grab.png"
        current=$(convert "$work/$name.grab.png" rgb:- | md5sum)
        [[ $current == "$previous" ]] && break
        previous=$current
    done
    [[ $current == "$previous" ]] || fail "window $id of $name.png kept changing"
    save_grab "$name"
}

# The grab as a small PNG, as capture makes it.
save_grab() {
    convert "$work/$1.grab.png" -strip -dither None -colors 256 -define png:compression-level=9 \
        "PNG8:$work/$1.png"
    log "took $1.png ($(identify -format '%wx%h' "$work/$1.png"))"
}

# Keys go to the active window of Wine's desktop.
keys() {
    xdotool key --delay 80 "$@"
    sleep 0.3
}

# The two slow services of an earlier run that failed must not show in the lists.
bash "$root/tests/wine/run-under-wine.sh" "$register_test_services" uninstall >/dev/null

wine "$root/build/win64/quenlow.exe" </dev/null >"$state/quenlow.log" 2>&1 &
quenlow_pid=$!

# 1. The splash window (its caption is the application's title, though it shows no title bar).
splash=$(window_id Quenlow)
capture "$splash" splash

# 2. The pointer comes in from outside across the splash window's margin: the stopped services
# window opens and the splash closes.
read -r x y _ height < <(geometry "$splash")
xdotool mousemove $((x - 20)) $((y + height / 2))
sleep 0.3
xdotool mousemove $((x + 6)) $((y + height / 2))
stopped=$(window_id 'Stopped Services')
window_gone "$splash"

# 3. Tab order: the list, Start, Active Services. Nothing is ticked, so even a wrong button
# would change no service.
keys Tab Tab space
active=$(window_id 'Active Services List')
window_gone "$stopped"
expect_no_window Quenlow
capture "$active" active-services

# 4. Tab order: the list, All Services. The all services window opens over the active one.
keys Tab space
all=$(window_id 'All Services List')
expect_no_window Quenlow
capture "$all" all-services

# 5. Its Close hides it and shows the stopped services window again, freshly loaded.
keys Tab space
window_gone "$all"
stopped=$(window_id 'Stopped Services')

# 6. Space ticks the entry with the focus (the first), Down moves the focus: the first and
# the third entries ticked, the third selected. Start is not pressed.
keys space Down Down space
expect_no_window Quenlow
capture "$stopped" stopped-services

# 7. The progress window: two slow services are registered, the list is read again (Refresh is
# last in the tab order; the ticks go with the old entries), Tab goes back to the list, Q finds
# the first of the two (no other stopped service's name begins with it), Space ticks both, and
# Enter presses Start. The window's bar moves and its lines count the seconds, so it is taken once,
# two seconds into the wait, without waiting for it to stand still. Enter presses Stop Waiting,
# then answers the report.
bash "$root/tests/wine/run-under-wine.sh" "$register_test_services" install-slow-pair >/dev/null
keys shift+Tab space
expect_no_window Quenlow
keys Tab q space Down space Return
progress=$(window_id Quenlow)
sleep 1.7
park_pointer
import -window "$progress" "$work/progress.grab.png"
save_grab progress
keys Return
window_gone "$progress"
report=$(window_id Quenlow)
keys Return
window_gone "$report"
bash "$root/tests/wine/run-under-wine.sh" "$register_test_services" uninstall >/dev/null

# 8. Alt+F4 closes the stopped services window, then the active services window; with no window
# visible any more (the all services window is only hidden), the program ends by itself.
keys alt+F4
window_gone "$stopped"
keys alt+F4
window_gone "$active"
for ((i = 0; i < 100; i++)); do
    pid_runs "$quenlow_pid" quenlow.exe || break
    sleep 0.1
done
pid_runs "$quenlow_pid" quenlow.exe && fail "quenlow.exe still running after its last window closed"
status=0
wait "$quenlow_pid" || status=$?
quenlow_pid=
log "quenlow.exe ended by itself after its last window closed (exit status $status)"

# 9. The question: show_dependents_question.exe opens the active services window, ticks Print
# Spooler and presses Stop; the made-up services refuse that stop while two that depend on it run.
# The splash window (captioned Quenlow too) has gone once the active services window is up. Return
# answers the question with its default, No, then the report, and the program ends.
program=show_dependents_question.exe
wine "$root/build/win64/tests/wine/$program" </dev/null >"$state/question.log" 2>&1 &
quenlow_pid=$!
window_id 'Active Services List' >/dev/null
sleep 0.5
question=$(window_id Quenlow)
capture "$question" dependents-question
keys Return
window_gone "$question"
report=$(window_id Quenlow)
keys Return
window_gone "$report"
status=0
wait "$quenlow_pid" || status=$?
quenlow_pid=
[[ $status == 0 ]] || fail "$program ended with status $status"

# Only a complete run replaces the committed pictures.
for name in splash stopped-services active-services all-services progress dependents-question; do
    cp "$work/$name.png" "$out/$name.png"
    log "wrote docs/screenshots/$name.png ($(stat -c %s "$out/$name.png") bytes)"
done
