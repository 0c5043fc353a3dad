# Warnings for our own targets; third-party headers come in as system headers.
function(glimmer_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wold-style-cast
        -Wnon-virtual-dtor -Woverloaded-virtual -Wimplicit-fallthrough)
    if(GLIMMER_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
