# Writes the text to the file only when it differs from what the file holds, so that what is
# built from the file is not built again for nothing.
function(vantric_write_if_changed path text)
    set(old "")
    if(EXISTS "${path}")
        file(READ "${path}" old)
    endif()
    if(NOT old STREQUAL text)
        file(WRITE "${path}" "${text}")
    endif()
endfunction()
