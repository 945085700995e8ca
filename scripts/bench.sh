#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR/..
# Builds the benchmarks and runs them under Wine, then prints one table. Every figure is a ratio
# against a reference measured side by side in the same run (the contenders in turn, round after
# round), given as the minimum and the median of the rounds; absolute times are in milliseconds.
# A contender that fails in a round loses that round only: its row counts the failed rounds, the
# table lists why, and the run goes on; a part that ends early keeps the rows it printed. The
# table is printed whatever happens (also when the run is interrupted), and the exit status is 1
# when any round or part failed.
#
#   scripts/bench.sh [--runs=N] [--list-window-runs=N] [--extra=N] [--only=PART,...]
#
#   --runs=N    counted rounds of each figure after one warm-up round (default 9; for the list
#               windows on screen, default below); given, it sets the list windows' rounds too.
#               Fewer than 5 make a smoke run: it shows that every row runs, its figures say nothing
#   --list-window-runs=N  counted rounds of the list windows on screen alone
#   --extra=N   how many extra services make the larger system for the list load, the command
#               line, the list window on screen and the windows' answers while a list loads
#               (default 300; 0 leaves that part out). The footprint with a list of 3,000
#               entries registers as many as it needs.
#   --only=...  only these parts: startup, footprint, program-end, fill, load, command-line,
#               slow-start (three 3-s services, against the naive program doing the same job),
#               many-start (20 services that start at once), list-window (a list window on
#               screen against a bare program with the same controls, and against one with a
#               plain list), responsiveness (the windows' answers during a wait, and where the
#               time from the last service getting there to the box goes), extra (the list load,
#               command line, list window and answers while a list loads, with the extra
#               services), entries (the footprint with a list of 3,000 entries, against the bare
#               WMI list program listing the same services); all of them by default.
#               list-window and responsiveness also run their part with the extra services.
#
# It builds quenlow.exe as released (MinSizeRel) with the benchmarks in a build tree of its own
# (QUENLOW_BENCH_BUILD_DIR, default build/bench) on QUENLOW_BUILD_JOBS cores (default 2), and runs
# them in that tree's own Wine prefix (with a virtual desktop), on its own Xvfb (the first free
# display from QUENLOW_XVFB_FIRST_DISPLAY, default 50) with a persistent wineserver. On the way out
# it removes the services it registered and ends that wineserver and that Xvfb, by PID and for
# its own prefix only. Run it when the machine is otherwise idle: it is shared and noisy.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

default_runs=9
# The list windows against the same controls made the plain way: single rounds scatter from about
# 0.6 to over 2 against medians near 1.0, and at 5-9 rounds two runs disagreed on up to two of the
# six verdicts. The default is to be the least number of rounds at which two full runs on an idle
# machine agree on each of the six (their rows print the range that holds the median): 25 until
# such runs say otherwise.
default_list_window_runs=25
runs=
list_window_runs=
extra=300
only=
for argument in "$@"; do
    case $argument in
    --runs=*) runs=${argument#--runs=} ;;
    --list-window-runs=*) list_window_runs=${argument#--list-window-runs=} ;;
    --extra=*) extra=${argument#--extra=} ;;
    --only=*) only=${argument#--only=} ;;
    *) echo "usage: $0 [--runs=N] [--list-window-runs=N] [--extra=N] [--only=PART,...]" >&2; exit 2 ;;
    esac
done
list_window_runs=${list_window_runs:-${runs:-$default_list_window_runs}}
runs=${runs:-$default_runs}
# True when the part is to run.
wanted() { [[ -z $only || ",$only," == *",$1,"* ]]; }
if ! [[ $runs =~ ^[1-9][0-9]*$ && $list_window_runs =~ ^[1-9][0-9]*$ && $extra =~ ^[0-9]+$ ]]; then
    echo "bench: --runs and --list-window-runs take a number of at least 1, --extra a number" >&2
    exit 2
fi

"$root/scripts/install-deps.sh"

build=${QUENLOW_BENCH_BUILD_DIR:-$root/build/bench}
echo "bench: building in $build"
mkdir -p "$build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DQUENLOW_BENCH=ON >"$build/bench-configure.log" 2>&1 ||
    { cat "$build/bench-configure.log" >&2; exit 1; }
cmake --build "$build" -j "${QUENLOW_BUILD_JOBS:-2}" --target quenlow_bench

export QUENLOW_WINE_STATE="$build/wine"
fixtures="$root/tests/wine/fixtures"
# shellcheck source=tests/wine/fixtures/common.sh
source "$fixtures/common.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/quenlow-bench.XXXXXX")
results="$work/results.tsv"
: >"$results"

