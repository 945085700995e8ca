# The Windows build: platform code, quenlow.exe and the Windows-side tests run under Wine.
enable_language(RC)

# Static runtime: the executable needs no DLL beyond Windows' own.
add_link_options(-static -static-libgcc -static-libstdc++)
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)

# Unused functions and data are dropped from the release executable.
set(QUENLOW_SIZE_COMPILE_OPTIONS $<$<AND:$<CONFIG:MinSizeRel>,$<COMPILE_LANGUAGE:CXX>>:-ffunction-sections -fdata-sections>)
target_compile_options(quenlow_core PRIVATE ${QUENLOW_SIZE_COMPILE_OPTIONS})

# The Win32 and COM layer: error texts, WMI access and the worker thread that talks to it, COM, the DLL
# search and start-up's user interface.
add_library(quenlow_win STATIC
    common/HResultText_win.cpp
    services/ComApartment_win.cpp
    services/WmiServiceAccess_win.cpp
    services/WmiWorker_win.cpp
    start/DllSearch_win.cpp
    start/StartupUi_win.cpp
)
target_link_libraries(quenlow_win PUBLIC quenlow_core ole32 oleaut32 wbemuuid uuid user32)
target_compile_options(quenlow_win PRIVATE ${QUENLOW_SIZE_COMPILE_OPTIONS})
quenlow_warnings(quenlow_win)

# The window kit that every window is built on: DPI and twips, window classes, placement, the
# untrapped-error report, and the wait for the worker with its progress window.
add_library(quenlow_ui_win STATIC
    ui/Dpi_win.cpp
    ui/ProgressWindow_win.cpp
    ui/ServiceWorkWait_win.cpp
    ui/UntrappedError_win.cpp
    ui/WindowClass_win.cpp
    ui/WindowPlacement_win.cpp
)
target_link_libraries(quenlow_ui_win PUBLIC quenlow_win user32 gdi32 comctl32)
target_compile_options(quenlow_ui_win PRIVATE ${QUENLOW_SIZE_COMPILE_OPTIONS})
quenlow_warnings(quenlow_ui_win)

add_executable(quenlow WIN32 start/WinMain_win.cpp resources/quenlow.rc)
# windres reads these through the .rc files; a change to any of them must rebuild the resources.
set(QUENLOW_SPLASH_RESOURCE_FILES
    ${CMAKE_CURRENT_SOURCE_DIR}/resources/splash.rc
    ${CMAKE_CURRENT_SOURCE_DIR}/resources/splash_ids.h
    ${CMAKE_CURRENT_SOURCE_DIR}/resources/app.ico
    ${CMAKE_CURRENT_SOURCE_DIR}/resources/logo.bmp)
set_source_files_properties(resources/quenlow.rc PROPERTIES OBJECT_DEPENDS
    "${CMAKE_CURRENT_SOURCE_DIR}/resources/quenlow.manifest;${QUENLOW_SPLASH_RESOURCE_FILES}")
set_target_properties(quenlow PROPERTIES OUTPUT_NAME quenlow)
target_compile_options(quenlow PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-municode> ${QUENLOW_SIZE_COMPILE_OPTIONS})
target_link_options(quenlow PRIVATE -municode $<$<CONFIG:MinSizeRel>:-Wl,--gc-sections -s>)
target_link_libraries(quenlow PRIVATE quenlow_ui_win)
quenlow_warnings(quenlow)

# The splash window on Win32 and the executable's own title and version.
include(cmake/Splash.cmake)

# List windows: the Win32 user interface of the windowed path (the three list windows, the
# splash window's host, the message loop) and the pictures of the list windows' buttons.
add_library(quenlow_windows_win STATIC
    windows/ListWindowDesigns_win.cpp
    windows/ListWindow_win.cpp
    windows/PictureButton_win.cpp
    windows/ServiceListControl_win.cpp
    windows/Win32UserInterface_win.cpp
)
target_link_libraries(quenlow_windows_win PUBLIC quenlow_ui_win quenlow_splash_win comctl32 gdi32 user32)
target_compile_options(quenlow_windows_win PRIVATE ${QUENLOW_SIZE_COMPILE_OPTIONS})
quenlow_warnings(quenlow_windows_win)
# An object library: a resource inside a static library would never be pulled into the program.
add_library(quenlow_button_pictures OBJECT resources/buttons.rc)
file(GLOB QUENLOW_BUTTON_PICTURES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/resources/pictures/*.bmp)
set_source_files_properties(resources/buttons.rc PROPERTIES OBJECT_DEPENDS
    "${CMAKE_CURRENT_SOURCE_DIR}/resources/button_ids.h;${QUENLOW_BUTTON_PICTURES}")
target_include_directories(quenlow_button_pictures PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/resources)
target_link_libraries(quenlow PRIVATE quenlow_windows_win quenlow_button_pictures)

add_subdirectory(tests/wine)
