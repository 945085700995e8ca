#include "windows/WindowModel.h"

#include <algorithm>
#include <utility>

namespace quenlow {

WindowModel::WindowModel(IUserInterface& ui, LoadEvent beforeCreate, LoadEvent loadEvent)
    : m_ui(ui), m_beforeCreate(std::move(beforeCreate)), m_loadEvent(std::move(loadEvent))
{
}

std::optional<WindowState>& WindowModel::Instance(WindowId window)
{
    auto& instance = m_instances[IndexOf(window)];
    if (!instance) {
        instance = WindowState::NotLoaded;
    }
    return instance;
}

void WindowModel::Show(WindowId window)
{
    auto& state = Instance(window);
    if (*state == WindowState::NotLoaded) {
        m_beforeCreate(window);
        m_ui.CreateFromDesign(window);
        // Loaded from here on, even when the load event fails.
        state = WindowState::Hidden;
        m_loadEvent(window);
    }
    m_ui.SetVisible(window, true);
    state = WindowState::Visible;
}

void WindowModel::Hide(WindowId window)
{
    auto& state = Instance(window);
    if (*state == WindowState::NotLoaded) {
        return;
    }
    m_ui.SetVisible(window, false);
    state = WindowState::Hidden;
}

void WindowModel::Unload(WindowId window)
{
    auto& state = Instance(window);
    if (*state == WindowState::NotLoaded) {
        return;
    }
    m_ui.Destroy(window);
    state = WindowState::NotLoaded;
}

WindowState WindowModel::State(WindowId window) const
{
    return m_instances[IndexOf(window)].value_or(WindowState::NotLoaded);
}

bool WindowModel::InstanceExists(WindowId window) const
{
    return m_instances[IndexOf(window)].has_value();
}

bool WindowModel::AnyVisible() const
{
    return std::any_of(m_instances.begin(), m_instances.end(),
                       [](const auto& instance) { return instance == WindowState::Visible; });
}

} // namespace quenlow
