// A DLL planted beside a copy of quenlow.exe under the name of one that the program once
// imported (planted_dll.def). It leaves NAME.dll.called beside itself once the program's own code
// calls it; calls from the system's DLLs do not count. Planted under a name that only a system DLL
// loads, later, it leaves NAME.dll.loaded once loaded at all.
#include <windows.h>

#include <string>

extern "C" IMAGE_DOS_HEADER __ImageBase; // this DLL's own module

static void LeaveMarker(const wchar_t* suffix)
{
    wchar_t path[MAX_PATH]{};
    const DWORD length = ::GetModuleFileNameW(reinterpret_cast<HMODULE>(&__ImageBase), path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        const HANDLE marker = ::CreateFileW((std::wstring(path, length) + suffix).c_str(), GENERIC_WRITE, 0,
                                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (marker != INVALID_HANDLE_VALUE) {
            ::CloseHandle(marker);
        }
    }
}

// Found, so that an import of it loads, and failing, as if the data were missing.
extern "C" __attribute__((noinline)) BOOL WINAPI PlantedFunction()
{
    HMODULE caller = nullptr;
    if (::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                             static_cast<LPCWSTR>(__builtin_return_address(0)), &caller) &&
        caller == ::GetModuleHandleW(nullptr)) {
        LeaveMarker(L".called");
    }
    return FALSE;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        LeaveMarker(L".loaded");
    }
    return TRUE;
}
