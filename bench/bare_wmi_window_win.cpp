// The reference for the memory of a list window: the least a program does to show the stopped
// services in a window - COM, connect to root\cimv2, run the stopped services query, read each
// DisplayName - and then one window as large as the stopped services window, until it is closed.
#include "bench/BareWmi_win.h"
#include "bench/MinimalWindow.h"
#include "services/ServiceQuery.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

using quenlow::bench::kBareWmiWindowClass;

// The stopped services window's client area: 6315 x 7995 twips at 96 DPI.
constexpr int kClientWidth = 421;
constexpr int kClientHeight = 533;

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    std::vector<std::wstring> names;
    {
        // Every interface is released before the window shows; COM stays until the process ends.
        const auto locator = quenlow::bench::StartWmiClient();
        const auto services = locator ? quenlow::bench::ConnectLocalWmi(*locator.Get()) : nullptr;
        if (!services || !quenlow::bench::ReadDisplayNames(*services.Get(), quenlow::kStoppedServicesQuery, names)) {
            return 3;
        }
    }
    RECT outer{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&outer, WS_OVERLAPPED | WS_CAPTION, FALSE, WS_EX_DLGMODALFRAME);
    const std::wstring caption = L"Stopped services: " + std::to_wstring(names.size());
    return quenlow::bench::ShowWindowUntilClosed(instance, kBareWmiWindowClass, WS_EX_DLGMODALFRAME,
                                                 WS_OVERLAPPED | WS_CAPTION, caption.c_str(), CW_USEDEFAULT,
                                                 CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top);
}
