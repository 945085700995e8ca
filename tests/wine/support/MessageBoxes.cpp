#include "support/MessageBoxes.h"

#include "support/ChildProcess.h"
#include "support/TopLevelWindows.h"
#include "support/UniqueHandle.h"

namespace quenlow::testing {

namespace {

constexpr int kMessageTextId = 0xFFFF;

} // namespace

std::optional<MessageBoxView> WaitForMessageBox(const ChildProcess& process, std::chrono::milliseconds timeout,
                                                const std::wstring& caption)
{
    const HWND box = WaitForTopLevelWindow(process, {0, kDialogClass, caption, true}, timeout);
    if (box == nullptr) {
        return std::nullopt;
    }
    return MessageBoxView{box, WindowText(box), ReadMessageBoxText(box)};
}

std::wstring ReadMessageBoxText(HWND box)
{
    const HWND text = ::GetDlgItem(box, kMessageTextId);
    return text == nullptr ? std::wstring() : WindowText(text);
}

void PressOk(HWND box)
{
    if (!::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0)) {
        ThrowLastError("PostMessageW(WM_COMMAND IDOK)");
    }
}

bool AnswerOk(HWND box, std::chrono::milliseconds timeout)
{
    PressOk(box);
    return WaitUntilClosed(box, timeout);
}

} // namespace quenlow::testing
