#!/usr/bin/env bash
# Installs the Debian packages Vantric is built and tested with. Safe to run again: apt-get is
# only called when a package is missing, and never asks a question.
set -euo pipefail

packages=(
    cmake
    ninja-build
    g++
    clang
    libclang-rt-14-dev
    nlohmann-json3-dev
    libgtest-dev
    libbenchmark-dev
    pci.ids
    qt6-base-dev
    qt6-svg-dev
    fonts-dejavu-core
    # The Prometheus exposition and its HTTP server; the Prometheus server it is tested against.
    prometheus-cpp-dev
    libcivetweb-dev
    prometheus
    # The widget host's Wayland client and X11 hints.
    pkgconf
    libwayland-dev
    wayland-protocols
    libxcb1-dev
    # Display servers the widget host is tested on.
    sway
    grim
    weston
    xwayland
    xvfb
    qt6-wayland
    # The package and its metadata, made and checked as the distribution checks them.
    dpkg-dev
    lintian
    desktop-file-utils
    appstream
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
