#!/usr/bin/env bash
# Builds the Debian packages from this build (cpack, as scripts/package.sh does), checks what each
# holds, and installs them with dpkg into a temporary root, as a user would:
#   1. the library packages alone: a C program built with pkg-config against them reads a drive;
#   2. all five: the files in their places, the desktop entry and metainfo validated, the man
#      pages, the installed tools700-cli and Tools700 with their data in a temporary data folder,
#      and the desktop entry's simulator action, which shows the drive in the status bar.
# dpkg runs on a database of its own in the temporary root that holds, from this machine's, the
# packages the five depend on, so it checks their dependencies as apt would.
#
#   install_test.sh BUILD_DIR SOURCE_DIR
# shellcheck source-path=SCRIPTDIR source=../support/script_test.sh
source "$(dirname "$0")/../support/script_test.sh"
sim=
app=
cleanup() {
  [ -n "$app" ] && kill -KILL "$app" 2>/dev/null || true
  [ -n "$sim" ] && kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null || true
  rm -f /dev/shm/"${COMM700_NAMESPACE:-none}".* 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

# --- The packages ----------------------------------------------------------------------------
release=$(cache CMAKE_PROJECT_VERSION)
cpack --config "$build/CPackConfig.cmake" -B "$tmp/cpack" >"$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log"; fail "cpack"; }
declare -A deb
for name in libcomm700-1 libmdb700-1 libcomm700-dev libmdb700-dev 700tools; do
  deb[$name]=$(ls "$tmp/cpack/${name}_${release}_"*.deb 2>/dev/null) || fail "no package $name: $(ls "$tmp/cpack")"
done
[ "$(ls "$tmp/cpack"/*.deb | wc -l)" = 5 ] || fail "more packages than five: $(ls "$tmp/cpack")"
field() { dpkg-deb --field "${deb[$1]}" "$2"; }
contents() { dpkg-deb --contents "${deb[$1]}" | awk '{print $6}' | sed 's|^\./||'; }
control_files() { dpkg-deb --info "${deb[$1]}" | awk '/^ *[0-9]+ bytes, +[0-9]+ lines/ {print $NF}'; }