quenlow="$build/quenlow.exe"
window="$build/bench/quenlow_bench_window.exe"
wmi_command="$build/bench/quenlow_bench_wmi_command.exe"
wmi_window="$build/bench/quenlow_bench_wmi_window.exe"
wmi_list="$build/bench/quenlow_bench_wmi_list.exe"
wmi_same_controls="$build/bench/quenlow_bench_wmi_same_controls.exe"
list_bench="$build/bench/quenlow_list_bench.exe"
process_bench="$build/bench/quenlow_process_bench.exe"
register="$build/tests/wine/register_test_services.exe"
service_program="$build/tests/wine/quenlow_test_service.exe"
# A test service of the Wine tests: an own-process service that starts and stops at once.
service=QuenlowTestA

# The table of every row, then the failed rounds and the parts that ended early.
print_table() {
    echo
    echo "Quenlow benchmarks, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(wine --version 2>/dev/null)," \
        "commit $(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown)"
    echo "Ratios are A / B pair by pair over the rounds ($runs; the list windows on screen $list_window_runs);" \
        "times in ms (median / min); a verdict judges the median."
    echo "\"r med 95%\" holds the median ratio with about 95 % confidence (from 6 rounds on); \"unsure\" marks a" \
        "verdict whose range holds its target. \"rounds\": those measured / those run. \"-\": not measured."
    ((runs >= 5)) || echo "A smoke run of $runs rounds: it shows that every row runs; its figures say nothing."
    awk -F'\t' '
function number(value, format) { return value == "-" ? "-" : sprintf(format, value) }
function judged(value, target) { return value == "-" ? "FAILED" : (value + 0 <= target ? "met" : "MISSED") }
function unsure(target, low, high) { return low != "-" && low + 0 <= target && target < high + 0 ? ", unsure" : "" }
function failures(a, b) {
    if (a + b == 0) return ""
    return " (failed rounds:" (a > 0 ? " A " a : "") (b > 0 ? " B " b : "") ")"
}
function goal(target) { return target > 0 ? sprintf("<=%.2f", target) : "info" }
BEGIN {
    printf "%-68s  %-36s  %-19s  %-19s  %6s  %6s  %-13s  %7s  %7s  %s\n", "Figure (A)", "Reference (B)",
        "A median / min", "B median / min", "r min", "r med", "r med 95%", "rounds", "target", "verdict"
}
# The programs end their lines as Windows programs do, in CR LF.
{ sub(/\r$/, "") }
$1 == "RATIO" {
    target = $16 + 0
    verdict = target <= 0 ? "-" : judged($13, target) ($13 == "-" ? "" : unsure(target, $14, $15))
    range = $14 == "-" ? "-" : sprintf("%.2f-%.2f", $14, $15)
    printf "%-68s  %-36s  %8s / %-8s  %8s / %-8s  %6s  %6s  %-13s  %7s  %7s  %s%s\n", $2, $3, number($9, "%.1f"),
        number($8, "%.1f"), number($11, "%.1f"), number($10, "%.1f"), number($12, "%.2f"), number($13, "%.2f"), range,
        ($5 == $4 ? $4 : $5 "/" $4), goal(target), verdict, failures($6, $7)
}
$1 == "VALUE" {
    target = $5 + 0
    verdict = target <= 0 ? "-" : judged($3, target)
    rounds = $6 == "-" ? "" : ($7 == 0 ? $6 : ($6 - $7) "/" $6)
    printf "%-68s  %-36s  %8s %-10s  %19s  %6s  %6s  %-13s  %7s  %7s  %s%s\n", $2, "", number($3, "%.2f"), $4, "", "",
        "", "", rounds, goal(target), verdict, ($7 > 0 ? " (failed rounds: " $7 ")" : "")
}
$1 == "FAILURE" { failed[++failedCount] = sprintf("  %s: %s, round %s: %s", $2, $3, $4, $5) }
$1 == "ENDED" { ended[++endedCount] = sprintf("  %s: status %s: %s", $2, $3, $4) }
END {
    if (failedCount > 0) {
        print "\nFailed rounds (each counted on its rows above):"
        for (i = 1; i <= failedCount; ++i) print failed[i]
    }
    if (endedCount > 0) {
        print "\nParts that ended early (their rows above hold what they measured before):"
        for (i = 1; i <= endedCount; ++i) print ended[i]
    }
}' "$results"
}

