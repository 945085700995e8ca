// The reference for the memory of a list window: the least a program does to show the stopped
// services in a window - COM, connect to root\cimv2, run the stopped services query, read each
// DisplayName - and then one window as large as the stopped services window, until it is closed.
#include "bench/MinimalWindow.h"
#include "common/ComPtrs_win.h"
#include "services/ServiceQuery.h"

#include <windows.h>
#include <wbemcli.h>
#include <wrl/client.h>

#include <string>
#include <vector>

namespace {

using Microsoft::WRL::ComPtr;

using quenlow::bench::kBareWmiWindowClass;

// The stopped services window's client area: 6315 x 7995 twips at 96 DPI.
constexpr int kClientWidth = 421;
constexpr int kClientHeight = 533;

// The display names of the stopped services; false when WMI could not be reached.
bool ReadStoppedServices(std::vector<std::wstring>& names)
{
    ComPtr<IWbemLocator> locator;
    ComPtr<IWbemServices> services;
    const quenlow::UniqueBstr wmiNamespace(L"\\\\.\\root\\cimv2");
    if (FAILED(::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&locator))) ||
        FAILED(locator->ConnectServer(wmiNamespace.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                      &services)) ||
        FAILED(::CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                   RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE))) {
        return false;
    }
    const quenlow::UniqueBstr language(L"WQL");
    const quenlow::UniqueBstr query(quenlow::kStoppedServicesQuery);
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
        if (SUCCEEDED(object->Get(L"DisplayName", 0, name.put(), nullptr, nullptr)) && name.type() == VT_BSTR) {
            names.emplace_back(name.get().bstrVal);
        }
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    // COM stays initialised until the process ends, after every interface has been released.
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) ||
        FAILED(::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                      RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr))) {
        return 3;
    }
    std::vector<std::wstring> names;
    if (!ReadStoppedServices(names)) {
        return 3;
    }
    RECT outer{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&outer, WS_OVERLAPPED | WS_CAPTION, FALSE, WS_EX_DLGMODALFRAME);
    const std::wstring caption = L"Stopped services: " + std::to_wstring(names.size());
    return quenlow::bench::ShowWindowUntilClosed(instance, kBareWmiWindowClass, WS_EX_DLGMODALFRAME,
                                                 WS_OVERLAPPED | WS_CAPTION, caption.c_str(), CW_USEDEFAULT,
                                                 CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top);
}
