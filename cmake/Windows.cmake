# The Windows build: resources, the static runtime and the Win32 definitions every layer uses.
enable_language(RC)

# Static runtime: the executable needs no DLL beyond Windows' own.
add_link_options(-static -static-libgcc -static-libstdc++)
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)
include(cmake/DelayLoad.cmake)
