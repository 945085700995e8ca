#pragma once

#include "services/WorkBoard.h"
#include "ui/UniqueGdi_win.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace quenlow {

// The progress window of a wait for work on the services: the system's task dialog, with the
// application title as its caption, the work's headline, a bar that moves by the services' check
// points once one has moved on (to and fro until then, and never back), the services' lines, and
// "Stop Waiting"; Esc and the title bar's close stop the wait too. It keeps its size while it is
// open: a fixed width, and updates in place, unless a line has grown wider than it was when the
// window was laid out; then the text is set again, which lays the window out, so that no line is
// cut, and it grows only when a line now wraps. Owned, it is modal for its owner, which it
// disables and enables again itself, so that the owner is active again when it goes; without an
// owner it has a button of its own in the task bar, and closing it there stops the wait.
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
    // The width of each line of the text in the window's font; empty when it cannot be measured.
    std::vector<int> LineWidths(const std::wstring& text) const;
    // Shows m_shownLines, in place or laid out again.
    void ShowLines();

    BoardSource m_board;
    HWND m_window = nullptr;
    bool m_closing = false;
    bool m_stopped = false;
    bool m_marquee = true;
    int m_shownPosition = 0;
    std::wstring m_shownLines;
    UniqueHfont m_font;
    // The widths of the lines the window was last laid out for.
    std::vector<int> m_laidOutWidths;
};

} // namespace quenlow
