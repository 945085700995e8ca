#pragma once

#include "bench/BareWmi_win.h"
#include "bench/MinimalWindow.h"
#include "bench/ReadyWindow.h"
#include "services/ServiceQuery.h"

#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The part that the reference programs for a list window on screen share: everything around the
// window they show. Each program differs only in that window.
namespace quenlow::bench {

// Which services a bare list program lists, as quenlow.exe's three list windows do.
enum class ListedServices { Stopped, Running, All };

// The one argument of the program's command line: stopped, running or all; nullopt otherwise.
inline std::optional<ListedServices> ListedServicesOfCommandLine()
{
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!arguments) {
        return std::nullopt;
    }
    const std::wstring_view argument = count == 2 ? arguments[1] : L"";
    std::optional<ListedServices> listed;
    if (argument == L"stopped") {
        listed = ListedServices::Stopped;
    } else if (argument == L"running") {
        listed = ListedServices::Running;
    } else if (argument == L"all") {
        listed = ListedServices::All;
    }
    ::LocalFree(arguments);
    return listed;
}

// The query quenlow.exe runs for the same list.
inline std::wstring_view QueryOf(ListedServices listed)
{
    switch (listed) {
    case ListedServices::Stopped: return kStoppedServicesQuery;
    case ListedServices::Running: return kRunningServicesQuery;
    case ListedServices::All: break;
    }
    return kAllServicesQuery;
}

// Makes and shows the program's window with the names read; false when it could not.
using ShowListedNames = std::function<bool(ListedServices, const std::vector<std::wstring>&)>;

// Before it is asked the program gets ready as quenlow.exe does once its splash window is up
// (COM, and WMI's client loaded), and shows the ready window. A click on it starts what the
// harness times: connect to root\cimv2, run the query, read each DisplayName (the Name when it
// has none), then `show`; the ready window then goes, as the splash window does, and messages are
// handled until the shown window is destroyed. Returns the program's exit status: 2 for a command
// line it does not understand, 3 when WMI fails, 1 when a window could not be shown.
inline int RunBareListProgram(HINSTANCE instance, const ShowListedNames& show)
{
    const std::optional<ListedServices> listed = ListedServicesOfCommandLine();
    if (!listed) {
        return 2;
    }
    const auto locator = StartWmiClient();
    if (!locator) {
        return 3;
    }
    const HWND ready = ShowReadyWindowUntilClicked(instance);
    if (!ready) {
        return 1;
    }
    std::vector<std::wstring> names;
    {
        const auto services = ConnectLocalWmi(*locator.Get());
        if (!services || !ReadDisplayNames(*services.Get(), QueryOf(*listed), names)) {
            return 3;
        }
    }
    if (!show(*listed, names)) {
        return 1;
    }
    ::DestroyWindow(ready);
    PumpUntilQuit();
    return 0;
}

} // namespace quenlow::bench
