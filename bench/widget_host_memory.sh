#!/usr/bin/env bash
# The widget host's memory with the four widgets placed, after their first timelines have been
# drawn, on each display it can use here, in one run: layer surfaces on a headless sway, and X11
# windows on Xvfb (the path GNOME takes through XWayland). Settings and sockets live in a
# temporary folder, so that the user's own widgets are left alone. Sway refuses to run as root;
# as root, the sway session runs as the user vantric-wl, made for it.
#
#   bench/widget_host_memory.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."

build="$(realpath "${1:-build/default}")"
seconds="${2:-10}"
host="$build/widget_host/vantric-widget-host"
plugin="$build/widgets/extension/libVantricWidget.so"

scratch="$(mktemp -d)"
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$scratch"' EXIT
chmod 755 "$scratch"
user=()
if [[ $(id -u) -eq 0 ]]; then
    getent passwd vantric-wl >/dev/null || useradd --system --user-group --no-create-home \
        --home-dir /nonexistent --shell /usr/sbin/nologin vantric-wl
    user=(setpriv --reuid=vantric-wl --regid=vantric-wl --init-groups)
fi

# Resident and proportional memory of the process, in MiB.
report() {
    local name="$1" pid="$2"
    awk -v name="$name" '/^VmRSS:/ {rss = $2} /^VmHWM:/ {peak = $2}
         END {printf "%-32s resident %.1f MiB (peak %.1f MiB)", name, rss / 1024, peak / 1024}' \
        "/proc/$pid/status"
    awk '/^Pss:/ {printf ", proportional %.1f MiB\n", $2 / 1024}' "/proc/$pid/smaps_rollup"
}

# One session's environment: its own runtime folder, home and the four widgets placed.
session() {
    local dir="$scratch/$1"
    mkdir -p "$dir/home" "$dir/config" && mkdir -m 700 "$dir/run"
    [[ ${#user[@]} -eq 0 ]] || chown -R vantric-wl: "$dir"
    for kind in cpu memory gpu overview; do
        (as "$dir" "$host" --plugin "$plugin" --add "$kind")
    done
}

# A command in a session's environment, as the session's user. Run in the background, it
# replaces its subshell, so that $! is the program's own pid.
as() {
    local dir="$1"
    shift
    exec "${user[@]}" env -i PATH=/usr/bin:/bin HOME="$dir/home" XDG_RUNTIME_DIR="$dir/run" \
        XDG_CONFIG_HOME="$dir/config" SWAYSOCK="$dir/run/sway.sock" ${EXTRA:-} "$@"
}

if command -v sway >/dev/null; then
    session sway
    printf 'output * resolution 1920x1080 bg #204060 solid_color\nxwayland disable\n' \
        >"$scratch/sway.conf"
    EXTRA="WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1" \
        as "$scratch/sway" sway -c "$scratch/sway.conf" >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do [[ -S "$scratch/sway/run/wayland-1" ]] && break; sleep 0.2; done
    EXTRA="WAYLAND_DISPLAY=wayland-1" as "$scratch/sway" "$host" --plugin "$plugin" \
        --backend layer-shell 2>/dev/null &
    pids+=($!)
    layer=$!
fi
if command -v Xvfb >/dev/null; then
    session x11
    number=90
    while [[ -e /tmp/.X11-unix/X$number ]]; do number=$((number + 1)); done
    Xvfb ":$number" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do [[ -S /tmp/.X11-unix/X$number ]] && break; sleep 0.2; done
    EXTRA="DISPLAY=:$number" as "$scratch/x11" "$host" --plugin "$plugin" --backend x11 \
        2>/dev/null &
    pids+=($!)
    x11=$!
fi

sleep "$seconds"
[[ -z ${layer:-} ]] || report "layer shell (headless sway)" "$layer"
[[ -z ${x11:-} ]] || report "X11 windows (Xvfb)" "$x11"
