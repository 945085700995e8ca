#include "support/HiddenWindowStation.h"

#include "common/Error.h"
#include "common/HResultText_win.h"

#include <atomic>
#include <cstdint>

namespace quenlow::testing {

namespace {

constexpr wchar_t kDesktopName[] = L"Default";

// The calling process on another window station for as long as the object lives: CreateDesktopW
// makes its desktop in the process's current station.
class ScopedProcessWindowStation {
public:
    explicit ScopedProcessWindowStation(HWINSTA station) : m_original(::GetProcessWindowStation())
    {
        if (!m_original) {
            ThrowLastError(L"GetProcessWindowStation");
        }
        if (!::SetProcessWindowStation(station)) {
            ThrowLastError(L"SetProcessWindowStation");
        }
    }
    ~ScopedProcessWindowStation() { ::SetProcessWindowStation(m_original); }
    ScopedProcessWindowStation(const ScopedProcessWindowStation&) = delete;
    ScopedProcessWindowStation& operator=(const ScopedProcessWindowStation&) = delete;

private:
    HWINSTA m_original; // the system's handle, not ours to close
};

// Unique on the system for each station made, so that runs side by side never share one.
std::wstring NewStationName()
{
    static std::atomic<unsigned> made{0};
    return L"QuenlowHidden-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++made);
}

bool Visible(HWINSTA station)
{
    USEROBJECTFLAGS flags{};
    if (!::GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof(flags), nullptr)) {
        ThrowLastError(L"GetUserObjectInformationW (UOI_FLAGS)");
    }
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

} // namespace

HiddenWindowStation::HiddenWindowStation()
    : m_name(NewStationName()), m_station(::CreateWindowStationW(m_name.c_str(), 0, WINSTA_ALL_ACCESS, nullptr))
{
    if (!m_station) {
        ThrowLastError(L"CreateWindowStationW " + m_name);
    }
    if (Visible(m_station.get())) {
        throw Error(static_cast<std::int32_t>(E_UNEXPECTED), L"the new window station " + m_name + L" is visible");
    }
    const ScopedProcessWindowStation switched(m_station.get());
    m_desktop.reset(::CreateDesktopW(kDesktopName, nullptr, nullptr, 0, GENERIC_ALL, nullptr));
    if (!m_desktop) {
        ThrowLastError(L"CreateDesktopW in " + m_name);
    }
}

std::wstring HiddenWindowStation::DesktopPath() const
{
    return m_name + L"\\" + kDesktopName;
}

} // namespace quenlow::testing
