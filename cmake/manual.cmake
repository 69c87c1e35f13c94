# A program's manual page and the header with its usage, help and version, rendered from the
# manual text kept beside its code; the page is installed compressed, as manual pages are.
find_program(VANTRIC_GZIP gzip REQUIRED)

function(vantric_manual target source)
    get_filename_component(page_name "${source}" NAME_WLE)
    string(REGEX REPLACE "\\.[0-9]$" "" program "${page_name}")
    set(page "${CMAKE_CURRENT_BINARY_DIR}/${page_name}")
    set(header_folder "${CMAKE_CURRENT_BINARY_DIR}/generated")
    set(header "${header_folder}/manual/${program}.hpp")
    add_custom_command(
        OUTPUT "${page}" "${header}"
        COMMAND "${CMAKE_COMMAND}" "-DSOURCE=${CMAKE_CURRENT_SOURCE_DIR}/${source}"
                "-DPAGE=${page}" "-DHEADER=${header}" "-DVERSION=${PROJECT_VERSION}"
                "-DDATE=${VANTRIC_RELEASE_DATE}" -P "${PROJECT_SOURCE_DIR}/cmake/render_manual.cmake"
        DEPENDS "${source}" "${PROJECT_SOURCE_DIR}/cmake/render_manual.cmake"
                "${PROJECT_SOURCE_DIR}/cmake/write_if_changed.cmake"
        COMMENT "Rendering the manual of ${program}"
        VERBATIM)
    add_custom_command(
        OUTPUT "${page}.gz"
        COMMAND "${VANTRIC_GZIP}" -9 -n -k -f "${page}"
        DEPENDS "${page}"
        VERBATIM)
    target_sources(${target} PRIVATE "${header}" "${page}.gz")
    target_include_directories(${target} PRIVATE "${header_folder}")
    install(FILES "${page}.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
endfunction()
