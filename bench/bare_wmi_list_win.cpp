// A reference for a list window on screen: the least a program does to show a list of services
// from WMI. It gets ready, is clicked and reads the names as bench/BareListProgram_win.h says;
// then one window as large as the stopped services window with a sorted list box of the names,
// filled with redrawing off and shown; the small window then goes, as the splash window does.
//   quenlow_bench_wmi_list.exe stopped|running|all
#include "bench/BareListProgram_win.h"
#include "bench/MinimalWindow.h"

#include <windows.h>

#include <string>
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

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    return quenlow::bench::RunBareListProgram(
        instance, [instance](quenlow::bench::ListedServices, const std::vector<std::wstring>& names) {
            return ShowList(instance, names) != nullptr;
        });
}
