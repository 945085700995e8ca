# quenlow.exe on top of the layers, with its resources, and the Windows-side tests.
add_executable(quenlow WIN32 start/WinMain_win.cpp resources/quenlow.rc)
# windres reads these through the .rc files; a change to any of them must rebuild the resources.
set_source_files_properties(resources/quenlow.rc PROPERTIES OBJECT_DEPENDS
    "${CMAKE_CURRENT_SOURCE_DIR}/resources/quenlow.manifest;${CMAKE_CURRENT_SOURCE_DIR}/resources/splash.rc;${CMAKE_CURRENT_SOURCE_DIR}/resources/splash_ids.h;${CMAKE_CURRENT_SOURCE_DIR}/resources/app.ico;${CMAKE_CURRENT_SOURCE_DIR}/resources/logo.bmp")
set_target_properties(quenlow PROPERTIES OUTPUT_NAME quenlow)
target_compile_options(quenlow PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-municode>
                       $<$<AND:$<CONFIG:MinSizeRel>,$<COMPILE_LANGUAGE:CXX>>:-ffunction-sections -fdata-sections>)
target_link_options(quenlow PRIVATE -municode $<$<CONFIG:MinSizeRel>:-Wl,--gc-sections -s>)
quenlow_warnings(quenlow)

# The pictures of the list windows' buttons. An object library: a resource inside a static
# library would never be pulled into the program.
add_library(quenlow_button_pictures OBJECT resources/buttons.rc)
file(GLOB QUENLOW_BUTTON_PICTURES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/resources/pictures/*.bmp)
set_source_files_properties(resources/buttons.rc PROPERTIES OBJECT_DEPENDS
    "${CMAKE_CURRENT_SOURCE_DIR}/resources/button_ids.h;${QUENLOW_BUTTON_PICTURES}")
target_include_directories(quenlow_button_pictures PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/resources)
target_link_libraries(quenlow PRIVATE quenlow_start quenlow_button_pictures)

add_subdirectory(tests/wine)
