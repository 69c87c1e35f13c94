#!/usr/bin/env bash
# Debian's Prometheus server scrapes `vantric --serve` once a second on loopback; its query API
# must then give a busy program's processor rate as the kernel counts it, the machine's memory
# as /proc/meminfo gives it and its processors' seconds as the processors pass them. A scrape
# also passes `promtool check metrics`. Every process started here is stopped by its pid.
# Argument: the vantric program.
set -euo pipefail

program="$1"
work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Waits up to 30 s for a command to succeed.
await() {
    for _ in $(seq 300); do
        if "$@"; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# GET of a path on a loopback port through bash alone, the body on standard output. In a
# subshell, which a refused connection ends.
get() (
    exec 3<>"/dev/tcp/127.0.0.1/$1"
    printf 'GET %s HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n' "$2" >&3
    sed '1,/^\r$/d' <&3
)

prometheus_ready() {
    get "$prometheus_port" /-/ready 2>/dev/null | grep -q Ready
}

# A value Prometheus gives for a PromQL expression: the first sample of the instant query.
query() {
    promtool query instant "http://127.0.0.1:$prometheus_port" "$1" |
        sed -n 's/^.* => \([^ ]*\) @\[.*$/\1/p' | head -n 1
}

# The busy program's processor ticks as the kernel counts them (utime + stime of its stat).
kernel_ticks() {
    local fields
    read -r -a fields < <(sed 's/^.*) //' "/proc/$busy/stat")
    echo $((fields[11] + fields[12]))
}

# A program of a name of its own that keeps one processor busy.
ln -s "$(command -v bash)" "$work/busy-loop"
"$work/busy-loop" -c 'while :; do :; done' &
busy=$!
pids+=("$busy")

"$program" --serve 0 2>"$work/vantric.log" &
pids+=("$!")
await grep -q '^vantric: serving' "$work/vantric.log" || fail "vantric did not start: $(cat "$work/vantric.log")"
vantric_port="$(sed -n 's|^vantric: serving http://127.0.0.1:\([0-9]*\)/metrics$|\1|p' "$work/vantric.log")"

get "$vantric_port" /metrics >"$work/scrape.txt"
promtool check metrics <"$work/scrape.txt" || fail "promtool check metrics"

cat >"$work/prometheus.yml" <<YAML
global:
  scrape_interval: 1s
  scrape_timeout: 1s
scrape_configs:
  - job_name: vantric
    static_configs:
      - targets: ['127.0.0.1:$vantric_port']
YAML
promtool check config "$work/prometheus.yml" >/dev/null || fail "promtool check config"

# A free port for Prometheus: one nothing answers on, tried again should another take it first.
for attempt in 1 2 3 4 5; do
    prometheus_port=$((20000 + RANDOM % 30000))
    if (exec 3<>"/dev/tcp/127.0.0.1/$prometheus_port") 2>/dev/null; then
        continue
    fi
    prometheus --config.file="$work/prometheus.yml" --storage.tsdb.path="$work/data" \
        --web.listen-address="127.0.0.1:$prometheus_port" --log.level=warn \
        2>"$work/prometheus.log" &
    prometheus_pid=$!
    pids+=("$prometheus_pid")
    if await prometheus_ready; then
        break
    fi
    [ "$attempt" -lt 5 ] || fail "Prometheus did not start: $(tail -n 5 "$work/prometheus.log")"
done

# A few scrapes, the kernel's count of the busy program's time around them.
scraping() {
    [ "$(query 'up{job="vantric"}')" = 1 ]
}
await scraping || fail "Prometheus does not scrape vantric"
ticks_before="$(kernel_ticks)"
start=$EPOCHREALTIME
sleep 6
kernel_rate="$(awk -v ticks=$(($(kernel_ticks) - ticks_before)) -v hz="$(getconf CLK_TCK)" \
    -v seconds="$(awk -v from="$start" -v to="$EPOCHREALTIME" 'BEGIN { print to - from }')" \
    'BEGIN { printf "%.3f", ticks / hz / seconds }')"

busy_id='process:busy-loop'
app_rate="$(query "rate(vantric_app_cpu_seconds_total{id=\"$busy_id\"}[5s])")"
echo "busy-loop: Prometheus rate $app_rate, kernel $kernel_rate processors"
[ -n "$app_rate" ] || fail "no series for $busy_id: $(grep busy "$work/scrape.txt" || true)"
echo "$app_rate $kernel_rate" | awk '{ d = $1 - $2; exit !(d < 0.15 && d > -0.15) }' ||
    fail "the busy program's rate $app_rate is not the kernel's $kernel_rate"

memory="$(query 'vantric_memory_total_bytes')"
meminfo=$(($(sed -n 's/^MemTotal: *\([0-9]*\) kB$/\1/p' /proc/meminfo) * 1024))
echo "memory: Prometheus $memory, /proc/meminfo $meminfo bytes"
[ "$(printf '%.0f' "$memory")" = "$meminfo" ] || fail "memory total $memory, not $meminfo"
classes="$(query 'sum(vantric_memory_bytes)')"
echo "$classes $memory" | awk '{ exit !($1 <= $2) }' ||
    fail "the memory classes add up to $classes, past the total $memory"

processors="$(query 'sum(rate(vantric_cpu_seconds_total[5s]))')"
echo "processor seconds per second: $processors of $(nproc) processors"
echo "$processors $(nproc)" | awk '{ exit !($1 > 0.8 * $2 && $1 < 1.05 * $2) }' ||
    fail "the processors pass $processors seconds a second, not about $(nproc)"
# The README's quick look: the five applications that use the most processor time.
top="$(promtool query instant "http://127.0.0.1:$prometheus_port" \
    'topk(5, sum by (instance, name) (irate(vantric_app_cpu_seconds_total{id!="other"}[1m])))')"
echo "top five by processor:"
echo "$top"
[[ "$top" == *'name="busy-loop"'* ]] || fail "the busy program is not among the five"
