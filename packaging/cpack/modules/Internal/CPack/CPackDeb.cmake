# CPack's DEB module, which cpack runs for each package, with one change: CPack writes a postinst
# and a postrm that call ldconfig into every package that holds a library in /usr/lib. A Debian
# package registers its libraries by activating dpkg's ldconfig trigger instead (the library
# packages carry packaging/debian/triggers), and lintian warns about ldconfig in maintainer
# scripts, so those two scripts are left out. Scripts a package names in its control files are
# kept as they are.
include(${CMAKE_ROOT}/Modules/Internal/CPack/CPackDeb.cmake)
set(GEN_CPACK_DEBIAN_GENERATE_POSTINST 0)
set(GEN_CPACK_DEBIAN_GENERATE_POSTRM 0)
