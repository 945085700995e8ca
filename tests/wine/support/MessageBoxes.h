#pragma once

#include "support/TimeLimits.h"

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>

namespace quenlow::testing {

class ChildProcess;

// A message box or the progress window of another process, as a user sees it.
struct MessageBoxView {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring text;
};

inline constexpr wchar_t kDialogClass[] = L"#32770";
inline constexpr wchar_t kApplicationTitle[] = L"Quenlow";

// Waits for the process to show a message box with the caption and reads its text. nullopt when
// none appeared before the timeout or the process ended without one. The program's progress
// window, a dialog with the same caption, is not a message box.
std::optional<MessageBoxView> WaitForMessageBox(const ChildProcess& process, std::chrono::milliseconds timeout,
                                                const std::wstring& caption = kApplicationTitle);

// Waits for the process's progress window (a dialog titled "Quenlow" with a progress bar); its
// text is every line it shows, the headline first. nullopt as for WaitForMessageBox.
std::optional<MessageBoxView> WaitForProgressWindow(const ChildProcess& process, std::chrono::milliseconds timeout);
// The progress window's text as it is now (see WaitForProgressWindow).
std::wstring ReadProgressText(HWND progress);
// Presses its "Stop Waiting" button as an accessibility tool does (posted BM_CLICK).
void PressStopWaiting(HWND progress);

// Whether the dialog is a message box (it has the message's static control), not the progress window.
bool IsMessageBox(HWND dialog);

// The text of a message box: its static control with id 0xFFFF.
std::wstring ReadMessageBoxText(HWND box);

// Presses OK as a user would. Posted, not sent: the box's owner may be busy.
void PressOk(HWND box);

// Presses OK and waits until the box has gone; false when it is still there after the timeout.
bool AnswerOk(HWND box, std::chrono::milliseconds timeout = kReactionComesWithin);

// Whether the box asks a question: it has Yes and No.
bool IsQuestion(HWND box);
// Presses Yes or No as a user would and waits until the box has gone, as AnswerOk does.
bool AnswerQuestion(HWND box, bool yes, std::chrono::milliseconds timeout = kReactionComesWithin);

} // namespace quenlow::testing
