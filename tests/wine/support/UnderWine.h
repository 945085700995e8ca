#pragma once

#include <windows.h>

namespace quenlow::testing {

// Whether the tests run under Wine, whose ntdll alone exports wine_get_version: for the checks
// that only Windows can make, and for those that read what only Wine's controls show.
inline bool UnderWine()
{
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

} // namespace quenlow::testing
