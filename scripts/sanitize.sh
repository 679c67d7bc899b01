#!/usr/bin/env bash
# Builds the whole test suite (console, simulator, integration) with
# AddressSanitizer and UndefinedBehaviorSanitizer in build-asan and runs it
# headless. Any sanitizer report fails the run: a failing test, or a report from
# any process the tests start (the simulator included), whatever its exit code.
#   scripts/sanitize.sh [ctest arguments...]   e.g. scripts/sanitize.sh -R LoggerList
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
build="$repo/build-asan"
reports="$build/sanitizer-reports"

export QT_QPA_PLATFORM=offscreen
# Every report also lands in reports/<tool>.<pid>, so one from a child process
# whose exit code nobody looks at is still seen below.
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:print_stacktrace=1:check_initialization_order=1:strict_init_order=1:log_path=$reports/asan:log_exe_name=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$reports/ubsan:log_exe_name=1"

cmake -S "$repo" -B "$build" -DMIRVANE_SANITIZE=ON -DMIRVANE_TESTS=ON \
    -DCMAKE_BUILD_TYPE=Debug >/dev/null
rm -rf "$reports"
mkdir -p "$reports"
# The build runs the test programs too (test discovery), under the same options.
cmake --build "$build" -j"${JOBS:-1}"
if compgen -G "$reports/*" >/dev/null; then
    echo "Sanitizer reports while building (test discovery):" >&2
    cat "$reports"/* >&2
    exit 1
fi

status=0
(cd "$build" && ctest --output-on-failure -j"${JOBS:-1}" --timeout 300 "$@") || status=$?

if compgen -G "$reports/*" >/dev/null; then
    echo "Sanitizer reports:" >&2
    for report in "$reports"/*; do
        echo "---- $(basename "$report")" >&2
        cat "$report" >&2
    done
    exit 1
fi
if [ "$status" -ne 0 ]; then
    echo "ctest failed (exit $status)" >&2
    exit "$status"
fi
echo "sanitized test suite passed with no sanitizer report"