for lib in comm700 mdb700; do
  [ "$(field lib$lib-1 Section)" = libs ] || fail "lib$lib-1 is not in section libs"
  [ "$(field lib$lib-dev Section)" = libdevel ] || fail "lib$lib-dev is not in section libdevel"
  field lib$lib-dev Depends | grep -qx "lib$lib-1 (= $release)" || fail "lib$lib-dev depends on: $(field lib$lib-dev Depends)"
  # The library alone, registered by the ldconfig trigger, with its shlibs entry.
  contents lib$lib-1 | grep -v '/$' | grep -v "^usr/share/doc/lib$lib-1/" >"$tmp/files"
  grep -q "/lib$lib.so.1$" "$tmp/files" || fail "lib$lib-1 lacks lib$lib.so.1"
  if grep -v "/lib$lib\.so\.1[.0-9]*$" "$tmp/files"; then fail "lib$lib-1 holds more than its library"; fi
  dpkg-deb --ctrl-tarfile "${deb[lib$lib-1]}" | tar -xO ./triggers | grep -qx 'activate-noawait ldconfig' ||
    fail "lib$lib-1 does not activate the ldconfig trigger"
  dpkg-deb --ctrl-tarfile "${deb[lib$lib-1]}" | tar -xO ./shlibs | grep -qx "lib$lib 1 lib$lib-1 (>= $release)" ||
    fail "lib$lib-1's shlibs: $(dpkg-deb --ctrl-tarfile "${deb[lib$lib-1]}" | tar -xO ./shlibs)"
  # The development files.
  contents lib$lib-dev | grep -v '/$' | grep -v "^usr/share/doc/lib$lib-dev/" | sort >"$tmp/files"
  # The link library's manual page goes with its header.
  devfiles=("include/$lib.h" "lib$lib.so" "pkgconfig/$lib.pc")
  [ $lib = comm700 ] && devfiles+=("man/man3/$lib.3.gz")
  for f in "${devfiles[@]}"; do
    grep -q "/$f\$" "$tmp/files" || fail "lib$lib-dev lacks $f: $(cat "$tmp/files")"
  done
  [ "$(wc -l <"$tmp/files")" = ${#devfiles[@]} ] || fail "lib$lib-dev holds more than its development files: $(cat "$tmp/files")"
done
depends=$(field 700tools Depends)
for lib in comm700 mdb700; do
  echo "$depends" | grep -q "lib$lib-1 (= $release)" || fail "700tools does not depend on lib$lib-1 (= $release): $depends"
done
echo "$depends" | grep -q 'libqt6widgets6' || fail "700tools lacks its dependencies from dpkg-shlibdeps: $depends"
if contents 700tools | grep -E '\.so(\.[0-9]+)*$|/include/|\.pc$'; then fail "700tools holds library files"; fi
for name in "${!deb[@]}"; do
  control_files "$name" >"$tmp/control"
  if grep -E '^(preinst|postinst|prerm|postrm)$' "$tmp/control"; then fail "$name has maintainer scripts"; fi
  if [[ $name != lib*-1 ]] && grep -qx triggers "$tmp/control"; then fail "$name activates a trigger"; fi
  contents "$name" | grep -qx "usr/share/doc/$name/copyright" || fail "$name lacks its copyright file"
done

# --- A root with dpkg's database ---------------------------------------------------------------
root=$tmp/root
admin=$root/var/lib/dpkg
mkdir -p "$admin/info" "$admin/updates" "$admin/triggers"
touch "$admin/available"
echo 1 >"$admin/info/format"  # file lists named with the architecture, as this machine's
# The packages the five depend on, as this machine has them (the build's own are left out).
others=$(for name in "${!deb[@]}"; do field "$name" Depends; done | tr ',' '\n' | sed 's/[(|].*//; s/ //g' |
         grep -v -E '^(libcomm700-1|libmdb700-1)$' | sort -u)
: >"$admin/status"
for p in $others; do
  dpkg-query -s "$p" >>"$admin/status" 2>/dev/null || fail "this machine lacks $p, which the packages depend on"
  echo >>"$admin/status"
  q=$(dpkg-query -W -f '${binary:Package}' "$p")
  touch "$admin/info/$q.list" "$admin/info/$q.md5sums"  # their files are not this root's concern
done
dpkg_root() { dpkg --root="$root" --force-not-root --log=/dev/null "$@"; }
prefix=/usr
libdir=$(cache CMAKE_INSTALL_LIBDIR)
usr=$root$prefix

# --- 1. The libraries alone --------------------------------------------------------------------
# 700tools alone is refused (left unconfigured, then removed again).
if dpkg_root -i "${deb[700tools]}" >"$tmp/dpkg.log" 2>&1; then
  fail "700tools installs without the library packages"
fi
grep -q '700tools depends on libcomm700-1 (= '"$release"')' "$tmp/dpkg.log" || fail "dpkg: $(cat "$tmp/dpkg.log")"
dpkg_root --purge 700tools >"$tmp/dpkg.log" 2>&1 || { cat "$tmp/dpkg.log"; fail "dpkg --purge 700tools"; }
dpkg_root -i "${deb[libcomm700-1]}" "${deb[libmdb700-1]}" "${deb[libcomm700-dev]}" "${deb[libmdb700-dev]}" \
  >"$tmp/dpkg.log" 2>&1 || { cat "$tmp/dpkg.log"; fail "dpkg -i the library packages"; }
[ ! -e "$usr/bin/Tools700" ] || fail "the library packages installed the program"

# The installed drivesim is not there yet: the build's plays the drive for the C program.
export COMM700_NAMESPACE="install-test-$$"
start_sim() {
  "$1" --model 733 --axes 1 > "$tmp/ready" &
  sim=$!
  for _ in $(seq 200); do [ -s "$tmp/ready" ] && break; sleep 0.05; done
  [ -s "$tmp/ready" ] || fail "$1 did not start"
}
stop_sim() { kill "$sim"; wait "$sim" 2>/dev/null || true; sim=; }
start_sim "$build/bin/drivesim"

# A library user's C program, built with the installed pkg-config file.
export PKG_CONFIG_SYSROOT_DIR=$root
export PKG_CONFIG_LIBDIR=$usr/$libdir/pkgconfig
flags=$(pkg-config --cflags --libs comm700) || fail "pkg-config comm700"
pkg-config --exists mdb700 || fail "pkg-config mdb700"
echo "pkg-config comm700: $flags"
# shellcheck disable=SC2086
cc -std=c11 -Wall -Wextra -Werror -o "$tmp/read_model" "$src/tests/install/read_model.c" $flags || fail "cc against comm700"
out=$(LD_LIBRARY_PATH=$usr/$libdir "$tmp/read_model") || fail "the C program: $out"
echo "$out" | grep -q 'status 0 Model 733' || fail "the C program read: $out"
stop_sim

# --- 2. Everything -----------------------------------------------------------------------------
dpkg_root -i "${deb[700tools]}" >"$tmp/dpkg.log" 2>&1 || { cat "$tmp/dpkg.log"; fail "dpkg -i 700tools"; }
dpkg_root --audit >"$tmp/audit.log" 2>&1 || true
[ ! -s "$tmp/audit.log" ] || fail "dpkg --audit: $(cat "$tmp/audit.log")"
echo "installed into $root"
export LD_LIBRARY_PATH=$usr/$libdir

# The files in their places.
for f in bin/Tools700 bin/tools700-cli bin/drivesim \
         "$libdir/libcomm700.so" "$libdir/libmdb700.so" "$libdir/libcomm700.so.1" "$libdir/libmdb700.so.1" \
         include/comm700.h include/mdb700.h "$libdir/pkgconfig/comm700.pc" "$libdir/pkgconfig/mdb700.pc" \
         share/applications/com.korvane.tools700.desktop share/metainfo/com.korvane.tools700.metainfo.xml \
         share/icons/hicolor/scalable/apps/com.korvane.tools700.svg \
         share/man/man1/Tools700.1.gz share/man/man1/tools700-cli.1.gz share/man/man1/drivesim.1.gz \
         share/man/man3/comm700.3.gz \
         share/doc/700tools/copyright share/doc/700tools/changelog.gz; do
  [ -e "$usr/$f" ] || fail "$f is not installed"
done
ls "$usr"/share/700tools/help/*.html > /dev/null || fail "no help pages in share/700tools/help"
for lib in comm700 mdb700; do
  readelf -d "$usr/$libdir/lib$lib.so" >"$tmp/dynamic.out"
  grep -q "Library soname: \[lib$lib.so.1\]" "$tmp/dynamic.out" || fail "lib$lib.so has no SONAME lib$lib.so.1"
done
for page in Tools700 tools700-cli drivesim; do
  zcat "$usr/share/man/man1/$page.1.gz" >"$tmp/page.1"
  grep -q '^\\fB\\-\\-version' "$tmp/page.1" || fail "the man page of $page lacks its options"
done
zcat "$usr/share/man/man1/Tools700.1.gz" >"$tmp/page.1"
grep -q 'inhouse' "$tmp/page.1" || fail "the man page of Tools700 misses -inhouse"
grep -q '^\\fB\\-\\-simulator\\fR \[MODEL\]$' "$tmp/page.1" || fail "the man page of Tools700 misses --simulator"
zcat "$usr/share/man/man3/comm700.3.gz" >"$tmp/page.3"
grep -q 'GetLineStats700' "$tmp/page.3" || fail "comm700(3) lacks the line statistics"

desktop=$usr/share/applications/com.korvane.tools700.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$usr/share/metainfo/com.korvane.tools700.metainfo.xml" || fail "appstreamcli validate"

# Versions, without a display.
for program in Tools700 tools700-cli drivesim; do
  "$usr/bin/$program" --version >"$tmp/version.out" || fail "$program --version"
  head -n1 "$tmp/version.out" | grep -q "^$program (700Tools) " || fail "$program --version: $(cat "$tmp/version.out")"
done

# The installed drivesim on a namespace of this test.
start_sim "$usr/bin/drivesim"

# The user's data folder, with motors and a saved configuration in it.
export XDG_DATA_HOME=$tmp/data
export TOOLS700_SETTINGS=$tmp/settings.ini
data=$XDG_DATA_HOME/700Tools
mkdir -p "$data/cfg"
echo "0 0 0.5 0.0001 4 2 8 1.5 0 0 1 0 0 0 20 0 0 0 320 5" > "$data/USERMTR.MDE"
echo "not a motor" > "$data/BROKEN.MDE"
unset TOOLS700_MDE_DIR
cli() { "$usr/bin/tools700-cli" "$@"; }
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
# Starts a command line of the installed program in the background and waits for the status bar
# to show the drive.
connected=$tmp/connected
log=$tmp/messages.log
start_app() {
  rm -f "$connected" "$log"
  env QT_QPA_PLATFORM=offscreen TOOLS700_CONNECTED_FILE="$connected" TOOLS700_MESSAGE_LOG="$log" \
      TOOLS700_AUTO_ANSWER=ok PATH="$usr/bin:$PATH" "$@" &
  app=$!
  for _ in $(seq 300); do [ -s "$connected" ] && break; kill -0 "$app" 2>/dev/null || break; sleep 0.05; done
  [ -s "$connected" ] || fail "the installed '$*' did not show the drive: $(cat "$log" 2>/dev/null)"
}
start_app Tools700
grep -q 'BROKEN.MDE' "$log" || fail "Tools700 did not read the data folder's motor files: $(cat "$log" 2>/dev/null)"
kill -TERM "$app"
wait "$app" 2>/dev/null || true
app=
[ ! -e "$usr/bin/cfg" ] || fail "Tools700 created a cfg folder beside the installed program"
[ -d "$data/cfg" ] || fail "the data folder's cfg is gone"
cmp -s "$data/cfg/saved.cfg" "$tmp/saved.before" || fail "the saved configuration changed"
[ -e "$data/USERMTR.MDE" ] || fail "the user's motor file is gone"
stop_sim

# The desktop entry's simulator action, as a desktop runs it: the program with a drivesim of its
# own, which ends with the program.
action=$(sed -n '/^\[Desktop Action simulator\]/,/^\[/p' "$desktop")
echo "$action" | grep -qx 'Name=700Tools with a simulated drive' || fail "the desktop entry's action: $action"
exec_line=$(echo "$action" | sed -n 's/^Exec=//p')
[ "$exec_line" = "Tools700 --simulator" ] || fail "the simulator action runs '$exec_line'"
# shellcheck disable=SC2086
start_app $exec_line
simulator=$(tr -d " " <"/proc/$app/task/$app/children")
[ "$(readlink "/proc/$simulator/exe")" = "$usr/bin/drivesim" ] ||
  fail "the action did not start the installed drivesim: $(tr "\\0" " " <"/proc/$simulator/cmdline")"
kill -TERM "$app"
wait "$app" 2>/dev/null || true
app=
! kill -0 "$simulator" 2>/dev/null || fail "the simulator outlived the program"
echo "install test passed"
