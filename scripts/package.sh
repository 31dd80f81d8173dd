#!/usr/bin/env bash
# Builds the Debian packages of 700Tools in build-package/package/ and checks each with lintian:
#   libcomm700-1, libmdb700-1      the two shared libraries
#   libcomm700-dev, libmdb700-dev  their headers, .so links and pkg-config files
#   700tools                       the programs, help pages, desktop entry and man pages
#
#   scripts/package.sh
#
# The build has its own folder (build-package) for the prefix /usr, with Debian's hardening flags
# and optimisation (build type None: dpkg-buildflags decide); the files are stripped, the
# dependencies found by dpkg-shlibdeps. Install with
#   sudo apt install ./build-package/package/*.deb                       # everything
#   sudo apt install ./build-package/package/lib{comm,mdb}700-*.deb     # the libraries alone
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
debs=("$build"/package/*.deb)
for deb in "${debs[@]}"; do
  echo "package: $deb"
  dpkg-deb --field "$deb" Package Version Depends | sed 's/^/  /'
done
if [ "${NO_LINTIAN:-}" != 1 ]; then
  # Errors and warnings fail the script; notes are printed. An override in
  # packaging/debian/lintian-overrides says why.
  lintian --fail-on error,warning --info "${debs[@]}"
fi
