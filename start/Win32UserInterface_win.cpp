#include "start/Win32UserInterface_win.h"

#include "common/Error.h"
#include "common/HResultText_win.h"
#include "common/ScopeExit.h"
#include "splash/frmSplash_win.h"
#include "ui/CommonControls_win.h"
#include "ui/DisabledWindows_win.h"
#include "ui/MessageBox_win.h"
#include "ui/QuestionBox_win.h"
#include "ui/WaitCursor_win.h"

#include <commctrl.h>

namespace quenlow {

Win32UserInterface::Win32UserInterface(HINSTANCE instance, WaitSafety& safety)
    : m_instance(instance), m_safety(safety)
{
}

Win32UserInterface::~Win32UserInterface() = default;

ListWindow* Win32UserInterface::LoadedListWindow(WindowId window) const noexcept
{
    return m_listWindows[IndexOf(window)].get();
}

ListWindow& Win32UserInterface::ListWindowOf(WindowId window) const
{
    ListWindow* listWindow = LoadedListWindow(window);
    if (!listWindow || !listWindow->Window()) {
        throw Error(static_cast<std::int32_t>(E_HANDLE), L"The list window is not loaded.");
    }
    return *listWindow;
}

HWND Win32UserInterface::Handle(WindowId window) const noexcept
{
    if (window == WindowId::frmSplash) {
        return m_splash.get();
    }
    const ListWindow* listWindow = LoadedListWindow(window);
    return listWindow ? listWindow->Window() : nullptr;
}

void Win32UserInterface::CreateFromDesign(WindowId window)
{
    if (window == WindowId::frmSplash) {
        if (!m_program) {
            throw Error(static_cast<std::int32_t>(E_UNEXPECTED), L"The splash window has no program to report to.");
        }
        m_splash.reset(CreateSplashWindow(m_instance, *m_program));
        return;
    }
    if (!m_listClassesReady) {
        LoadCommonControls();
        INITCOMMONCONTROLSEX controls{};
        controls.dwSize = sizeof(controls);
        controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES;
        ::InitCommonControlsEx(&controls);
        ListWindow::RegisterWindowClass(m_instance);
        m_listClassesReady = true;
    }
    const ListWindowDesign* design = ListWindowDesignOf(window);
    IListWindowEvents& events = *this;
    auto listWindow = std::make_unique<ListWindow>(*design, events);
    listWindow->Create(m_instance, design->inTaskbar ? nullptr : m_taskbarOwner.Get(m_instance));
    m_listWindows[IndexOf(window)] = std::move(listWindow);
}

void Win32UserInterface::SetVisible(WindowId window, bool visible)
{
    if (window == WindowId::frmSplash) {
        ::ShowWindow(m_splash.get(), visible ? SW_SHOW : SW_HIDE);
        if (visible) {
            ::SetForegroundWindow(m_splash.get());
        }
        return;
    }
    ListWindow& listWindow = ListWindowOf(window);
    if (visible) {
        listWindow.Show();
    } else {
        listWindow.Hide();
    }
}

void Win32UserInterface::Destroy(WindowId window)
{
    if (window == WindowId::frmSplash) {
        m_splash.reset();
        return;
    }
    auto& slot = m_listWindows[IndexOf(window)];
    if (!slot) {
        return;
    }
    slot->Destroy();
    // Most often this runs inside one of the window's own handlers, whose object must outlive it.
    m_unloaded.push_back(std::move(slot));
}

void Win32UserInterface::ClearList(WindowId window)
{
    ListWindowOf(window).List().Clear();
}

void Win32UserInterface::AppendToList(WindowId window, const std::vector<std::wstring>& texts)
{
    ListWindowOf(window).List().Append(texts);
}

std::size_t Win32UserInterface::ListCount(WindowId window)
{
    return ListWindowOf(window).List().Count();
}

std::wstring Win32UserInterface::ListText(WindowId window, std::size_t position)
{
    return ListWindowOf(window).List().Text(position);
}

bool Win32UserInterface::ListChecked(WindowId window, std::size_t position)
{
    return ListWindowOf(window).List().Checked(position);
}

void Win32UserInterface::SetLabelCaption(WindowId window, LabelId label, std::wstring_view caption)
{
    if (window != WindowId::frmSplash || !m_splash) {
        return;
    }
    SetSplashLabelCaption(m_splash.get(), label, caption);
}

std::vector<HWND> Win32UserInterface::VisibleWindows() const
{
    std::vector<HWND> windows;
    for (std::size_t i = 0; i < kWindowCount; ++i) {
        const HWND handle = Handle(static_cast<WindowId>(i));
        if (handle && ::IsWindowVisible(handle)) {
            windows.push_back(handle);
        }
    }
    return windows;
}

HWND Win32UserInterface::DialogOwner() const noexcept
{
    // The splash window's events are handled too, but its boxes and waits stand alone.
    const std::optional<WindowId> window = m_safety.HandledWindow();
    const ListWindow* listWindow = window ? LoadedListWindow(*window) : nullptr;
    const HWND handle = listWindow ? listWindow->Window() : nullptr;
    return handle && ::IsWindowVisible(handle) ? handle : nullptr;
}

void Win32UserInterface::ShowMessage(std::wstring_view text)
{
    const HWND owner = DialogOwner();
    // Modal for the whole program, not only for its owner: no other window of ours takes input
    // until it is closed.
    const DisabledWindows others(VisibleWindows(), owner);
    // The user is asked for something now: the arrow, not the wait cursor.
    m_safety.BoxShown();
    const ScopeExit answered([this] { m_safety.BoxAnswered(); });
    ShowMessageBox(owner, text);
}

bool Win32UserInterface::AskYesNo(std::wstring_view question)
{
    // Owned and modal as ShowMessage's box is.
    const HWND owner = DialogOwner();
    const DisabledWindows others(VisibleWindows(), owner);
    m_safety.BoxShown();
    const ScopeExit answered([this] { m_safety.BoxAnswered(); });
    return AskYesNoBox(owner, question);
}

void Win32UserInterface::EndProgram()
{
    ::PostQuitMessage(0);
}

template <typename Handler>
void Win32UserInterface::Dispatch(Handler&& handler)
{
    if (!m_program) {
        return;
    }
    const ScopedWaitCursor waitCursor;
    handler(*m_program);
}

void Win32UserInterface::OnClick(WindowId window, ControlId control)
{
    Dispatch([&](IWindowEvents& program) { program.Click(window, control); });
}

void Win32UserInterface::OnClosedByUser(WindowId window)
{
    Dispatch([&](IWindowEvents& program) { program.ClosedByUser(window); });
}

bool Win32UserInterface::TakesDialogKeys(HWND root) const
{
    for (const auto& listWindow : m_listWindows) {
        if (listWindow && listWindow->Window() == root) {
            return true;
        }
    }
    return false;
}

void Win32UserInterface::AfterEachMessage()
{
    // Unloaded windows' objects outlive the handlers that unloaded them, no longer.
    if (!m_safety.HandledWindow()) {
        m_unloaded.clear();
    }
}

} // namespace quenlow
