#!/usr/bin/env bash
# Configures and builds one preset (default: the normal build in build/).
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
jobs=${JOBS:-$(nproc)}
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$jobs"
