#!/usr/bin/env bash
# Writes the window's pictures that the AppStream metainfo shows, from this machine's readings:
# the Overview, CPU and Memory pages, at the window's default size, into app/desktop/screenshots.
# Vantric runs installed in a scratch prefix, so that it finds its own desktop entry and icon as
# it does once installed. Publish the pictures at the addresses the metainfo gives for the release.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --build --preset default
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
cmake --install build/default --prefix "$prefix" >/dev/null
mkdir -p app/desktop/screenshots
for page in overview cpu memory; do
    XDG_DATA_DIRS="$prefix/share:${XDG_DATA_DIRS:-/usr/local/share:/usr/share}" \
        "$prefix/bin/vantric" --screenshot "app/desktop/screenshots/$page.png" --page "$page" \
        --readings 5
done
