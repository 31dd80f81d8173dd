#!/usr/bin/env bash
# Builds the Debian package of 700Tools (build-package/package/700tools_<release>_<arch>.deb)
# and checks it with lintian.
#
#   scripts/package.sh
#
# The package is built in its own folder (build-package) for the prefix /usr, with Debian's
# hardening flags and optimisation (build type None: dpkg-buildflags decide), stripped; its
# dependencies are found by dpkg-shlibdeps. Install it with
#   sudo apt install ./build-package/package/700tools_*.deb
# Environment: NO_SETUP=1 skips scripts/setup.sh; NO_LINTIAN=1 skips the check.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "${NO_SETUP:-}" = 1 ] || scripts/setup.sh
build=build-package

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# The libraries report their compile time; with SOURCE_DATE_EPOCH (the last commit) that is the
# same in every build of a commit, so Debian's date-time warning is not needed.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || date +%s)
export SOURCE_DATE_EPOCH
cflags="$(dpkg-buildflags --get CPPFLAGS) -DNDEBUG -Wno-date-time"
cmake -S . -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
  -DTOOLS700_BUILD_TESTS=OFF -DTOOLS700_BUILD_BENCH=OFF -DTOOLS700_WERROR=ON \
  -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CFLAGS) $cflags" \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $cflags" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  -DCMAKE_SHARED_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" -j "${JOBS:-$(nproc)}"
rm -f "$build"/package/*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/package/*.deb)
echo "package: $deb"
dpkg-deb --field "$deb" Package Version Depends
if [ "${NO_LINTIAN:-}" != 1 ]; then
  # Errors fail the script; warnings and notes are printed.
  lintian --fail-on error --info "$deb"
fi
