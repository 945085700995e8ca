#pragma once

#include "services/WorkBoard.h"

#include <windows.h>

#include <functional>
#include <string>

namespace quenlow {

// The progress window of a wait for work on the services: the system's task dialog, with the
// application title as its caption, the work's headline, a bar that moves by the services' check
// points once one has moved on (to and fro until then, and never back), the services' lines, and
// "Stop Waiting"; Esc and the title bar's close stop the wait too. It keeps its size while it is
// open: a fixed width, and updates that never lay it out again. Owned, it is modal for its owner,
// which it disables and enables again itself, so that the owner is active again when it goes;
// without an owner it has a button of its own in the task bar, and closing it there stops the
// wait.
class ProgressWindow {
public:
    using BoardSource = std::function<WorkBoard()>;

    explicit ProgressWindow(BoardSource board);
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    // Shows the window until Close is called or the user stops waiting; true in the second case.
    bool Run(HWND owner);
    // Shows what the work is doing now.
    void Refresh();
    // The work has ended: the window goes.
    void Close() noexcept;
    // The user asked for the wait to end by other means (the program was told to close).
    void StopWaiting() noexcept;

private:
    static HRESULT CALLBACK Callback(HWND window, UINT notification, WPARAM wParam, LPARAM lParam, LONG_PTR self);
    void PostClose() noexcept;

    BoardSource m_board;
    HWND m_window = nullptr;
    bool m_closing = false;
    bool m_stopped = false;
    bool m_marquee = true;
    int m_shownPosition = 0;
    std::wstring m_shownLines;
};

} // namespace quenlow
