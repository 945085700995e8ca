#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <type_traits>

namespace quenlow::testing {

// A window station of its own that nobody sees (no WSF_VISIBLE), with a desktop "Default": what a
// program meets when it runs as a scheduled task or from a remote shell, where its windows and
// message boxes are shown to no one and never answered. The object holds both open; the system
// removes them once no process uses them any more.
class HiddenWindowStation {
public:
    // Throws quenlow::Error when either cannot be made, or when the station is visible after all.
    HiddenWindowStation();

    const std::wstring& Name() const noexcept { return m_name; }
    // "station\Default", as STARTUPINFO.lpDesktop names a desktop.
    std::wstring DesktopPath() const;

private:
    struct StationCloser {
        void operator()(HWINSTA station) const noexcept { ::CloseWindowStation(station); }
    };
    struct DesktopCloser {
        void operator()(HDESK desktop) const noexcept { ::CloseDesktop(desktop); }
    };

    std::wstring m_name;
    // The desktop is closed before its station.
    std::unique_ptr<std::remove_pointer_t<HWINSTA>, StationCloser> m_station;
    std::unique_ptr<std::remove_pointer_t<HDESK>, DesktopCloser> m_desktop;
};

} // namespace quenlow::testing
