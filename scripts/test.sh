#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test. The argument names the build:
# default (release with debug info), asan (AddressSanitizer + UndefinedBehaviorSanitizer), tsan
# (ThreadSanitizer) or fuzz (the parsers' libFuzzer programs, built with Clang, a few seconds each).
set -euo pipefail
cd "$(dirname "$0")/.."

preset="${1:-default}"
./scripts/install-dependencies.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset"
