# Read by cpack when it builds the packages (CPACK_PROJECT_CONFIG_FILE).

# Each package's description starts with its own synopsis; a summary for the whole project would
# be put in front of every one of them.
unset(CPACK_PACKAGE_DESCRIPTION_SUMMARY)

# CPack's own DEB module, wrapped (modules/Internal/CPack/CPackDeb.cmake): the library packages
# register their libraries by dpkg's ldconfig trigger, without maintainer scripts.
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/modules)
