# The Debian package, made by `cpack -G DEB` in a build folder. Its Depends line is worked out from
# the binaries by dpkg-shlibdeps; it installs under /usr, with the widget host's autostart entry in
# /etc/xdg/autostart as a configuration file the administrator may change.
set(VANTRIC_PACKAGE_MAINTAINER "The Vantric developers <developers@vantric.org>"
    CACHE STRING "The Debian package's maintainer, as \"Name <address>\"")

set(package_documents "${CMAKE_INSTALL_DATADIR}/doc/vantric")
install(FILES "${PROJECT_SOURCE_DIR}/packaging/copyright" DESTINATION "${package_documents}")

# Debian's changelog of a package without a Debian revision, written from the releases the
# metainfo lists and compressed as Debian wants it: at the highest level, without a time stamp.
include("${PROJECT_SOURCE_DIR}/cmake/debian_changelog.cmake")
vantric_debian_changelog("${VANTRIC_METAINFO}" "${VANTRIC_PACKAGE_MAINTAINER}"
    "${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog")
add_custom_command(
    OUTPUT "${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz"
    COMMAND "${VANTRIC_GZIP}" -9 -n -k -f "${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog"
    DEPENDS "${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog"
    VERBATIM)
add_custom_target(vantric_changelog ALL DEPENDS "${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz")
install(FILES "${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz" DESTINATION "${package_documents}")

file(WRITE "${CMAKE_CURRENT_BINARY_DIR}/packaging/conffiles"
    "/etc/xdg/autostart/${VANTRIC_AUTOSTART_ENTRY}\n")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantric)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The Vantric developers")
set(CPACK_PACKAGE_CONTACT "${VANTRIC_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "system monitor for processors, memory, GPUs and apps")
set(CPACK_PACKAGE_DESCRIPTION
    "Vantric shows how busy the processors are, in all and per core, how physical
memory is used (app memory, wired, compressed, cached files, swap and
pressure), how busy each GPU is, and which applications use the most
processor time, GPU or memory, with every helper process counted under the
application that owns it.

The package also holds four small desktop widgets with an hour of history,
and vantric-widget-host, which shows them on Wayland and X11 desktops.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt shows the window through XWayland without its Wayland platform; with it, natively.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_CURRENT_BINARY_DIR}/packaging/conffiles")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
