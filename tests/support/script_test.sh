# What the shell tests share, sourced with their arguments BUILD_DIR SOURCE_DIR: $build and $src
# (absolute), fail, cache (a value of the build's CMake cache), and a temporary folder $tmp that the
# test's own clean-up removes.
set -euo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)

fail() { echo "FAIL: $*" >&2; exit 1; }
cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }

tmp=$(mktemp -d)
