#!/usr/bin/env bash
# tavctl against what an operator writes today: the same work on simulated loggers that each
# answer after a fixed delay, done by tavctl with --jobs 1, 8 and 39, and one logger after
# another by a shell loop over nc, side by side in one run; and tavctl's peak resident
# memory at 39 sessions at once.
#
#   bench/tavctl.sh                                  build in build-rel, run
#   BUILD_DIR=build-x LOGGERS=39 DELAY_MS=200 QUIET_MS=300 RUNS=3 bench/tavctl.sh
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/${BUILD_DIR:-build-rel}"
loggers="${LOGGERS:-39}"
delay_ms="${DELAY_MS:-200}"
quiet_ms="${QUIET_MS:-300}"
runs="${RUNS:-3}"

# The loop's tools: netcat-openbsd for nc, GNU time for the peak memory.
for need in nc:netcat-openbsd /usr/bin/time:time; do
    if ! command -v "${need%%:*}" >/dev/null; then
        if [ "$(id -u)" = 0 ]; then
            apt-get update -qq
            DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need#*:}" </dev/null
        else
            echo "This benchmark needs ${need#*:} first: sudo apt-get install -y ${need#*:}" >&2
            exit 1
        fi
    fi
done

echo "== build ($build, Release)"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"${JOBS:-1}" --target tavctl tav-sim >/dev/null
tavctl="$build/src/tavctl/tavctl"

tmp="$(mktemp -d)"
sim_pid=
trap '[ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; rm -rf "$tmp"' EXIT

"$build/tools/tav-sim/tav-sim" --loggers "$loggers" --base-port 0 --delay "$delay_ms" \
    --trace-interval 0 >"$tmp/listening" 2>/dev/null &
sim_pid=$!
while [ "$(wc -l <"$tmp/listening")" -lt "$loggers" ]; do
    kill -0 "$sim_pid" || { echo "tav-sim did not start" >&2; exit 1; }
    sleep 0.1
done
: >"$tmp/loggers.txt"
while read -r _ name address; do
    printf 'LOGGER:%s,127.0.0.1,%s\r\n' "$name" "${address##*:}" >>"$tmp/loggers.txt"
done <"$tmp/listening"

# What tavctl waits for a reply (the logger's delay, then its quiet time) is what the loop
# sleeps after each frame; after the goodbye both give the logger half a second to close.
reply_wait="$(awk -v d="$delay_ms" -v q="$quiet_ms" 'BEGIN { printf "%.3f", (d + q) / 1000 }')"
shell_loop() {
    local _ name address
    mkdir -p "$tmp/nc"
    while read -r _ name address; do
        { printf 'TAV@01'; sleep "$reply_wait"; printf 'TAV@07'; sleep "$reply_wait"
          printf 'TAV@02'; sleep 0.5; } | nc -q 0 127.0.0.1 "${address##*:}" >"$tmp/nc/$name.txt"
    done <"$tmp/listening"
}

now() { date +%s.%N; }
# seconds LABEL COMMAND...: runs it, appends "LABEL seconds" to the figures.
seconds() {
    local label=$1 start end
    shift
    start="$(now)"
    "$@"
    end="$(now)"
    awk -v n="$label" -v a="$start" -v b="$end" 'BEGIN { printf "%s %.3f\n", n, b - a }' >>"$tmp/figures"
}

echo "== machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "== $loggers loggers answering after $delay_ms ms; tavctl --quiet $quiet_ms; loop sleeps" \
    "$reply_wait s per reply ($runs runs, medians)"
: >"$tmp/figures"
for ((run = 1; run <= runs; ++run)); do
    seconds "shell-loop" shell_loop
    for jobs in 1 8 "$loggers"; do
        seconds "tavctl-jobs-$jobs" \
            "$tavctl" --list "$tmp/loggers.txt" --quiet "$quiet_ms" --jobs "$jobs" --json version \
            >"$tmp/tavctl-$jobs.jsonl"
    done
done

# Every logger answered its version, both ways.
answered="$(grep -c 'Version TAV-3' "$tmp/tavctl-$loggers.jsonl" || true)"
looped="$(cat "$tmp/nc"/*.txt | grep -c 'Version TAV-3' || true)"
echo "  answers with the version: tavctl $answered/$loggers, shell loop $looped/$loggers"

# Median and every run of each, in the order run, and the speed-up over the shell loop.
awk '{ runs[$1] = runs[$1] " " $2; if (!($1 in seen)) { seen[$1] = 1; order[++n] = $1 } }
     END {
         printf "  %-16s %9s %9s   %s\n", "", "median s", "speed-up", "runs (s)"
         for (i = 1; i <= n; ++i) {
             k = split(runs[order[i]], v, " ")
             for (a = 1; a <= k; ++a) for (b = a + 1; b <= k; ++b) if (v[b] < v[a]) { t = v[a]; v[a] = v[b]; v[b] = t }
             median[i] = v[int((k + 1) / 2)]
         }
         for (i = 1; i <= n; ++i)
             printf "  %-16s %9.2f %8.1fx  %s\n", order[i], median[i], median[1] / median[i], runs[order[i]]
     }' "$tmp/figures"

for jobs in 1 "$loggers"; do
    /usr/bin/time -f '%M' -o "$tmp/rss-$jobs" \
        "$tavctl" --list "$tmp/loggers.txt" --quiet "$quiet_ms" --jobs "$jobs" version >/dev/null
done
echo "  tavctl peak resident memory: $(cat "$tmp/rss-$loggers") KiB with $loggers sessions at" \
    "once, $(cat "$tmp/rss-1") KiB with one at a time"
