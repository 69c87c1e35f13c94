#!/usr/bin/env bash
# What the window costs beside top: runs `vantric` headless with the Overview shown and
# `top -b -d 1` side by side for a while, beside about 400 extra idle processes, and prints each
# one's processor milliseconds per second and resident memory.
#
#   bench/window_cost.sh [BUILD_DIR] [SECONDS]     (defaults: build/default, 60)
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build/default}"
seconds="${2:-60}"
program="$build/app/vantric"
[ -x "$program" ] || { echo "no $program: build first" >&2; exit 1; }

started=()
stop_all() {
    for pid in "${started[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
}
trap stop_all EXIT

for _ in $(seq 400); do
    sleep 100000 &
    started+=("$!")
done

QT_QPA_PLATFORM=offscreen "$program" --screenshot /dev/null --readings 100000 &
window=$!
started+=("$window")
top -b -d 1 >/dev/null &
top_pid=$!
started+=("$top_pid")

ticks=$(getconf CLK_TCK)
# utime + stime, fields 14 and 15 of /proc/PID/stat (the name in field 2 may hold spaces).
cpu_ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
resident_mib() { awk '/^VmRSS/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status"; }

# Let both start up before measuring; the figures are for the steady state.
sleep 5
window_start=$(cpu_ticks "$window")
top_start=$(cpu_ticks "$top_pid")
sleep "$seconds"
window_end=$(cpu_ticks "$window")
top_end=$(cpu_ticks "$top_pid")

per_second() { awk -v a="$1" -v b="$2" -v t="$ticks" -v s="$seconds" \
    'BEGIN { printf "%.1f", (b - a) * 1000 / t / s }'; }
window_ms=$(per_second "$window_start" "$window_end")
top_ms=$(per_second "$top_start" "$top_end")
printf "%d processes in /proc\n" "$(ls -d /proc/[0-9]* | wc -l)"
printf "%-28s %12s %12s\n" program "CPU ms/s" "resident MiB"
printf "%-28s %12s %12s\n" "vantric (window, offscreen)" "$window_ms" "$(resident_mib "$window")"
printf "%-28s %12s %12s\n" "top -b -d 1" "$top_ms" "$(resident_mib "$top_pid")"
awk -v w="$window_ms" -v t="$top_ms" \
    'BEGIN { if (t > 0) printf "window / top: %.2f (target at most 1.2)\n", w / t }'
