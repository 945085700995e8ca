#include "bench/ProcessSteps_win.h"

#include "support/MessageBoxes.h"
#include "support/TopLevelWindows.h"
#include "ui/WindowClassNames.h"

#include <commctrl.h>

#include <optional>
#include <stdexcept>

namespace quenlow::bench {

using namespace std::chrono_literals;

HWND WaitForWindow(const testing::ChildProcess& process, const wchar_t* className, const wchar_t* caption)
{
    const testing::WindowQuery query{0, className, caption ? std::optional<std::wstring>(caption) : std::nullopt, true};
    return testing::WaitForTopLevelWindow(process, query, kWindowTimeout, 1ms);
}

HWND WaitForMessageBox(const testing::ChildProcess& process, const wchar_t* caption, std::chrono::milliseconds timeout)
{
    // The caption is asked for (a message to the window) only once the window is known to be a
    // box: the progress window would otherwise be asked every millisecond of the wait.
    const std::wstring wanted(caption);
    const testing::WindowQuery query{0, testing::kDialogClass, std::nullopt, true, [wanted](HWND window) {
                                         return testing::IsMessageBox(window) && testing::WindowText(window) == wanted;
                                     }};
    return testing::WaitForTopLevelWindow(process, query, timeout, 1ms);
}

HWND RequireWindow(HWND window, const std::string& what)
{
    if (!window) {
        throw std::runtime_error(what + " did not appear");
    }
    return window;
}

void PostClick(HWND window, POINT client)
{
    ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.x, client.y));
    ::PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
}

void PostSplashFrameClick(HWND splash)
{
    const HWND frame = ::FindWindowExW(splash, nullptr, kSplashFrameClassName, nullptr);
    if (!frame) {
        throw std::runtime_error("the splash window has no frame");
    }
    PostClick(frame, POINT{4, 4});
}

void WaitUntilPainted(HWND window)
{
    ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

std::size_t ListEntries(HWND window)
{
    LRESULT count = 0;
    if (const HWND listView = ::FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr)) {
        count = ::SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0);
    } else if (const HWND listBox = ::FindWindowExW(window, nullptr, WC_LISTBOXW, nullptr)) {
        count = ::SendMessageW(listBox, LB_GETCOUNT, 0, 0);
    }
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

void CloseAndWait(const testing::ChildProcess& process, HWND window, const char* what)
{
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    const auto code = process.WaitForExit(testing::kProcessEndsWithin);
    if (code != 0u) {
        throw std::runtime_error(std::string(what) + " did not end cleanly after its window was closed");
    }
}

void CloseQuenlow(const testing::ChildProcess& quenlow)
{
    const auto windows =
        testing::FindTopLevelWindows({quenlow.Id(), std::wstring(kListWindowClassName), std::nullopt, true});
    if (windows.empty()) {
        throw std::runtime_error("quenlow.exe has no list window to close");
    }
    for (const HWND window : windows) {
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    }
    const auto code = quenlow.WaitForExit(testing::kProcessEndsWithin);
    if (code != 0u) {
        throw std::runtime_error("quenlow.exe did not end cleanly after its windows were closed");
    }
}

} // namespace quenlow::bench
