#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR/..
# Builds the benchmarks and runs them under Wine, then prints one table. Every figure is a ratio
# against a reference measured side by side in the same run (the contenders in turn, round after
# round), given as the minimum and the median of the rounds; absolute times are in milliseconds.
#
#   scripts/bench.sh [--runs=N] [--extra=N] [--only=PART,...]
#
#   --runs=N    counted rounds of each figure after one warm-up round (default 9, at least 5)
#   --extra=N   how many extra services make the larger system for the list load, the command
#               line, the list window on screen and the windows' answers while a list loads
#               (default 300; 0 leaves that part out). The footprint with a list of 3,000
#               entries registers as many as it needs.
#   --only=...  only these parts: startup, footprint, program-end, fill, load, command-line,
#               slow-start, many-start (20 services that start at once), list-window (a list
#               window on screen against a bare program with the same controls, and against one
#               with a plain list), responsiveness (the windows' answers during a wait), extra
#               (the list load, command line, list window and answers while a list loads, with
#               the extra services), entries (the footprint with a list of 3,000 entries,
#               against the bare WMI list program listing the same services); all of them by
#               default. list-window and responsiveness also run their part with the extra
#               services.
#
# It builds quenlow.exe as released (MinSizeRel) with the benchmarks in a build tree of its own
# (QUENLOW_BENCH_BUILD_DIR, default build/bench) on QUENLOW_BUILD_JOBS cores (default 2), and runs
# them in that tree's own Wine prefix (with a virtual desktop), on its own Xvfb (the first free
# display from QUENLOW_XVFB_FIRST_DISPLAY, default 50) with a persistent wineserver. On the way out
# it removes the services it registered and ends that wineserver and that Xvfb, by PID and for
# its own prefix only. Run it when the machine is otherwise idle: it is shared and noisy.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

runs=9
extra=300
only=
for argument in "$@"; do
    case $argument in
    --runs=*) runs=${argument#--runs=} ;;
    --extra=*) extra=${argument#--extra=} ;;
    --only=*) only=${argument#--only=} ;;
    *) echo "usage: $0 [--runs=N] [--extra=N] [--only=PART,...]" >&2; exit 2 ;;
    esac
done
# True when the part is to run.
wanted() { [[ -z $only || ",$only," == *",$1,"* ]]; }
if ! [[ $runs =~ ^[0-9]+$ && $runs -ge 5 && $extra =~ ^[0-9]+$ ]]; then
    echo "bench: --runs takes a number of at least 5, --extra a number" >&2
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

server_started=
display_started=
cleanup() {
    local status=$?
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
# writes to files of its own. Figure lines go to the results; the rest is shown as it is.
step=0
run() {
    step=$((step + 1))
    local status=0
    wine "$@" </dev/null >"$work/$step.out" 2>"$work/$step.err" || status=$?
    grep -E '^(RATIO|VALUE)' "$work/$step.out" >>"$results" || true
    grep -vE '^(RATIO|VALUE)' "$work/$step.out" || true
    cat "$work/$step.err" >&2
    if ((status != 0)); then
        echo "bench: $(basename "$1") $2 failed with status $status" >&2
        exit 1
    fi
}

run "$register" install
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
    run "$process_bench" slow-start --quenlow="$quenlow" --service-program="$service_program" --runs="$runs"
fi
if wanted many-start; then
    run "$process_bench" many-start --quenlow="$quenlow" --wmi-command="$wmi_command" \
        --service-program="$service_program" --count=20 --runs="$runs"
fi
if wanted list-window; then
    run "$process_bench" list-window --quenlow="$quenlow" --wmi-list="$wmi_list" \
        --wmi-same-controls="$wmi_same_controls" --runs="$runs"
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
            --wmi-same-controls="$wmi_same_controls" --runs="$runs" --label="$larger"
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

echo
echo "Quenlow benchmarks, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(wine --version 2>/dev/null)"
echo "Ratios are A / B pair by pair over $runs rounds; times in ms (median / min); a verdict judges the median."
awk -F'\t' '
function verdict(value, target) { return target <= 0 ? "-" : (value <= target ? "met" : "MISSED") }
function goal(target) { return target > 0 ? sprintf("<=%.2f", target) : "info" }
BEGIN {
    printf "%-68s  %-36s  %-19s  %-19s  %6s  %6s  %7s  %s\n", "Figure (A)", "Reference (B)", "A median / min",
        "B median / min", "r min", "r med", "target", "verdict"
}
$1 == "RATIO" {
    printf "%-68s  %-36s  %8.1f / %-8.1f  %8.1f / %-8.1f  %6.2f  %6.2f  %7s  %s\n", $2, $3, $6 + 0, $5 + 0, $8 + 0,
        $7 + 0, $9 + 0, $10 + 0, goal($11 + 0), verdict($10 + 0, $11 + 0)
}
$1 == "VALUE" {
    printf "%-68s  %-36s  %8.2f %-10s  %19s  %6s  %6s  %7s  %s\n", $2, "", $3 + 0, $4, "", "", "", goal($5 + 0),
        verdict($3 + 0, $5 + 0)
}' "$results"
