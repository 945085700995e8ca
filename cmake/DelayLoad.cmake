# Import libraries that load their DLL at its first call rather than at start-up. COM's
# libraries (and RPC's, which they bring) are needed only once the worker thread runs, after the
# splash window shows; loading them first delays the splash window. The common controls load when
# the program first needs them (ui/CommonControls_win.cpp), never on the command line where nobody
# sees a window; the process's manifest makes them version 6, from the side-by-side store. The
# other DLLs load from the system folder, as the program restricts every load by name to it
# (start/DllSearch_win.cpp).
#
#   quenlow_delay_loaded(NAME ole32) -> the target quenlow_delay_ole32, from cmake/delayload/ole32.def
find_program(QUENLOW_DLLTOOL NAMES x86_64-w64-mingw32-dlltool dlltool REQUIRED)

function(quenlow_delay_loaded)
    cmake_parse_arguments(PARSE_ARGV 0 arg "" "NAME" "")
    set(definition ${PROJECT_SOURCE_DIR}/cmake/delayload/${arg_NAME}.def)
    set(library ${CMAKE_BINARY_DIR}/delayload/lib${arg_NAME}_delay.a)
    add_custom_command(OUTPUT ${library}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/delayload
        COMMAND ${QUENLOW_DLLTOOL} --input-def ${definition} --output-delaylib ${library}
        DEPENDS ${definition} VERBATIM)
    add_custom_target(quenlow_delay_${arg_NAME}_library DEPENDS ${library})
    add_library(quenlow_delay_${arg_NAME} INTERFACE)
    target_link_libraries(quenlow_delay_${arg_NAME} INTERFACE ${library} delayimp)
    add_dependencies(quenlow_delay_${arg_NAME} quenlow_delay_${arg_NAME}_library)
endfunction()

quenlow_delay_loaded(NAME ole32)
quenlow_delay_loaded(NAME oleaut32)
quenlow_delay_loaded(NAME comctl32)
