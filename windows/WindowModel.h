#pragma once

#include "ui/UserInterface.h"

#include <array>
#include <functional>
#include <optional>

namespace quenlow {

enum class WindowState { NotLoaded, Hidden, Visible };

// The single instance of each window type and the operations Show, Hide and Unload.
// An instance is created on first use; creating it does not load the window. Loading
// creates the window from its design and runs its load event before it becomes visible.
class WindowModel {
public:
    using LoadEvent = std::function<void(WindowId)>;

    // beforeCreate gets, before the window is created, what its load event will need (a list
    // window's list); when it throws, the window is not made.
    WindowModel(IUserInterface& ui, LoadEvent beforeCreate, LoadEvent loadEvent);

    // Loads the window when it is not loaded (running its load event), then makes it
    // visible. A hidden window is shown as it was; a visible one is only brought forward.
    // When the user stops waiting for its list, or the list cannot be read, the window is
    // not made, and WaitStopped or ListNotRead goes on to the caller.
    void Show(WindowId window);
    // Makes a loaded window invisible; it keeps all its contents.
    void Hide(WindowId window);
    // Destroys the window and its contents; the instance remains for the next Show.
    void Unload(WindowId window);

    WindowState State(WindowId window) const;
    bool InstanceExists(WindowId window) const;
    bool AnyVisible() const;

private:
    std::optional<WindowState>& Instance(WindowId window);

    IUserInterface& m_ui;
    LoadEvent m_beforeCreate;
    LoadEvent m_loadEvent;
    // nullopt until the program first refers to the window.
    std::array<std::optional<WindowState>, kWindowCount> m_instances;
};

} // namespace quenlow
