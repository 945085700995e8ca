#include "support/ProgramState.h"

#include "common/Text.h"
#include "support/TopLevelWindows.h"

#include <iterator>

namespace quenlow::testing {

namespace {

constexpr UINT kAnswerWithinMs = 5000;

std::string Named(HWND window)
{
    return window ? Utf8(WindowClassName(window)) + " \"" + Utf8(WindowText(window)) + "\"" : std::string("none");
}

} // namespace

GUITHREADINFO InputStateOfThreadOf(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info)) {
        info.hwndFocus = info.hwndCapture = nullptr;
    }
    return info;
}

std::string DescribeProgramState(DWORD processId)
{
    const std::vector<HWND> windows = FindTopLevelWindows({processId, std::nullopt, std::nullopt, true});
    std::string text;
    for (const HWND window : windows) {
        text += "\n  window " + Named(window) + (::IsWindowEnabled(window) ? "" : " (disabled)");
        DWORD_PTR ignored = 0;
        const bool answers =
            ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerWithinMs, &ignored) != 0;
        text += answers ? ", answers messages" : ", does not answer messages within 5 s";
        for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            if (WindowClassName(child) == L"Button" && (::SendMessageW(child, BM_GETSTATE, 0, 0) & BST_PUSHED)) {
                text += ", button \"" + Utf8(WindowText(child)) + "\" held down";
            }
        }
    }
    if (!windows.empty()) {
        const GUITHREADINFO info = InputStateOfThreadOf(windows.front());
        text += "\n  focus: " + Named(info.hwndFocus) + "; capture: " + Named(info.hwndCapture);
    }
    return text;
}

} // namespace quenlow::testing
