#pragma once

#include "common/ComPtrs_win.h"

#include <windows.h>
#include <wbemcli.h>
#include <wrl/client.h>

#include <string>
#include <string_view>
#include <vector>

// What the reference programs do with WMI's COM interfaces, the least any program does, written
// once for them. Failures come back as empty results; the programs end with a status then.
namespace quenlow::bench {

// COM on the calling thread (apartment-threaded, until the process ends), the security WMI needs,
// and WMI's locator, which loads WMI's client; nullptr when any of it fails.
inline Microsoft::WRL::ComPtr<IWbemLocator> StartWmiClient()
{
    Microsoft::WRL::ComPtr<IWbemLocator> locator;
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) ||
        FAILED(::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                      RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr)) ||
        FAILED(::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&locator)))) {
        return nullptr;
    }
    return locator;
}

// A connection to root\cimv2 on this computer, with the proxy blanket set; nullptr on failure.
inline Microsoft::WRL::ComPtr<IWbemServices> ConnectLocalWmi(IWbemLocator& locator)
{
    Microsoft::WRL::ComPtr<IWbemServices> services;
    const UniqueBstr wmiNamespace(L"\\\\.\\root\\cimv2");
    if (FAILED(locator.ConnectServer(wmiNamespace.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, &services)) ||
        FAILED(::CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                                   RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE))) {
        return nullptr;
    }
    return services;
}

// Runs the query and hands each instance (IWbemClassObject&) to `visit`, as WMI gives them; false
// when WMI could not be asked or stopped answering.
template <typename Visit>
bool VisitQuery(IWbemServices& services, std::wstring_view queryText, Visit&& visit)
{
    const UniqueBstr language(L"WQL");
    const UniqueBstr query(queryText);
    Microsoft::WRL::ComPtr<IEnumWbemClassObject> enumerator;
    if (FAILED(services.ExecQuery(language.get(), query.get(), WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                                  nullptr, &enumerator))) {
        return false;
    }
    for (;;) {
        Microsoft::WRL::ComPtr<IWbemClassObject> object;
        ULONG returned = 0;
        if (FAILED(enumerator->Next(static_cast<long>(WBEM_INFINITE), 1, &object, &returned))) {
            return false;
        }
        if (returned == 0) {
            return true;
        }
        visit(*object.Get());
    }
}

// The instance's property as text; empty when it has none or it is not a string.
inline std::wstring ReadText(IWbemClassObject& object, const wchar_t* property)
{
    UniqueVariant value;
    if (FAILED(object.Get(property, 0, value.put(), nullptr, nullptr)) || value.type() != VT_BSTR) {
        return {};
    }
    return value.get().bstrVal;
}

// Runs the query and reads each instance's DisplayName (its Name when it has none); false when
// WMI could not be asked or stopped answering.
inline bool ReadDisplayNames(IWbemServices& services, std::wstring_view queryText, std::vector<std::wstring>& names)
{
    return VisitQuery(services, queryText, [&names](IWbemClassObject& object) {
        UniqueVariant name;
        if (FAILED(object.Get(L"DisplayName", 0, name.put(), nullptr, nullptr)) || name.type() != VT_BSTR) {
            object.Get(L"Name", 0, name.put(), nullptr, nullptr);
        }
        names.emplace_back(name.type() == VT_BSTR ? name.get().bstrVal : L"");
    });
}

} // namespace quenlow::bench
