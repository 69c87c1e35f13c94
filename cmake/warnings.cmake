# Warnings are errors in the project's own code; third-party headers come in as system headers.
function(vantric_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
endfunction()
