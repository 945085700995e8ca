#include "windows/Win32UserInterface_win.h"

#include "common/Error.h"
#include "common/HResultText_win.h"
#include "common/ScopedWaitCursor_win.h"
#include "splash/frmSplash_win.h"
#include "ui/WindowClass_win.h"

#include <commctrl.h>

namespace quenlow {

namespace {

constexpr const wchar_t* kTaskbarOwnerClass = L"QuenlowTaskbarOwner";

} // namespace

Win32UserInterface::Win32UserInterface(HINSTANCE instance, std::wstring applicationTitle)
    : m_instance(instance), m_title(std::move(applicationTitle))
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

HWND Win32UserInterface::TaskbarOwner()
{
    if (m_taskbarOwner) {
        return m_taskbarOwner.get();
    }
    // A window that is owned stays out of the task bar and keeps the ordinary title bar,
    // unlike a tool window's small one. The owner is never shown.
    WNDCLASSEXW ownerClass{};
    ownerClass.lpfnWndProc = ::DefWindowProcW;
    ownerClass.hInstance = m_instance;
    ownerClass.lpszClassName = kTaskbarOwnerClass;
    RegisterWindowClassOnce(ownerClass);
    m_taskbarOwner.reset(::CreateWindowExW(0, kTaskbarOwnerClass, L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                           m_instance, nullptr));
    if (!m_taskbarOwner) {
        ThrowLastError(L"creating the task bar owner window");
    }
    return m_taskbarOwner.get();
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
        // Only the list windows need the common controls; the splash window comes sooner
        // without them.
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
    listWindow->Create(m_instance, design->inTaskbar ? nullptr : TaskbarOwner());
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
    for (auto window = m_eventWindows.rbegin(); window != m_eventWindows.rend(); ++window) {
        const HWND handle = Handle(*window);
        if (handle && ::IsWindowVisible(handle)) {
            return handle;
        }
    }
    return nullptr;
}

void Win32UserInterface::ShowMessage(std::wstring_view text)
{
    const std::wstring message(text);
    const HWND owner = DialogOwner();
    // The box is modal for the whole program, not only for its owner: no other window of ours
    // takes input until it is closed.
    std::vector<HWND> disabled;
    for (const HWND handle : VisibleWindows()) {
        if (handle != owner && ::IsWindowEnabled(handle)) {
            ::EnableWindow(handle, FALSE);
            disabled.push_back(handle);
        }
    }
    // The user is asked for something now: the arrow, not the wait cursor.
    const int busy = std::exchange(m_busy, 0);
    ::MessageBoxW(owner, message.c_str(), m_title.c_str(), MB_OK | MB_SETFOREGROUND | (owner ? 0u : MB_TASKMODAL));
    m_busy = busy;
    for (const HWND handle : disabled) {
        if (::IsWindow(handle)) {
            ::EnableWindow(handle, TRUE);
        }
    }
}

void Win32UserInterface::EndProgram()
{
    ::PostQuitMessage(0);
}

template <typename Handler>
void Win32UserInterface::Dispatch(WindowId window, Handler&& handler)
{
    if (!m_program) {
        return;
    }
    // The pointer shows at once that the program is busy, before it next moves.
    const ScopedWaitCursor waitCursor;
    ++m_busy;
    m_eventWindows.push_back(window);
    struct Done {
        Win32UserInterface& ui;
        ~Done()
        {
            --ui.m_busy;
            ui.m_eventWindows.pop_back();
        }
    } done{*this};
    handler(*m_program);
}

void Win32UserInterface::OnClick(WindowId window, ControlId control)
{
    Dispatch(window, [&](IWindowEvents& program) { program.Click(window, control); });
}

void Win32UserInterface::OnClosedByUser(WindowId window)
{
    Dispatch(window, [&](IWindowEvents& program) { program.ClosedByUser(window); });
}

void Win32UserInterface::RunMessageLoop()
{
    MSG message;
    for (;;) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            return; // WM_QUIT from EndProgram
        }
        if (got == -1) {
            ThrowLastError(L"reading the next window message");
        }
        const HWND root = message.hwnd ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
        bool handled = false;
        for (const auto& listWindow : m_listWindows) {
            if (listWindow && root && listWindow->Window() == root) {
                handled = ::IsDialogMessageW(root, &message) != FALSE;
                break;
            }
        }
        if (!handled) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (m_busy == 0) {
            m_unloaded.clear();
        }
    }
}

} // namespace quenlow
