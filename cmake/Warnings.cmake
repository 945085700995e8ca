# Warnings are errors in our own code (not in GoogleTest or other third-party sources).
function(quenlow_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion -Wnon-virtual-dtor
        -Werror -Werror=return-type)
endfunction()
