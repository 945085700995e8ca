// The reference for a list window on screen: the least a program does to show a list of services
// from WMI. Before it is asked it gets ready as quenlow.exe does once its splash window is up
// (COM, and WMI's client loaded), and shows a small window. A click on that window starts what
// the harness times: connect to root\cimv2, run the query, read each DisplayName (the Name when
// it has none), then one window as large as the stopped services window with a sorted list box
// of the names, filled with redrawing off and shown; the small window then goes, as the splash
// window does.
//   quenlow_bench_wmi_list.exe stopped|running|all
#include "bench/MinimalWindow.h"
#include "bench/ReadyWindow.h"
#include "common/ComPtrs_win.h"
#include "services/ServiceQuery.h"

#include <windows.h>
#include <wbemcli.h>
#include <wrl/client.h>

#include <shellapi.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

using Microsoft::WRL::ComPtr;

using quenlow::bench::kBareWmiListClass;

// The stopped services window's client area (6315 x 7995 twips at 96 DPI) and its list
// (4455 x 7710 twips).
constexpr int kClientWidth = 421;
constexpr int kClientHeight = 533;
constexpr int kListWidth = 297;
constexpr int kListHeight = 514;

// The display names the query finds; false when WMI could not be asked.
bool ReadNames(IWbemLocator& locator, std::wstring_view queryText, std::vector<std::wstring>& names)
{
    ComPtr<IWbemServices> services;
    const quenlow::UniqueBstr wmiNamespace(L"\\\\.\\root\\cimv2");
    if (FAILED(locator.ConnectServer(wmiNamespace.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                     &services)) ||
        FAILED(::CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                   RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE))) {
        return false;
    }
    const quenlow::UniqueBstr language(L"WQL");
    const quenlow::UniqueBstr query(queryText);
    ComPtr<IEnumWbemClassObject> enumerator;
    if (FAILED(services->ExecQuery(language.get(), query.get(), WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                                   nullptr, &enumerator))) {
        return false;
    }
    for (;;) {
        ComPtr<IWbemClassObject> object;
        ULONG returned = 0;
        if (FAILED(enumerator->Next(static_cast<long>(WBEM_INFINITE), 1, &object, &returned)) || returned == 0) {
            return true;
        }
        quenlow::UniqueVariant name;
        if (FAILED(object->Get(L"DisplayName", 0, name.put(), nullptr, nullptr)) || name.type() != VT_BSTR) {
            object->Get(L"Name", 0, name.put(), nullptr, nullptr);
        }
        names.emplace_back(name.type() == VT_BSTR ? name.get().bstrVal : L"");
    }
}

LRESULT CALLBACK ListWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// The window with its list, shown; nullptr when it could not be made.
HWND ShowList(HINSTANCE instance, const std::vector<std::wstring>& names)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = ListWindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kBareWmiListClass;
    if (!::RegisterClassExW(&windowClass)) {
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
    // COM stays initialised until the process ends, after every interface has been released.
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) ||
        FAILED(::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                      RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr))) {
        return 3;
    }
    ComPtr<IWbemLocator> locator;
    if (FAILED(::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&locator)))) {
        return 3;
    }
    const HWND ready = quenlow::bench::ShowReadyWindowUntilClicked(instance);
    if (!ready) {
        return 1;
    }
    std::vector<std::wstring> names;
    if (!ReadNames(*locator.Get(), query, names)) {
        return 3;
    }
    if (!ShowList(instance, names)) {
        return 1;
    }
    ::DestroyWindow(ready);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
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
