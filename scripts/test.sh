#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds, and runs every test.
#   scripts/test.sh            normal build, then the AddressSanitizer/UBSan and ThreadSanitizer builds
#   scripts/test.sh --quick    normal build only
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

presets=(default asan tsan)
[ "${1:-}" = "--quick" ] && presets=(default)

status=0
for preset in "${presets[@]}"; do
  echo "=== build: $preset"
  scripts/build.sh "$preset"
  echo "=== test: $preset"
  ctest --preset "$preset" -j "$(nproc)" --timeout 600 || status=1
done
exit $status
