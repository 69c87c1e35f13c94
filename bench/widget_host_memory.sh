#!/usr/bin/env bash
# The widget host's resident memory with the four widgets placed, after their first timelines
# have been drawn. Runs on the offscreen platform, or on DISPLAY when one is set, with settings
# and sockets in a temporary home so that the user's own widgets are left alone.
#
#   bench/widget_host_memory.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build/default}"
seconds="${2:-10}"
host="$build/platform/widget_host/vantric-widget-host"
plugin="$build/widgets/extension/libVantricWidget.so"

scratch="$(mktemp -d)"
trap 'kill "${pid:-}" 2>/dev/null || true; rm -rf "$scratch"' EXIT
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
if [[ -z "${DISPLAY:-}" ]]; then
    export QT_QPA_PLATFORM=offscreen
fi

for kind in cpu memory gpu overview; do
    "$host" --plugin "$plugin" --add "$kind"
done
"$host" --plugin "$plugin" >/dev/null 2>&1 &
pid=$!
sleep "$seconds"
awk '/^VmRSS:/ {rss = $2} /^VmHWM:/ {peak = $2}
     END {printf "widget host, four widgets: resident %.1f MiB (peak %.1f MiB)\n", rss / 1024, peak / 1024}' \
    "/proc/$pid/status"
