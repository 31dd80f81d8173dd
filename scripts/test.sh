#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds, and runs every test.
#   scripts/test.sh            normal build, then the AddressSanitizer/UBSan and ThreadSanitizer builds
#   scripts/test.sh --quick    normal build only
# Ends with one line: how many tests ran in each preset, and how many of them were the program's
# widget tests. A preset whose run holds no widget test fails: the program was left out.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

presets=(default asan tsan)
[ "${1:-}" = "--quick" ] && presets=(default)

status=0
summary=()
for preset in "${presets[@]}"; do
  echo "=== build: $preset"
  scripts/build.sh "$preset"
  echo "=== test: $preset"
  log=$(mktemp)
  ctest --preset "$preset" -j "$(nproc)" --timeout 600 2>&1 | tee "$log" || status=1
  # "100% tests passed, 0 tests failed out of 298"
  ran=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -n 1)
  rm -f "$log"
  widgets=$(ctest --preset "$preset" -N -L widget 2>/dev/null | sed -n 's/^Total Tests: \([0-9]*\).*/\1/p')
  summary+=("$preset ${ran:-0} (${widgets:-0} widget tests)")
  if [ "${widgets:-0}" -eq 0 ]; then
    echo "The $preset build has no widget tests of the program Tools700." >&2
    status=1
  fi
done
line="tests run per preset:"
for s in "${summary[@]}"; do line+=" $s;"; done
echo "${line%;}"
exit $status
