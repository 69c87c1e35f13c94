# The release being built is the newest one the AppStream metainfo lists, so the version and the
# date the programs, the manual pages and the package's changelog give come from one place.
set(VANTRIC_METAINFO "${PROJECT_SOURCE_DIR}/app/desktop/org.vantric.Vantric.metainfo.xml")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${VANTRIC_METAINFO}")
file(READ "${VANTRIC_METAINFO}" metainfo)
if(NOT metainfo MATCHES "<release version=\"([^\"]+)\" date=\"([0-9]+-[0-9]+-[0-9]+)\"")
    message(FATAL_ERROR "${VANTRIC_METAINFO} lists no release with a version and a date")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "The newest release in ${VANTRIC_METAINFO} is ${CMAKE_MATCH_1}, but the "
                        "project's version is ${PROJECT_VERSION}: list the release there first")
endif()
set(VANTRIC_RELEASE_DATE "${CMAKE_MATCH_2}")