server_started=
display_started=
table_printed=
cleanup() {
    local status=$?
    if [[ -z $table_printed && -s $results ]]; then
        echo "bench: ended early; what was measured:" >&2
        print_table
    fi
    if [[ -n $server_started ]]; then
        wine "$process_bench" uninstall-extra </dev/null >/dev/null 2>&1 || true
        wine "$register" uninstall </dev/null >/dev/null 2>&1 || true
        bash "$fixtures/wineserver.sh" stop >/dev/null || status=1
    fi
    if [[ -n $display_started ]]; then
        bash "$fixtures/display.sh" stop >/dev/null || true
    fi
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

bash "$fixtures/display.sh" start
display_started=1
DISPLAY=":$(cat "$state/display")"
export DISPLAY
bash "$fixtures/prefix.sh"
bash "$fixtures/wineserver.sh" start
server_started=1

# Wine's helper processes keep the output of the program that started them open: each program
# writes to files of its own. Figure and failure lines go to the results; the rest is shown as it
# is. A part that fails ends there, the rows it printed stay, and the run goes on: the part is
# listed under the table with the last thing it said.
step=0
step_status=0
run() {
    step=$((step + 1))
    step_status=0
    wine "$@" </dev/null >"$work/$step.out" 2>"$work/$step.err" || step_status=$?
    grep -E '^(RATIO|VALUE|FAILURE)' "$work/$step.out" >>"$results" || true
    grep -vE '^(RATIO|VALUE|FAILURE)' "$work/$step.out" || true
    cat "$work/$step.err" >&2
    if ((step_status != 0)); then
        local part
        part="$(basename "$1" .exe) $2"
        for argument in "${@:3}"; do
            [[ $argument == --label=* || $argument == --case=* ]] && part+=" ${argument#--}"
        done
        local said
        said=$(grep -v '^[[:space:]]*$' "$work/$step.err" | tail -n 1)
        printf 'ENDED\t%s\t%s\t%s\n' "$part" "$step_status" "$said" >>"$results"
        echo "bench: $part failed with status $step_status; the run goes on" >&2
    fi
}
# A step that every part needs: the run cannot go on without it.
run_setup() {
    run "$@"
    if ((step_status != 0)); then
        exit 1
    fi
}

run_setup "$register" install
if wanted startup; then
    run "$process_bench" startup --quenlow="$quenlow" --window="$window" --runs="$runs"
fi
if wanted footprint; then
    run "$process_bench" footprint --quenlow="$quenlow" --window="$window" --wmi-window="$wmi_window"
    run "$list_bench" footprint --entries=3000
fi
if wanted program-end; then
    run "$process_bench" program-end --quenlow="$quenlow" --window="$window" --runs="$runs"
fi
if wanted fill; then
    run "$list_bench" fill --runs="$runs"
fi
if wanted load; then
    run "$list_bench" load --runs="$runs"
fi
if wanted command-line; then
    run "$process_bench" command-line --quenlow="$quenlow" --wmi-command="$wmi_command" --service="$service" \
        --runs="$runs"
fi
if wanted slow-start; then
    run "$process_bench" slow-start --quenlow="$quenlow" --wmi-command="$wmi_command" \
        --service-program="$service_program" --runs="$runs"
fi
if wanted many-start; then
    run "$process_bench" many-start --quenlow="$quenlow" --wmi-command="$wmi_command" \
        --service-program="$service_program" --count=20 --runs="$runs"
fi
if wanted list-window; then
    run "$process_bench" list-window --quenlow="$quenlow" --wmi-list="$wmi_list" \
        --wmi-same-controls="$wmi_same_controls" --runs="$list_window_runs"
fi
if wanted responsiveness; then
    run "$process_bench" responsiveness --case=slow-start --quenlow="$quenlow" --service-program="$service_program" \
        --runs="$runs"
fi
if ((extra > 0)) && { wanted extra || wanted list-window || wanted responsiveness; }; then
    larger="+$extra services"
    run "$process_bench" install-extra --count="$extra" --service-program="$service_program"
    if wanted extra; then
        run "$list_bench" load --runs="$runs" --label="$larger"
        run "$process_bench" command-line --quenlow="$quenlow" --wmi-command="$wmi_command" --service="$service" \
            --runs="$runs" --label="$larger"
    fi
    if wanted extra || wanted list-window; then
        run "$process_bench" list-window --quenlow="$quenlow" --wmi-list="$wmi_list" \
            --wmi-same-controls="$wmi_same_controls" --runs="$list_window_runs" --label="$larger"
    fi
    if wanted extra || wanted responsiveness; then
        run "$process_bench" responsiveness --case=load --quenlow="$quenlow" --runs="$runs" --label="$larger"
    fi
fi
if wanted entries; then
    # The real program with 3,000 stopped services listed, beside the bare WMI list program
    # showing the same services, and the bare program with the same controls; the extra services
    # make up the number.
    run "$process_bench" footprint-entries --entries=3000 --quenlow="$quenlow" --wmi-list="$wmi_list" \
        --wmi-same-controls="$wmi_same_controls" --service-program="$service_program"
fi
run "$process_bench" uninstall-extra


table_printed=1
print_table
if grep -qE '^(FAILURE|ENDED)' "$results"; then
    echo "bench: some rounds or parts failed (listed under the table)" >&2
    exit 1
fi
