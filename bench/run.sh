#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them all, printing each figure next to
# the baseline measured in the same run and the ratio between them.
#
#   bench/run.sh                      build in build-rel, run everything
#   BUILD_DIR=build-x bench/run.sh    another build folder
#   REPS=5 RUNS=10 FLOOD_RUNS=3 FLOOD_LINES=100000 JOBS=1   (the defaults)
#   OUTSIDE_ROUNDS=5                  rounds of the flood measured from outside the console
#   BASELINE_CONSOLE=/path/mirvane    another build of the console, measured side by side
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/${BUILD_DIR:-build-rel}"
reps="${REPS:-5}"
runs="${RUNS:-10}"
flood_runs="${FLOOD_RUNS:-3}"
flood_lines="${FLOOD_LINES:-100000}"
jobs="${JOBS:-1}"
outside_rounds="${OUTSIDE_ROUNDS:-5}"

# Google Benchmark is only needed here, not by the console or its tests.
if ! dpkg -s libbenchmark-dev >/dev/null 2>&1; then
    if [ "$(id -u)" = 0 ]; then
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq libbenchmark-dev </dev/null
    else
        echo "The framer and list benchmarks need Google Benchmark first:" >&2
        echo "  sudo apt-get install -y libbenchmark-dev" >&2
        exit 1
    fi
fi

echo "== build ($build, Release, -j$jobs)"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$jobs" \
    --target mirvane minimal_window startup_bench flood_bench framer_bench list_bench \
    console_flood_bench >/dev/null

echo "== machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"

# Medians of google-benchmark repetitions (CSV on stdout) as "name real cpu unit".
medians() {
    "$@" --benchmark_repetitions="$reps" --benchmark_report_aggregates_only=true \
        --benchmark_format=csv 2>/dev/null |
        awk -F, '$1 ~ /_median"$/ { gsub(/"/, "", $1); sub(/_median$/, "", $1); print $1, $3, $4, $5 }'
}

# ratio NAME BASELINE FILE: prints both medians and NAME's time as a multiple of BASELINE's.
ratio() {
    awk -v a="$1" -v b="$2" '
        $1 == a { ar = $2; ac = $3; u = $4 }
        $1 == b { br = $2; bc = $3 }
        END {
            printf "  %-28s %10.3f %s real %10.3f %s cpu\n", a, ar, u, ac, u
            printf "  %-28s %10.3f %s real %10.3f %s cpu\n", b, br, u, bc, u
            printf "  %s / %s: %.2fx real, %.2fx cpu\n", a, b, ar / br, ac / bc
        }' "$3"
}

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

echo
echo "== framer: reply framer against a memchr line split of the same stream ($reps repetitions, medians)"
medians "$build/bench/framer_bench" >"$tmp/framer"
ratio Framer MemchrSplit "$tmp/framer"
# Judged on CPU time: on a shared machine real time also counts waiting for a core.
awk '$1 == "Framer" { fr = $2; fc = $3 } $1 == "MemchrSplit" { mr = $2; mc = $3 }
     END { s = mc / fc; printf "  framer speed = %.2f of the split by cpu time, %.2f by real time (goal >= 0.50: %s)\n",
           s, mr / fr, (s >= 0.5 ? "met" : "MISSED") }' "$tmp/framer"

echo
echo "== logger list: parseLoggerList against a memchr line + comma split and a plain copy ($reps repetitions, medians)"
medians "$build/bench/list_bench" >"$tmp/list"
for input in loggers39 lines100k twoMegEntries twoMegNoSeparators; do
    echo " $input"
    ratio "Parse/$input" "MemchrSplit/$input" "$tmp/list"
    awk -v a="Parse/$input" -v b="Copy/$input" '
        $1 == a { ac = $3 } $1 == b { bc = $3; u = $4 }
        END { printf "  %-28s %10.3f %s cpu; %s / %s: %.1fx cpu\n", b, bc, u, a, b, ac / bc }' "$tmp/list"
done

echo
echo "== start-up and memory: mirvane (39 loggers) against minimal_window"
"$build/bench/startup_bench" "$build/bench/minimal_window" "$build/src/mirvane" "$runs"

# Instructions do not depend on how busy the machine is: a steadier second view of start-up.
if command -v valgrind >/dev/null; then
    echo "  instructions to the first paint (callgrind, one run each):"
    printf 'FTPSERVER:tavupdate,tav2019,ftp.example.net\r\n' >"$tmp/loggers.txt"
    for n in $(seq 1 39); do
        printf 'LOGGER:Site %d weir,192.0.2.%d,%d\r\n' "$n" "$n" $((4001 + n % 4)) >>"$tmp/loggers.txt"
    done
    for program in "$build/bench/minimal_window" "$build/src/mirvane"; do
        (cd "$tmp" && QT_QPA_PLATFORM=offscreen MIRVANE_EXIT_AFTER_SHOW=1 \
            valgrind --tool=callgrind --callgrind-out-file=/dev/null "$program" 2>&1 |
            awk -v p="$(basename "$program")" '/Collected :/ { print p, $NF }')
    done >"$tmp/instructions"
    awk '{ n[NR] = $2; printf "    %-16s %12d\n", $1, $2 }
         END { printf "    ratio %.2fx\n", n[2] / n[1] }' "$tmp/instructions"
fi

echo
echo "== flood: $flood_lines reply lines into the window over loopback ($flood_runs runs)"
worst=0
for ((i = 1; i <= flood_runs; ++i)); do
    out="$("$build/bench/flood_bench" "$flood_lines" 2>/dev/null || true)"
    gap="$(awk -F': ' '/^longest event-loop gap/ { print $2 + 0 }' <<<"$out")"
    rate="$(awk -F': ' '/^lines per second/ { print $2 }' <<<"$out")"
    shown="$(grep -q '+END shown' <<<"$out" && echo shown || echo MISSING)"
    echo "  run $i: $rate lines/s, last line $shown, longest event-loop gap $gap ms"
    grep -E '^  from|^longest gap in' <<<"$out" | sed 's/^ */    /'
    worst="$(awk -v a="$worst" -v b="$gap" 'BEGIN { print ((b > a) ? b : a) }')"
done
awk -v w="$worst" 'BEGIN { printf "  worst gap %.1f ms (goal < 100 ms: %s)\n", w, (w < 100 ? "met" : "MISSED") }'

# The console as its own process, under an X server, driven through its menus with xdotool.
echo
echo "== flood measured from outside the console ($outside_rounds interleaved rounds)"
if command -v xvfb-run >/dev/null && command -v xdotool >/dev/null; then
    consoles=("$build/src/mirvane")
    if [ -n "${BASELINE_CONSOLE:-}" ]; then
        consoles=("$BASELINE_CONSOLE" "${consoles[@]}")
    fi
    outside() {
        xvfb-run -a -s "-screen 0 1280x1024x24" \
            "$build/bench/console_flood_bench" --rounds "$outside_rounds" "$@" "${consoles[@]}" |
            sed -n '/^flood:/p; /^machine:/p; /^medians/,$p'
    }
    outside --lines 180000 --log off,on
    outside --lines 5000000 --log off
else
    echo "  skipped: needs xvfb-run and xdotool (sudo apt-get install -y xvfb xdotool)"
fi
echo
BUILD_DIR="${BUILD_DIR:-build-rel}" JOBS="$jobs" "$root/bench/tavctl.sh"
