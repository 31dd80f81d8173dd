#!/usr/bin/env bash
# Every command README.md shows (its indented code lines) still works as shown. Each command has
# a check below; a command without one fails the test, so a new command in the README gets one.
#   - scripts/run.sh runs for real against this build (NO_BUILD=1): the program on the offscreen
#     platform shows the simulated drive, then a SIGTERM to the script ends it and the simulator;
#   - the long scripts (test.sh, package.sh) exist, are executable and parse (bash -n);
#   - the C program line is compiled as written, against the library parts of this build
#     installed under a prefix;
#   - commands that need root or a package build (apt install, usermod) are checked to name
#     what exists: the packages' folder that package.sh writes, the group dialout.
#
#   readme_commands.sh BUILD_DIR SOURCE_DIR
# shellcheck source-path=SCRIPTDIR source=../support/script_test.sh
source "$(dirname "$0")/../support/script_test.sh"
runner=
cleanup() {
  if [ -n "$runner" ]; then
    kill -TERM "$runner" 2>/dev/null || true
    wait "$runner" 2>/dev/null || true
  fi
  rm -rf "$tmp"
}
trap cleanup EXIT

# The indented lines of the README are its commands (code blocks, also inside list items).
mapfile -t commands < <(sed -n 's/^    \s*\(\S.*\)$/\1/p' "$src/README.md")
[ "${#commands[@]}" -gt 0 ] || fail "no commands found in README.md"

script_parses() {
  [ -x "$src/$1" ] || fail "$1 is not an executable file"
  bash -n "$src/$1" || fail "$1 does not parse"
}

# scripts/run.sh: the simulator and the program from this build, until the drive shows.
check_run_sh() {
  script_parses scripts/run.sh
  local connected=$tmp/connected
  (cd "$tmp" && exec env NO_BUILD=1 BUILD_DIR="$build" QT_QPA_PLATFORM=offscreen \
     TOOLS700_SETTINGS="$tmp/settings.ini" TOOLS700_CONNECTED_FILE="$connected" \
     TOOLS700_AUTO_ANSWER=ok "$src/scripts/run.sh") >"$tmp/run.out" 2>&1 &
  runner=$!
  for _ in $(seq 400); do
    [ -s "$connected" ] && break
    kill -0 "$runner" 2>/dev/null || break
    sleep 0.05
  done
  [ -s "$connected" ] || fail "scripts/run.sh: the program did not show the drive: $(cat "$tmp/run.out")"
  grep -q 'drivesim (model 733, axis 1) answers' "$tmp/run.out" || fail "scripts/run.sh: $(cat "$tmp/run.out")"
  local sim
  sim=$(pgrep -P "$runner" -x drivesim || true)
  kill -TERM "$runner"
  local status=0
  wait "$runner" || status=$?
  runner=
  [ "$status" = 143 ] || fail "scripts/run.sh ended with $status on SIGTERM: $(cat "$tmp/run.out")"
  if [ -n "$sim" ] && kill -0 "$sim" 2>/dev/null; then
    fail "scripts/run.sh left its drivesim ($sim) running"
  fi
}

# cc my.c $(pkg-config --cflags --libs comm700): the library user's program, built against the
# library parts of this build installed under a prefix of their own (what the library packages
# hold), so the pkg-config files must name that prefix.
check_cc_line() {
  local line=$1 part libdir
  for part in comm700 comm700_dev mdb700 mdb700_dev; do
    cmake --install "$build" --prefix "$tmp/prefix" --component $part >>"$tmp/install.log" ||
      { cat "$tmp/install.log"; fail "cmake --install --component $part"; }
  done
  [ ! -e "$tmp/prefix/bin" ] || fail "the library parts installed programs"
  libdir=$(cache CMAKE_INSTALL_LIBDIR)
  cp "$src/tests/install/read_model.c" "$tmp/my.c"
  (cd "$tmp" && PKG_CONFIG_LIBDIR=$tmp/prefix/$libdir/pkgconfig bash -euo pipefail -c "$line") ||
    fail "'$line' does not build"
  [ -x "$tmp/a.out" ] || fail "'$line' made no program"
}

# sudo apt install ./build-package/package/GLOB: package.sh writes the packages there, and the
# glob picks what the README says: "*.deb" every package, "lib*.deb" the library packages alone.
check_apt_line() {
  local glob=${1#sudo apt install ./build-package/package/}
  command -v apt >/dev/null || fail "apt is missing"
  grep -q '^build=build-package$' "$src/scripts/package.sh" || fail "scripts/package.sh builds elsewhere"
  grep -q 'CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package' "$src/packaging/CMakeLists.txt" ||
    fail "the packages are not written to the build's package folder"
  local release arch part name wanted=() picked=()
  release=$(cache CMAKE_PROJECT_VERSION)
  arch=$(dpkg --print-architecture)
  while read -r part name; do
    [ "$glob" = "*.deb" ] || [ "$part" != TOOLS ] && wanted+=("$name")
    # shellcheck disable=SC2254
    case "${name}_${release}_$arch.deb" in $glob) picked+=("$name") ;; esac
  done < <(sed -n 's/^set(CPACK_DEBIAN_\([A-Z0-9_]*\)_PACKAGE_NAME "\([^"]*\)")$/\1 \2/p' "$build/CPackConfig.cmake")
  [ "${#wanted[@]}" -ge 5 ] || [ "$glob" != "*.deb" ] || fail "the build makes ${#wanted[@]} packages"
  [ "${picked[*]}" = "${wanted[*]}" ] || fail "'$1' picks '${picked[*]}', not '${wanted[*]}'"
}

for line in "${commands[@]}"; do
  echo "README: $line"
  case "$line" in
    "scripts/run.sh") check_run_sh ;;
    "scripts/test.sh") script_parses scripts/test.sh
                       grep -q -- '--quick' "$src/scripts/test.sh" || fail "scripts/test.sh lost --quick" ;;
    "scripts/package.sh") script_parses scripts/package.sh ;;
    "sudo apt install ./build-package/package/"*) check_apt_line "$line" ;;
    "cc my.c \$(pkg-config --cflags --libs comm700)") check_cc_line "$line" ;;
    "sudo usermod -aG dialout \"\$USER\"")
      getent group dialout >/dev/null || fail "there is no group dialout"
      PATH=$PATH:/usr/sbin:/sbin command -v usermod >/dev/null || fail "usermod is missing" ;;
    *) fail "README.md shows a command this test does not check: $line" ;;
  esac
done
echo "README commands checked: ${#commands[@]}"
