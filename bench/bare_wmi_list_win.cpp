// The reference for a list window on screen: the least a program does to show a list of services
// from WMI. Before it is asked it gets ready as quenlow.exe does once its splash window is up
// (COM, and WMI's client loaded), and shows a small window. A click on that window starts what
// the harness times: connect to root\cimv2, run the query, read each DisplayName (the Name when
// it has none), then one window as large as the stopped services window with a sorted list box
// of the names, filled with redrawing off and shown; the small window then goes, as the splash
// window does.
//   quenlow_bench_wmi_list.exe stopped|running|all
#include "bench/BareWmi_win.h"
#include "bench/MinimalWindow.h"
#include "bench/ReadyWindow.h"
#include "services/ServiceQuery.h"

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

using quenlow::bench::kBareWmiListClass;

// The stopped services window's client area (6315 x 7995 twips at 96 DPI) and its list
// (4455 x 7710 twips).
constexpr int kClientWidth = 421;
constexpr int kClientHeight = 533;
constexpr int kListWidth = 297;
constexpr int kListHeight = 514;

// The window with its list, shown; nullptr when it could not be made.
HWND ShowList(HINSTANCE instance, const std::vector<std::wstring>& names)
{
    if (!quenlow::bench::RegisterPlainClass(instance, kBareWmiListClass, quenlow::bench::QuitWhenDestroyed,
                                            ::GetSysColorBrush(COLOR_BTNFACE))) {
        return nullptr;
    }
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    RECT outer{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&outer, style, FALSE, 0);
    const HWND window = ::CreateWindowExW(0, kBareWmiListClass, L"Services", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                          outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                                          instance, nullptr);
    if (!window) {
        return nullptr;
    }
    const HWND list = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                                        WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_SORT | LBS_NOINTEGRALHEIGHT, 8, 8,
                                        kListWidth, kListHeight, window, nullptr, instance, nullptr);
    if (!list) {
        ::DestroyWindow(window);
        return nullptr;
    }
    ::SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (const auto& name : names) {
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::ShowWindow(window, SW_SHOW);
    ::UpdateWindow(window);
    return window;
}

std::wstring_view QueryFor(std::wstring_view kind)
{
    if (kind == L"stopped") {
        return quenlow::kStoppedServicesQuery;
    }
    if (kind == L"running") {
        return quenlow::kRunningServicesQuery;
    }
    if (kind == L"all") {
        return quenlow::kAllServicesQuery;
    }
    return {};
}

int Run(HINSTANCE instance, std::wstring_view query)
{
    const auto locator = quenlow::bench::StartWmiClient();
    if (!locator) {
        return 3;
    }
    const HWND ready = quenlow::bench::ShowReadyWindowUntilClicked(instance);
    if (!ready) {
        return 1;
    }
    std::vector<std::wstring> names;
    {
        const auto services = quenlow::bench::ConnectLocalWmi(*locator.Get());
        if (!services || !quenlow::bench::ReadDisplayNames(*services.Get(), query, names)) {
            return 3;
        }
    }
    if (!ShowList(instance, names)) {
        return 1;
    }
    ::DestroyWindow(ready);
    quenlow::bench::PumpUntilQuit();
    return 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!arguments) {
        return 2;
    }
    const std::wstring_view query = count == 2 ? QueryFor(arguments[1]) : std::wstring_view();
    ::LocalFree(arguments);
    if (query.empty()) {
        return 2;
    }
    return Run(instance, query);
}
