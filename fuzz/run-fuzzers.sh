#!/usr/bin/env bash
# Builds the libFuzzer targets in build-fuzz (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a fixed time on a scratch copy
# of its seed corpus, so the repository's corpus never grows.
#   fuzz/run-fuzzers.sh [SECONDS]   seconds per target, default 60
# Exits non-zero when a target crashes, leaks, hangs, breaks one of its checks
# or prints any sanitizer report; the failing input is kept under
# build-fuzz/fuzz-artifacts/TARGET/.
set -euo pipefail

seconds=${1:-60}
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 [SECONDS]   (a whole number of seconds per target)" >&2
    exit 2
fi

repo="$(cd "$(dirname "$0")/.." && pwd)"
build="$repo/build-fuzz"
targets=(fuzz_loggerlist fuzz_replyframer fuzz_frames)

CC=clang CXX=clang++ cmake -S "$repo" -B "$build" -DMIRVANE_FUZZ=ON -DMIRVANE_SANITIZE=ON \
    -DMIRVANE_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target "${targets[@]}" -j"${JOBS:-1}"

# Any report ends the run: leaks are looked for, and undefined behaviour aborts.
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=1:print_stacktrace=1"
export UBSAN_OPTIONS="halt_on_error=1:abort_on_error=1:print_stacktrace=1"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

failed=()
summary=()
for target in "${targets[@]}"; do
    corpus="$scratch/$target/corpus"
    artifacts="$build/fuzz-artifacts/$target"
    log="$scratch/$target/log"
    rm -rf "$artifacts"
    mkdir -p "$corpus" "$artifacts"
    cp "$repo/fuzz/corpus/$target/"* "$corpus/"

    echo "== $target: ${seconds} s"
    start=$(date +%s.%N)
    status=0
    # -timeout: one input running this long counts as a hang.
    "$build/fuzz/$target" "$corpus" -max_total_time="$seconds" -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$artifacts/" >"$log" 2>&1 || status=$?
    end=$(date +%s.%N)

    runs=$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\).*/\1/p' "$log" | tail -n 1)
    elapsed=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", b - a }')
    line=$(printf '%-18s %6s s %12s executions' "$target" "$elapsed" "${runs:-?}")

    if [ "$status" -ne 0 ] ||
        grep -qE 'ERROR: (Address|Leak|UndefinedBehavior)Sanitizer|runtime error:|SUMMARY: |INVARIANT BROKEN|deadly signal|ALARM: working on the last Unit' \
            "$log"; then
        echo "$target FAILED (exit $status); its output:" >&2
        grep -vE '^#[0-9]+ +(NEW|REDUCE|pulse|RELOAD)' "$log" | tail -n 60 >&2
        echo "failing input kept in $artifacts/" >&2
        failed+=("$target")
        line="$line   FAILED"
    fi
    summary+=("$line")
done

echo
echo "target             run time   executions"
printf '%s\n' "${summary[@]}"
if [ "${#failed[@]}" -gt 0 ]; then
    echo "FAILED: ${failed[*]}" >&2
    exit 1
fi
echo "all fuzz targets ran clean"
