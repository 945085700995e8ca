#include "start/DllSearch_win.h"

#include <windows.h>

namespace quenlow {

// Quenlow asks for no rights of its own (asInvoker), but starting and stopping services needs
// administrator rights, so it is often run elevated. Windows looks for a DLL that is not one of
// its known DLLs in the program's folder first, so a DLL that the system, COM or WMI load by name
// later on could be planted there (or in the current folder) by anyone who can write to it.
void RestrictDllSearchToSystemFolder() noexcept
{
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    // Resolved at run time: Windows 7 has it only with a later update.
    const HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
    // Through void(*)(), the one function pointer type a cast may go through without a warning.
    const auto setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void (*)()>(
        kernel32 ? ::GetProcAddress(kernel32, "SetDefaultDllDirectories") : nullptr));
    if (setDefaultDllDirectories && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        return;
    }
    // Without it, at least the current folder leaves the search.
    ::SetDllDirectoryW(L"");
}

} // namespace quenlow
