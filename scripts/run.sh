#!/usr/bin/env bash
# Installs what is needed, builds Vantric and runs it; arguments go to vantric
# (e.g. ./scripts/run.sh --json --count 3).
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-dependencies.sh
cmake --preset default >/dev/null
cmake --build --preset default --target vantric
exec ./build/default/app/vantric "$@"
