#include "ui/CommonControls_win.h"

#include <windows.h>

namespace quenlow {

void LoadCommonControls() noexcept
{
    // Kept for the life of the process, as the program's imports are. The process's default
    // activation context makes this version 6, and the program's search (the system folder) covers
    // the DLLs it loads in turn.
    static const HMODULE loaded = ::LoadLibraryW(L"comctl32.dll");
    static_cast<void>(loaded);
}

} // namespace quenlow
