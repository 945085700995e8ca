#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# Runs a Windows program under Wine in the prefix and on the display that the fixtures prepared,
# with no standard input, and exits with the program's own exit status.
set -euo pipefail
# shellcheck source=fixtures/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/fixtures/common.sh"

if [[ ! -f $state/display ]]; then
    echo "run-under-wine: no display recorded in $state; run the tests through ctest" >&2
    exit 1
fi
DISPLAY=":$(cat "$state/display")"
export DISPLAY

# Wine's helper processes (services, the desktop) inherit the output of the program that starts
# them and keep it open after it has ended, so a pipe would never close: go through files.
output=$(mktemp -d "${TMPDIR:-/tmp}/quenlow-wine.XXXXXX")
trap 'rm -rf "$output"' EXIT
status=0
wine "$@" </dev/null >"$output/stdout" 2>"$output/stderr" || status=$?
cat "$output/stdout"
cat "$output/stderr" >&2
exit "$status"
