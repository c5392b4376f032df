# Writes a generated file only when its content changes, so that what
# depends on it is not rebuilt for nothing.
function(write_if_changed path content)
    if(EXISTS "${path}")
        file(READ "${path}" old)
    endif()
    if(NOT "${old}" STREQUAL "${content}")
        file(WRITE "${path}" "${content}")
    endif()
endfunction()
