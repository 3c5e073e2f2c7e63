# Warnings per compiler, as errors so the tree stays clean on both toolchains.
function(launcher_warnings target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /WX /utf-8 /permissive-)
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
            -Wno-sign-conversion -Werror)
    endif()
endfunction()
