#pragma once

#include "support/TimeLimits.h"

#include <windows.h>

#include <chrono>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The list windows of a running quenlow.exe, driven from the test process as a user would:
// real clicks and key presses for what a user does, window messages only to read what is on
// screen. Failures throw DriverError, which GoogleTest reports with its text.
namespace quenlow::testing {

class ChildProcess;

struct DriverError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

enum class ListWindowKind { StoppedServices, ActiveServices, AllServices };

// The caption of the window kind: "Stopped Services", "Active Services List", "All Services List".
std::wstring_view CaptionOf(ListWindowKind kind);

// One list window of the program. The handle stays valid while the window is loaded (visible
// or hidden); an unloaded window's handle is gone for good.
class ListWindowDriver {
public:
    ListWindowDriver(HWND window, ListWindowKind kind);

    HWND Window() const noexcept { return m_window; }
    ListWindowKind Kind() const noexcept { return m_kind; }
    bool Exists() const;
    bool Visible() const;

    // ---- The list --------------------------------------------------------------------------
    HWND List() const;
    // The entries' texts, top to bottom.
    std::vector<std::wstring> Entries() const;
    // The position of the entry with exactly this text; nullopt when there is none.
    std::optional<std::size_t> PositionOf(std::wstring_view text) const;
    bool Contains(std::wstring_view text) const { return PositionOf(text).has_value(); }

    // Check-box lists (stopped and active services): the entries whose boxes are ticked.
    std::vector<std::wstring> TickedEntries() const;
    bool IsTicked(std::size_t position) const;
    // Ticks (or clears) the entry's box with a real click on the box; waits until it shows so.
    void ClickCheckBox(std::wstring_view text);
    // Clicks the entry's text (it becomes the focused entry) and presses Space on it.
    void ToggleWithSpace(std::wstring_view text);
    // Ticks (or clears) the entry's box from this process as screen readers and automation
    // tools do: LVM_SETITEMSTATE with the state image, the item in the program's own memory.
    // Waits until the list reports the new state.
    void SetTickFromOutside(std::wstring_view text, bool ticked);
    // Whether the list shows its horizontal scroll bar.
    bool HasHorizontalScrollBar() const;
    // LVM_GETSTRINGWIDTH: the width of the text in the list's font, in pixels.
    int StringWidth(std::wstring_view text) const;

    // The plain list (all services): the selected entry, and a real click that selects one.
    std::optional<std::size_t> SelectedPosition() const;
    void ClickEntry(std::wstring_view text);

    // ---- Buttons and keys ------------------------------------------------------------------
    HWND Button(std::wstring_view caption) const;
    // A real click in the middle of the button, once, with the window brought to the front and
    // enabled first. A press that does not arrive throws, saying what the program was doing.
    void ClickButton(std::wstring_view caption);
    // BM_CLICK, posted: what an accessibility tool does. Never sent, since the program may
    // be about to show a message box.
    void PostButtonClick(std::wstring_view caption);
    // Brings the window to the front and presses the keys (see PressKeys).
    void PressKeys(std::initializer_list<WORD> keys);

    // The control that has the keyboard focus in this window's thread, when it is in this window.
    HWND Focus() const;
    // What has the focus, as a user names it: "list", a button's caption, or "(none)".
    std::wstring FocusName() const;

    // ---- Closing from the window system ----------------------------------------------------
    // A real click on the close box of the title bar.
    void ClickTitleBarCloseBox();
    // The system menu's Close (WM_SYSCOMMAND SC_CLOSE), posted.
    void PostSystemClose();
    // Alt+F4 with the window in front.
    void PressAltF4();

private:
    LRESULT Ask(UINT message, WPARAM wParam, LPARAM lParam, HWND to = nullptr) const;
    bool IsCheckBoxList() const;
    void RequireCheckBoxList(const char* what) const;
    std::size_t RequirePosition(std::wstring_view text) const;
    RECT ListItemRect(std::size_t position, int part) const;
    POINT CheckBoxPoint(std::size_t position) const;
    void BringToFront() const;
    // The window in front and taking input, and the point in the control uncovered.
    void ReadyToClick(HWND control, POINT screen) const;
    void ClickInside(HWND control, POINT screen) const;
    bool WaitForTick(std::size_t position, bool ticked) const;

    HWND m_window;
    ListWindowKind m_kind;
    DWORD m_processId = 0;
};

// The process's list window of that kind, visible or hidden; nullopt when it is not loaded.
std::optional<ListWindowDriver> FindListWindow(DWORD processId, ListWindowKind kind);

// Waits until the process shows a list window of that kind; throws after the timeout or when
// the process ends first.
ListWindowDriver WaitForListWindow(const ChildProcess& process, ListWindowKind kind,
                                   std::chrono::milliseconds timeout = kWindowComesWithin);

} // namespace quenlow::testing
