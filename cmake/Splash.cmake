# The splash window on Win32 and the executable's own title and version. Its pictures are in
# resources/splash.rc, which resources/quenlow.rc includes.
add_library(quenlow_splash_win STATIC
    splash/AppInfo_win.cpp
    splash/SplashContent_win.cpp
    splash/SplashFrame_win.cpp
    splash/VersionResource_win.cpp
    splash/frmSplash_win.cpp
)
target_link_libraries(quenlow_splash_win PUBLIC quenlow_ui_win)
target_compile_options(quenlow_splash_win PRIVATE ${QUENLOW_SIZE_COMPILE_OPTIONS})
quenlow_warnings(quenlow_splash_win)
