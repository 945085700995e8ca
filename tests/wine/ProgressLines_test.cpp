// A line that grows past the width the progress window was laid out for is shown whole, wrapped:
// read from the labels of Wine's task dialog (Windows draws the dialog's text itself).
#include "ui/UniqueGdi_win.h"
#include "work/ProgressWindow_win.h"

#include <gtest/gtest.h>

namespace quenlow {
namespace {

TEST(ProgressLines, ALineThatGrowsIsShownWhole)
{
    if (!::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) {
        GTEST_SKIP() << "only Wine's task dialog shows its text in labels";
    }
    const std::wstring grown = L"Wide WWWW WWWW WWWW WWWW WWWW WWWW WWWW WWWW WWWW WWWW WWWW";
    const std::wstring line = grown + L": not asked yet";
    int boards = 0; // the first is shown, the next ones refresh it
    ProgressWindow* self = nullptr;
    ProgressWindow progress([&] {
        if (boards == 3) {
            const HWND label = ::FindWindowExW(::GetActiveWindow(), nullptr, L"Static", line.c_str());
            RECT shown{};
            ::GetClientRect(label, &shown);
            RECT needed = shown;
            const UniqueScreenDc dc(::GetDC(nullptr));
            const ScopedSelectObject font(dc.get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(label, WM_GETFONT, 0, 0)));
            ::DrawTextW(dc.get(), line.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK);
            EXPECT_TRUE(label && needed.right <= shown.right && needed.bottom <= shown.bottom)
                << needed.right << " x " << needed.bottom << " needed, " << shown.right << " x " << shown.bottom;
            self->Close();
        }
        return ServiceActionBoard(ServiceMethod::Start, {boards++ < 2 ? L"Quenlow Test" : grown});
    });
    self = &progress;
    EXPECT_FALSE(progress.Run(nullptr));
}

} // namespace
} // namespace quenlow
