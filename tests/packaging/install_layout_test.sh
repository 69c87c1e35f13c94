#!/usr/bin/env bash
# Installs the build twice, as a user and as a package build would, and checks that every file
# lands under the prefix (or DESTDIR), that the autostart entry is where the desktop reads it, and
# that the desktop entries and the AppStream metainfo pass the distribution's own validators.
# Usage: install_layout_test.sh BUILD_FOLDER
set -euo pipefail

build="$1"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
fail() {
    echo "install_layout_test: $*" >&2
    exit 1
}

# A prefix of the user's own: the manifest names only files under it, and nothing else is there.
prefix="$scratch/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
manifest="$build/install_manifest.txt"
while IFS= read -r installed; do
    [[ "$installed" == "$prefix"/* ]] || fail "installed outside the prefix: $installed"
done <"$manifest"
[ "$(grep -c "" "$manifest")" -eq "$(find "$prefix" -type f | wc -l)" ] ||
    fail "the manifest and the files under $prefix differ"
[ -f "$prefix/etc/xdg/autostart/org.vantric.Vantric.WidgetHost.desktop" ] ||
    fail "no autostart entry in $prefix/etc/xdg/autostart"

# A /usr install into DESTDIR, as a package is staged: the autostart entry goes to /etc/xdg.
staged="$scratch/staged"
DESTDIR="$staged" cmake --install "$build" --prefix /usr >/dev/null
outside="$(cd "$staged" && find . -type f ! -path './usr/*' ! -path './etc/xdg/autostart/*')"
[ -z "$outside" ] || fail "staged outside /usr and /etc/xdg/autostart: $outside"

expected=(
    usr/bin/vantric
    usr/bin/vantric-widget-host
    usr/share/applications/org.vantric.Vantric.desktop
    usr/share/metainfo/org.vantric.Vantric.metainfo.xml
    usr/share/icons/hicolor/scalable/apps/org.vantric.Vantric.svg
    usr/share/man/man1/vantric.1.gz
    usr/share/man/man1/vantric-widget-host.1.gz
    usr/share/doc/vantric/copyright
    usr/share/doc/vantric/changelog.gz
    etc/xdg/autostart/org.vantric.Vantric.WidgetHost.desktop
)
for file in "${expected[@]}"; do
    [ -f "$staged/$file" ] || fail "not installed: /$file"
done
[ -n "$(find "$staged/usr/lib" -name libVantricWidget.so)" ] || fail "no widget plug-in"

desktop-file-validate "$staged/usr/share/applications/org.vantric.Vantric.desktop" \
    "$staged/etc/xdg/autostart/org.vantric.Vantric.WidgetHost.desktop"
appstreamcli validate --pedantic --no-net "$staged/usr/share/metainfo/org.vantric.Vantric.metainfo.xml"
