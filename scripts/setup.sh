#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests, the screenshots and the benchmarks need
# (only those missing):
#   build-essential cmake ninja-build pkg-config   compilers and the build (Ninja presets;
#                                            Qt's CMake files look up some modules with pkg-config)
#   qt6-base-dev qt6-charts-dev              Qt Widgets, PrintSupport, Test; Qt Charts
#   libqt6opengl6-dev libgl-dev              Qt Charts 6.4 needs Qt OpenGL, which qt6-charts-dev
#                                            does not pull in
#   libgtest-dev libgmock-dev                GoogleTest (its CMake package names the gmock libraries)
#   clang libclang-rt-14-dev                 the fuzz preset (libFuzzer)
#   xvfb xauth                               screenshots under a virtual display
#   poppler-utils                            pdftotext, reading printed PDF listings back in the tests
#   fonts-dejavu-core                        a fixed-pitch font for printing
#   help2man                                 the man pages, made from each program's --help
#   desktop-file-utils appstream             the installation test validates the desktop entry
#                                            and the AppStream metainfo
#   file lintian                             CPack's dependency lookup (scripts/package.sh and
#                                            the installation test), the check of the packages
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev
  libgtest-dev libgmock-dev
  clang libclang-rt-14-dev
  xvfb xauth poppler-utils fonts-dejavu-core
  help2man desktop-file-utils appstream file lintian
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
