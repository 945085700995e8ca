#include "support/TestOptions.h"

#include "common/HResultText_win.h"
#include "support/HostPath.h"

#include <windows.h>

namespace quenlow::testing {

namespace {

std::wstring& ProgramPath()
{
    static std::wstring path;
    return path;
}

} // namespace

const std::wstring& QuenlowProgramPath()
{
    return ProgramPath();
}

void SetQuenlowProgramPath(std::wstring path)
{
    ProgramPath() = HostPathToWindows(path);
}

std::wstring ProgramBesideThisOne(std::wstring_view fileName)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            ThrowLastError(L"GetModuleFileNameW");
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    path.resize(path.find_last_of(L"\\/") + 1);
    return path + std::wstring(fileName);
}

} // namespace quenlow::testing
