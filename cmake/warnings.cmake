# Warnings in the project's own code; third-party headers come in as system headers. The presets
# and CI make them errors; a packager's build with another compiler or other flags only shows them,
# since a warning a newer compiler adds must not stop a distribution from building a release.
option(VANTRIC_WERROR "Treat compiler warnings in Vantric's own code as errors" OFF)

function(vantric_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    if(VANTRIC_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
