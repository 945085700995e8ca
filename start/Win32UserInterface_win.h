#pragma once

#include <windows.h>

#include "ui/MessageLoop_win.h"
#include "ui/TaskbarOwner_win.h"
#include "ui/UniqueGdi_win.h"
#include "ui/UserInterface.h"
#include "ui/WaitSafety.h"
#include "ui/WindowEvents.h"
#include "windows/ListWindow_win.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace quenlow {

// The four windows on Win32: the three list windows built here from their designs, the splash
// window through its own module. Events from the list windows go to the program with the wait
// cursor up; the wait safety says which handler runs, and whether a box asks the user something.
class Win32UserInterface final : public IUserInterface, private IListWindowEvents, private IMessageLoopClient {
public:
    Win32UserInterface(HINSTANCE instance, WaitSafety& safety);
    ~Win32UserInterface() override;
    Win32UserInterface(const Win32UserInterface&) = delete;
    Win32UserInterface& operator=(const Win32UserInterface&) = delete;

    // The program that receives the windows' events; set before the first window opens.
    void Attach(IWindowEvents& program) noexcept { m_program = &program; }

    // Dispatches the thread's messages, with the dialog keys (Tab, Enter, Escape) in the list
    // windows, until EndProgram has been called.
    void RunMessageLoop() { quenlow::RunMessageLoop(*this); }

    // The window's handle while it is loaded; nullptr otherwise.
    HWND Handle(WindowId window) const noexcept;

    // The window a box or a progress window belongs to: the list window whose event is being
    // handled, while it is visible; nullptr otherwise.
    HWND DialogOwner() const noexcept;
    // The program's visible windows.
    std::vector<HWND> VisibleWindows() const;

    void CreateFromDesign(WindowId window) override;
    void SetVisible(WindowId window, bool visible) override;
    void Destroy(WindowId window) override;
    void ClearList(WindowId window) override;
    void AppendToList(WindowId window, const std::vector<std::wstring>& texts) override;
    std::size_t ListCount(WindowId window) override;
    std::wstring ListText(WindowId window, std::size_t position) override;
    bool ListChecked(WindowId window, std::size_t position) override;
    void SetLabelCaption(WindowId window, LabelId label, std::wstring_view caption) override;
    void ShowMessage(std::wstring_view text) override;
    bool AskYesNo(std::wstring_view question) override;
    void EndProgram() override;

private:
    void OnClick(WindowId window, ControlId control) override;
    void OnClosedByUser(WindowId window) override;
    bool Busy() const override { return m_safety.ShowsWaitCursor(); }
    bool TakesDialogKeys(HWND root) const override;
    void AfterEachMessage() override;

    // Runs one event of a window, with the wait cursor up.
    template <typename Handler>
    void Dispatch(Handler&& handler);

    ListWindow* LoadedListWindow(WindowId window) const noexcept;
    ListWindow& ListWindowOf(WindowId window) const;

    HINSTANCE m_instance;
    WaitSafety& m_safety;
    IWindowEvents* m_program = nullptr;
    std::array<std::unique_ptr<ListWindow>, kWindowCount> m_listWindows;
    // Windows unloaded while one of their own handlers ran: their objects live on until the
    // handler has returned.
    std::vector<std::unique_ptr<ListWindow>> m_unloaded;
    UniqueHwnd m_splash;
    TaskbarOwner m_taskbarOwner;
    bool m_listClassesReady = false;
};

} // namespace quenlow
