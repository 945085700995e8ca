#pragma once

#include "ui/BaseWindow_win.h"
#include "ui/UniqueGdi_win.h"
#include "ui/WindowClassNames.h"
#include "windows/ListWindowDesigns_win.h"
#include "windows/ServiceListControl_win.h"

#include <windows.h>

#include <memory>
#include <vector>

namespace quenlow {

// Where a list window's events go.
class IListWindowEvents {
public:
    virtual void OnClick(WindowId window, ControlId control) = 0;
    virtual void OnClosedByUser(WindowId window) = 0;
    // True while an event handler runs: the window shows the wait cursor.
    virtual bool Busy() const = 0;

protected:
    ~IListWindowEvents() = default;
};

// One of the three list windows, built from its design at the window's DPI. The window runs
// under the dialog manager (its window class has the dialog's extra bytes and unhandled
// messages go to DefDlgProcW), so Tab, Enter on the default button and the focus kept across
// activation work as in any dialog.
class ListWindow final : public BaseWindow<ListWindow> {
public:
    static constexpr const wchar_t* kClassName = kListWindowClassName;
    // Registers the window class, once per process.
    static void RegisterWindowClass(HINSTANCE instance);

    ListWindow(const ListWindowDesign& design, IListWindowEvents& events) noexcept;
    ~ListWindow();

    // Creates the window and its controls, hidden. The owner only keeps a window out of the
    // task bar; it is not one of the program's windows.
    void Create(HINSTANCE instance, HWND owner);
    void Show();
    void Hide() noexcept;
    void Destroy() noexcept;

    WindowId Id() const noexcept { return m_design.window; }
    ServiceListControl& List() noexcept { return *m_list; }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT DefaultProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    DWORD Style() const noexcept;
    DWORD ExStyle() const noexcept;
    SIZE OuterSize(UINT dpi) const noexcept;
    void PlaceOnScreen(UINT dpi);
    void CreateControls();
    // Places the controls, and gives them their font and pictures, at the DPI.
    void Layout(UINT dpi);
    void OnCommand(WPARAM wParam);

    const ListWindowDesign& m_design;
    IListWindowEvents& m_events;
    std::unique_ptr<ServiceListControl> m_list;
    std::vector<HWND> m_buttons; // in the order of m_design.buttons; destroyed with the window
    UniqueHfont m_font;
};

} // namespace quenlow
