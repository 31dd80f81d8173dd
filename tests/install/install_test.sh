#!/usr/bin/env bash
# Installs the build into a temporary root (DESTDIR) and uses the installation as a user would:
# the files in their places, the desktop entry and metainfo validated, a C program built with
# pkg-config against the installed comm700, and the installed Tools700 and tools700-cli with
# their data in a temporary data folder, talking to the installed drivesim.
#
#   install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)

fail() { echo "FAIL: $*" >&2; exit 1; }
cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }

tmp=$(mktemp -d)
sim=
app=
cleanup() {
  [ -n "$app" ] && kill -KILL "$app" 2>/dev/null || true
  [ -n "$sim" ] && kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null || true
  rm -f /dev/shm/"${COMM700_NAMESPACE:-none}".* 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

DESTDIR=$tmp/root cmake --install "$build" > "$tmp/install.log" || { cat "$tmp/install.log"; fail "cmake --install"; }
prefix=$(cache CMAKE_INSTALL_PREFIX)
libdir=$(cache CMAKE_INSTALL_LIBDIR)
root=$tmp/root$prefix
echo "installed into $root"

# The files in their places.
for f in bin/Tools700 bin/tools700-cli bin/drivesim \
         "$libdir/libcomm700.so" "$libdir/libmdb700.so" "$libdir/libcomm700.so.1" "$libdir/libmdb700.so.1" \
         include/comm700.h include/mdb700.h "$libdir/pkgconfig/comm700.pc" "$libdir/pkgconfig/mdb700.pc" \
         share/applications/com.korvane.tools700.desktop share/metainfo/com.korvane.tools700.metainfo.xml \
         share/icons/hicolor/scalable/apps/com.korvane.tools700.svg \
         share/man/man1/Tools700.1.gz share/man/man1/tools700-cli.1.gz share/man/man1/drivesim.1.gz \
         share/man/man3/comm700.3.gz \
         share/doc/700tools/copyright share/doc/700tools/changelog.gz; do
  [ -e "$root/$f" ] || fail "$f is not installed"
done
ls "$root"/share/700tools/help/*.html > /dev/null || fail "no help pages in share/700tools/help"
for lib in comm700 mdb700; do
  readelf -d "$root/$libdir/lib$lib.so" >"$tmp/dynamic.out"
  grep -q "Library soname: \[lib$lib.so.1\]" "$tmp/dynamic.out" || fail "lib$lib.so has no SONAME lib$lib.so.1"
done
for page in Tools700 tools700-cli drivesim; do
  zcat "$root/share/man/man1/$page.1.gz" >"$tmp/page.1"
  grep -q '^\\fB\\-\\-version' "$tmp/page.1" || fail "the man page of $page lacks its options"
done
zcat "$root/share/man/man1/Tools700.1.gz" >"$tmp/page.1"
grep -q 'inhouse' "$tmp/page.1" || fail "the man page of Tools700 misses -inhouse"
zcat "$root/share/man/man3/comm700.3.gz" >"$tmp/page.3"
grep -q 'GetLineStats700' "$tmp/page.3" || fail "comm700(3) lacks the line statistics"

desktop-file-validate "$root/share/applications/com.korvane.tools700.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/share/metainfo/com.korvane.tools700.metainfo.xml" || fail "appstreamcli validate"

# Versions, without a display.
for program in Tools700 tools700-cli drivesim; do
  "$root/bin/$program" --version >"$tmp/version.out" || fail "$program --version"
  head -n1 "$tmp/version.out" | grep -q "^$program (700Tools) " || fail "$program --version: $(cat "$tmp/version.out")"
done

# The installed drivesim on a namespace of this test.
export COMM700_NAMESPACE="install-test-$$"
"$root/bin/drivesim" --model 733 --axes 1 > "$tmp/ready" &
sim=$!
for _ in $(seq 200); do [ -s "$tmp/ready" ] && break; sleep 0.05; done
[ -s "$tmp/ready" ] || fail "the installed drivesim did not start"

# A library user's C program, built with the installed pkg-config file.
export PKG_CONFIG_SYSROOT_DIR=$tmp/root
export PKG_CONFIG_LIBDIR=$root/$libdir/pkgconfig
flags=$(pkg-config --cflags --libs comm700) || fail "pkg-config comm700"
pkg-config --exists mdb700 || fail "pkg-config mdb700"
echo "pkg-config comm700: $flags"
# shellcheck disable=SC2086
cc -std=c11 -Wall -Wextra -Werror -o "$tmp/read_model" "$src/tests/install/read_model.c" $flags || fail "cc against comm700"
out=$(LD_LIBRARY_PATH=$root/$libdir "$tmp/read_model") || fail "the C program: $out"
echo "$out" | grep -q 'status 0 Model 733' || fail "the C program read: $out"

# The user's data folder, with motors and a saved configuration in it.
export XDG_DATA_HOME=$tmp/data
export TOOLS700_SETTINGS=$tmp/settings.ini
data=$XDG_DATA_HOME/700Tools
mkdir -p "$data/cfg"
echo "0 0 0.5 0.0001 4 2 8 1.5 0 0 1 0 0 0 20 0 0 0 320 5" > "$data/USERMTR.MDE"
echo "not a motor" > "$data/BROKEN.MDE"
unset TOOLS700_MDE_DIR
cli() { LD_LIBRARY_PATH=$root/$libdir "$root/bin/tools700-cli" "$@"; }
# (Outputs go to files first: a reader that stops early would end the writer with SIGPIPE.)
cli motors >"$tmp/motors.out" 2>"$tmp/motors.err" || fail "tools700-cli motors"
head -n1 "$tmp/motors.out" | grep -qx USERMTR || fail "tools700-cli does not list the data folder's motor"
grep -q 'BROKEN.MDE' "$tmp/motors.err" || fail "tools700-cli did not report the invalid motor file"
cli new "$data/cfg/saved.cfg" --drive SV733 --motor USERMTR --mode 1 2>/dev/null || fail "tools700-cli new"
cp "$data/cfg/saved.cfg" "$tmp/saved.before"
cli list "$data/cfg/saved.cfg" >"$tmp/list.out" || fail "tools700-cli list"
grep -q 'CmdGain = 1.00000 kRPM/volt' "$tmp/list.out" || fail "the saved configuration cannot be read back"

# The installed program on the offscreen platform: it reads the data folder's motor files (the
# invalid one is reported), connects to the drive, and writes nothing beside itself.
connected=$tmp/connected
log=$tmp/messages.log
env QT_QPA_PLATFORM=offscreen TOOLS700_CONNECTED_FILE="$connected" TOOLS700_MESSAGE_LOG="$log" \
    TOOLS700_AUTO_ANSWER=ok "$root/bin/Tools700" &
app=$!
for _ in $(seq 300); do [ -s "$connected" ] && break; kill -0 "$app" 2>/dev/null || break; sleep 0.05; done
[ -s "$connected" ] || fail "the installed Tools700 did not connect to the installed drivesim"
grep -q 'BROKEN.MDE' "$log" || fail "Tools700 did not read the data folder's motor files: $(cat "$log" 2>/dev/null)"
kill -TERM "$app"
wait "$app" 2>/dev/null || true
app=
[ ! -e "$root/bin/cfg" ] || fail "Tools700 created a cfg folder beside the installed program"
[ -d "$data/cfg" ] || fail "the data folder's cfg is gone"
cmp -s "$data/cfg/saved.cfg" "$tmp/saved.before" || fail "the saved configuration changed"
[ -e "$data/USERMTR.MDE" ] || fail "the user's motor file is gone"
echo "install test passed"
