// The progress window in this process, fed boards whose lines change as the test says: a line
// that grows past the width the window was laid out for is shown whole, wrapped where it must,
// and lines that do not grow leave the window as it was. What is shown is read from the task
// dialog's labels, which only Wine's has: Windows draws the dialog's text itself.
#include "support/TopLevelWindows.h"
#include "support/UnderWine.h"
#include "ui/UniqueGdi_win.h"
#include "work/ProgressWindow_win.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace quenlow {
namespace {

using testing::WindowText;

// The label that shows the text, and whether it shows all of it, as its control wraps it.
::testing::AssertionResult ShownWhole(HWND dialog, const std::wstring& text)
{
    HWND label = nullptr;
    while ((label = ::FindWindowExW(dialog, label, L"Static", nullptr)) != nullptr && WindowText(label) != text) {
    }
    if (!label) {
        return ::testing::AssertionFailure() << "no label shows the text";
    }
    RECT client{};
    ::GetClientRect(label, &client);
    RECT needed = client;
    const UniqueScreenDc dc(::GetDC(nullptr));
    const ScopedSelectObject font(dc.get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(label, WM_GETFONT, 0, 0)));
    ::DrawTextW(dc.get(), text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    if (needed.right > client.right || needed.bottom > client.bottom) {
        return ::testing::AssertionFailure() << "needs " << needed.right << " x " << needed.bottom << ", has "
                                             << client.right << " x " << client.bottom;
    }
    return ::testing::AssertionSuccess();
}

WorkBoard BoardOf(const std::wstring& label)
{
    return ServiceActionBoard(ServiceMethod::Start, {label});
}

TEST(ProgressLines, ALineThatGrowsIsShownWholeAndOneThatDoesNotKeepsTheSize)
{
    if (!testing::UnderWine()) {
        GTEST_SKIP() << "only Wine's task dialog shows its text in labels";
    }
    // Each board is one line "<label>: not asked yet"; the second needs more than the width.
    std::wstring grown = L"Wide";
    while (grown.size() < 60) {
        grown += L" WWWW";
    }
    int boards = 0;
    RECT wrapped{};
    ProgressWindow* window = nullptr;
    ProgressWindow progress([&]() -> WorkBoard {
        const auto dialogs = testing::FindTopLevelWindows({::GetCurrentProcessId(), L"#32770", L"Quenlow", true});
        switch (boards++) {
        case 0: // shown first, and on the first refresh
        case 1:
            return BoardOf(L"Quenlow Test");
        case 2:
            return BoardOf(grown);
        case 3:
            EXPECT_TRUE(ShownWhole(dialogs.at(0), grown + L": not asked yet"));
            ::GetWindowRect(dialogs.at(0), &wrapped);
            return BoardOf(L"Quenlow Test");
        default:
            RECT now{};
            ::GetWindowRect(dialogs.at(0), &now);
            EXPECT_TRUE(::EqualRect(&now, &wrapped)) << "a shorter line changed the window's size";
            window->Close();
            return BoardOf(L"Quenlow Test");
        }
    });
    window = &progress;
    EXPECT_FALSE(progress.Run(nullptr));
    EXPECT_GE(boards, 5);
}

} // namespace
} // namespace quenlow
