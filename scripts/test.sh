#!/usr/bin/env bash
# Builds and runs every test: the portable core's unit tests natively (preset "native") and
# under AddressSanitizer and UBSan (preset "asan"), short runs of the fuzzers (preset "fuzz"),
# then quenlow.exe and its Windows-side tests under Wine (preset "win64"). Installs what is missing
# first. Ends with each ctest summary and exits non-zero if anything failed.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root" || exit 1
"$root/scripts/install-deps.sh" || exit 1

jobs=${QUENLOW_BUILD_JOBS:-2}
logs=$(mktemp -d "${TMPDIR:-/tmp}/quenlow-test.XXXXXX")
trap 'rm -rf "$logs"' EXIT

failed=0
passed_total=0
failed_total=0
summaries=()

run_preset() {
    local preset=$1 started=$SECONDS line
    echo "=== $preset: configure and build"
    if ! cmake --preset "$preset" >"$logs/$preset.configure" 2>&1; then
        cat "$logs/$preset.configure"
        summaries+=("$preset: configure failed")
        failed=1
        return
    fi
    if ! cmake --build --preset "$preset" -j "$jobs"; then
        summaries+=("$preset: build failed")
        failed=1
        return
    fi
    echo "=== $preset: ctest"
    ctest --preset "$preset" 2>&1 | tee "$logs/$preset.ctest"
    local status=${PIPESTATUS[0]}
    line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$logs/$preset.ctest" | tail -n 1)
    if [[ $line =~ ([0-9]+)\ tests?\ failed\ out\ of\ ([0-9]+) ]]; then
        failed_total=$((failed_total + BASH_REMATCH[1]))
        passed_total=$((passed_total + BASH_REMATCH[2] - BASH_REMATCH[1]))
    fi
    summaries+=("$preset: ${line:-ctest gave no summary} ($((SECONDS - started)) s)")
    if ((status != 0)); then
        failed=1
    fi
}

run_preset native
run_preset asan
run_preset fuzz
run_preset win64

echo
echo "=== summary"
printf '%s\n' "${summaries[@]}"
echo "$passed_total passed, $failed_total failed"
exit "$failed"
