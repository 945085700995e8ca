#include "support/MessageBoxes.h"

#include "common/HResultText_win.h"
#include "support/ChildProcess.h"
#include "support/TopLevelWindows.h"

#include <commctrl.h>

#include <stdexcept>
#include <vector>

namespace quenlow::testing {

namespace {

constexpr int kMessageTextId = 0xFFFF;

// The child windows of the class, in their order.
std::vector<HWND> Children(HWND parent, const wchar_t* className)
{
    std::vector<HWND> children;
    for (HWND child = ::FindWindowExW(parent, nullptr, className, nullptr); child;
         child = ::FindWindowExW(parent, child, className, nullptr)) {
        children.push_back(child);
    }
    return children;
}

bool HasProgressBar(HWND window)
{
    return !Children(window, PROGRESS_CLASSW).empty();
}

} // namespace

std::optional<MessageBoxView> WaitForMessageBox(const ChildProcess& process, std::chrono::milliseconds timeout,
                                                const std::wstring& caption)
{
    const HWND box = WaitForTopLevelWindow(process, {0, kDialogClass, caption, true, IsMessageBox}, timeout);
    if (box == nullptr) {
        return std::nullopt;
    }
    return MessageBoxView{box, WindowText(box), ReadMessageBoxText(box)};
}

bool IsMessageBox(HWND dialog)
{
    return ::GetDlgItem(dialog, kMessageTextId) != nullptr && !HasProgressBar(dialog);
}

std::optional<MessageBoxView> WaitForProgressWindow(const ChildProcess& process, std::chrono::milliseconds timeout)
{
    const HWND progress = WaitForTopLevelWindow(process, {0, kDialogClass, kApplicationTitle, true, HasProgressBar},
                                                timeout);
    if (progress == nullptr) {
        return std::nullopt;
    }
    return MessageBoxView{progress, WindowText(progress), ReadProgressText(progress)};
}

std::wstring ReadProgressText(HWND progress)
{
    std::wstring text;
    for (const HWND label : Children(progress, L"Static")) {
        const std::wstring line = WindowText(label);
        if (!line.empty()) {
            text += (text.empty() ? L"" : L"\n") + line;
        }
    }
    return text;
}

void PressStopWaiting(HWND progress)
{
    const HWND button = ::FindWindowExW(progress, nullptr, L"Button", L"Stop Waiting");
    if (button == nullptr || !::PostMessageW(button, BM_CLICK, 0, 0)) {
        throw std::runtime_error("the progress window has no Stop Waiting button");
    }
}

std::wstring ReadMessageBoxText(HWND box)
{
    const HWND text = ::GetDlgItem(box, kMessageTextId);
    return text == nullptr ? std::wstring() : WindowText(text);
}

void PressOk(HWND box)
{
    if (!::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0)) {
        ThrowLastError(L"PostMessageW(WM_COMMAND IDOK)");
    }
}

bool AnswerOk(HWND box, std::chrono::milliseconds timeout)
{
    PressOk(box);
    return WaitUntilClosed(box, timeout);
}

bool IsQuestion(HWND box)
{
    return ::GetDlgItem(box, IDYES) != nullptr && ::GetDlgItem(box, IDNO) != nullptr;
}

bool AnswerQuestion(HWND box, bool yes, std::chrono::milliseconds timeout)
{
    const int button = yes ? IDYES : IDNO;
    if (!::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                        reinterpret_cast<LPARAM>(::GetDlgItem(box, button)))) {
        ThrowLastError(L"PostMessageW(WM_COMMAND IDYES/IDNO)");
    }
    return WaitUntilClosed(box, timeout);
}

} // namespace quenlow::testing
