#pragma once

#include <gtest/gtest.h>

#include <windows.h>

// Cases that only Windows can run: its limits, its service manager's refusals, its sessions.
// They are built for both sides and skipped under Wine, saying so.
namespace quenlow::testing {

// True under Wine, whose ntdll exports wine_get_version; Windows' never does.
inline bool RunningUnderWine()
{
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The fixture Base, for cases that are skipped under Wine before Base sets anything up.
template <class Base>
class WindowsOnly : public Base {
protected:
    void SetUp() override
    {
        if (RunningUnderWine()) {
            m_skipped = true;
            GTEST_SKIP() << "Windows only: Wine does not behave as Windows does here";
        }
        Base::SetUp();
    }

    void TearDown() override
    {
        if (!m_skipped) {
            Base::TearDown();
        }
    }

private:
    bool m_skipped = false;
};

} // namespace quenlow::testing
