// A DLL planted beside a copy of quenlow.exe under the name of one that a system DLL loads by
// name after start-up (uxtheme.dll, which the common controls 6 load). It exports nothing: it
// leaves NAME.dll.loaded beside itself as soon as it is loaded, which is already too late.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    wchar_t path[MAX_PATH]{};
    const DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH);
    if (reason == DLL_PROCESS_ATTACH && length > 0 && length < MAX_PATH) {
        const HANDLE marker = ::CreateFileW((std::wstring(path, length) + L".loaded").c_str(), GENERIC_WRITE, 0,
                                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (marker != INVALID_HANDLE_VALUE) {
            ::CloseHandle(marker);
        }
    }
    return TRUE;
}
