#include "support/RunningProcesses.h"

#include "common/HResultText_win.h"
#include "common/UniqueHandle_win.h"

#include <tlhelp32.h>

namespace quenlow::testing {

std::map<DWORD, std::wstring> RunningProcesses()
{
    // A failed snapshot is INVALID_HANDLE_VALUE, which the owner below would take for a handle.
    const HANDLE taken = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (taken == INVALID_HANDLE_VALUE) {
        ThrowLastError(L"CreateToolhelp32Snapshot");
    }
    const UniqueHandle snapshot(taken);
    std::map<DWORD, std::wstring> found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
        found.emplace(entry.th32ProcessID, entry.szExeFile);
    }
    return found;
}

} // namespace quenlow::testing
