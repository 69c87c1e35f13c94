# Wayland clients of our own (the widget host's layer shell, the display tests' helpers): the
# client library, and code generated from protocol descriptions at build time.
find_package(PkgConfig REQUIRED)
pkg_check_modules(WaylandClient REQUIRED IMPORTED_TARGET wayland-client>=1.20 wayland-cursor)
pkg_check_modules(Xcb REQUIRED IMPORTED_TARGET xcb)
pkg_get_variable(WAYLAND_SCANNER wayland-scanner wayland_scanner)
pkg_get_variable(WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)
if(NOT WAYLAND_SCANNER OR NOT WAYLAND_PROTOCOLS_DIR)
    message(FATAL_ERROR "wayland-scanner and wayland-protocols are needed (libwayland-dev, "
                        "wayland-protocols)")
endif()

# Client code for a Wayland protocol, generated from its description at build time.
function(vantric_wayland_client_protocol sources_var xml)
    get_filename_component(name ${xml} NAME_WE)
    set(folder ${CMAKE_CURRENT_BINARY_DIR}/wayland_protocols)
    add_custom_command(
        OUTPUT ${folder}/${name}-client-protocol.h ${folder}/${name}-protocol.c
        COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
        COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${folder}/${name}-client-protocol.h
        COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${folder}/${name}-protocol.c
        DEPENDS ${xml}
        VERBATIM)
    set(${sources_var} ${${sources_var}} ${folder}/${name}-protocol.c
        ${folder}/${name}-client-protocol.h PARENT_SCOPE)
endfunction()

