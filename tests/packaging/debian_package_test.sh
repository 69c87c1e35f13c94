#!/usr/bin/env bash
# Builds the Debian package from the build folder, checks it with lintian, unpacks it into a
# scratch root and runs the programs from there, as they run once installed.
# Usage: debian_package_test.sh BUILD_FOLDER
set -euo pipefail

build="$1"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
fail() {
    echo "debian_package_test: $*" >&2
    exit 1
}

cpack -G DEB -B "$scratch/out" --config "$build/CPackConfig.cmake" >/dev/null
package="$(find "$scratch/out" -maxdepth 1 -name 'vantric_*.deb')"
[ -n "$package" ] || fail "cpack made no package"

dpkg-deb --info "$package"
depends="$(dpkg-deb --field "$package" Depends)"
[[ "$depends" == *libqt6widgets6* && "$depends" == *libc6* ]] ||
    fail "Depends is not worked out from the binaries: $depends"
dpkg-deb --contents "$package"

# Every tag is shown; only errors fail the test (the closing notes say which warnings remain).
lintian --fail-on error --display-info --tag-display-limit 0 "$package"

root="$scratch/root"
dpkg-deb -x "$package" "$root"
export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/run"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
"$root/usr/bin/vantric" --json --count 1 >"$scratch/reading.json"
grep -q '^{"date":.*"cpu":.*"memory":' "$scratch/reading.json" || fail "no reading from the package"
# The host finds the plug-in where the package put it, relative to its own folder.
"$root/usr/bin/vantric-widget-host" --render cpu --out "$scratch/cpu.png"
[ "$(head -c 8 "$scratch/cpu.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
    fail "the unpacked host drew no PNG"
"$root/usr/bin/vantric" --version | grep -qx 'vantric [0-9.]*' || fail "vantric --version"
"$root/usr/bin/vantric-widget-host" --version | grep -qx 'vantric-widget-host [0-9.]*' ||
    fail "vantric-widget-host --version"
