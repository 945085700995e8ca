# One library per source folder. The folders are layers, from the top: start/ (the wiring);
# windows/, splash/ and work/ (the wait), side by side; ui/ (the window kit) and services/, side
# by side; common/. A layer's library links only the layers below it, and its headers are
# reached through an include directory of its own that holds that folder alone (a link to it in
# the build tree): a file that includes from a layer its library does not link - above it or
# beside it - does not compile.
#
#   quenlow_layer(NAME folder SOURCES portable.cpp... WIN_SOURCES x_win.cpp... LAYERS below...
#                 LIBRARIES system libraries on Windows)
#
# The library is quenlow_<folder>; files ending in _win are built for Windows only.
function(quenlow_layer)
    cmake_parse_arguments(PARSE_ARGV 0 arg "" "NAME" "SOURCES;WIN_SOURCES;LAYERS;LIBRARIES")
    set(root ${CMAKE_BINARY_DIR}/layers/${arg_NAME})
    if(NOT EXISTS ${root}/${arg_NAME})
        file(MAKE_DIRECTORY ${root})
        quenlow_link_folder(${PROJECT_SOURCE_DIR}/${arg_NAME} ${root}/${arg_NAME})
    endif()
    set(sources ${arg_SOURCES})
    if(WIN32)
        list(APPEND sources ${arg_WIN_SOURCES})
    endif()
    set(target quenlow_${arg_NAME})
    list(TRANSFORM arg_LAYERS PREPEND quenlow_)
    if(sources)
        add_library(${target} STATIC ${sources})
        target_include_directories(${target} PUBLIC ${root})
        target_link_libraries(${target} PUBLIC ${arg_LAYERS})
        if(WIN32)
            target_link_libraries(${target} PUBLIC ${arg_LIBRARIES})
            # Unused functions and data are dropped from the release executable.
            target_compile_options(${target} PRIVATE
                $<$<CONFIG:MinSizeRel>:-ffunction-sections -fdata-sections>)
        endif()
        quenlow_warnings(${target})
    else()
        add_library(${target} INTERFACE)
        target_include_directories(${target} INTERFACE ${root})
        target_link_libraries(${target} INTERFACE ${arg_LAYERS})
    endif()
endfunction()

# A link to the folder. On Windows a symbolic link takes administrator rights or developer mode;
# without them the link is a junction, which takes neither.
function(quenlow_link_folder folder link)
    file(CREATE_LINK ${folder} ${link} SYMBOLIC RESULT linked)
    if(NOT linked STREQUAL "0" AND CMAKE_HOST_WIN32)
        file(TO_NATIVE_PATH ${folder} native_folder)
        file(TO_NATIVE_PATH ${link} native_link)
        execute_process(COMMAND cmd.exe /d /c mklink /J ${native_link} ${native_folder}
            OUTPUT_QUIET ERROR_VARIABLE junction_error RESULT_VARIABLE junction_failed)
        if(NOT junction_failed)
            set(linked 0)
        else()
            string(APPEND linked "; no junction either: ${junction_error}")
        endif()
    endif()
    if(NOT linked STREQUAL "0")
        message(FATAL_ERROR "Cannot link ${link} to ${folder}: ${linked}")
    endif()
endfunction()
