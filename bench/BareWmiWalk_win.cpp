#include "bench/BareWmiWalk_win.h"

#include "common/ComPtrs_win.h"
#include "common/HResultText_win.h"

#include <windows.h>
#include <wbemcli.h>
#include <wrl/client.h>

namespace quenlow::bench {

namespace {

using Microsoft::WRL::ComPtr;

void SetBlanket(IUnknown* proxy)
{
    ThrowIfFailed(::CoSetProxyBlanket(proxy, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                                      RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE),
                  L"setting the proxy blanket");
}

} // namespace

std::size_t BareWmiWalk(std::wstring_view query)
{
    ComPtr<IWbemLocator> locator;
    ThrowIfFailed(::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&locator)),
                  L"creating the WMI locator");
    const UniqueBstr wmiNamespace(L"\\\\.\\root\\cimv2");
    ComPtr<IWbemServices> services;
    ThrowIfFailed(locator->ConnectServer(wmiNamespace.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, &services),
                  L"connecting to root\\cimv2");
    SetBlanket(services.Get());

    const UniqueBstr language(L"WQL");
    const UniqueBstr text(query);
    ComPtr<IEnumWbemClassObject> enumerator;
    ThrowIfFailed(services->ExecQuery(language.get(), text.get(), WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                                      nullptr, &enumerator),
                  L"running the query");
    SetBlanket(enumerator.Get());

    std::size_t count = 0;
    for (;;) {
        ComPtr<IWbemClassObject> object;
        ULONG returned = 0;
        ThrowIfFailed(enumerator->Next(static_cast<long>(WBEM_INFINITE), 1, &object, &returned), L"walking the result");
        if (returned == 0 || !object) {
            break;
        }
        UniqueVariant displayName;
        ThrowIfFailed(object->Get(L"DisplayName", 0, displayName.put(), nullptr, nullptr), L"reading DisplayName");
        ++count;
    }
    return count;
}

} // namespace quenlow::bench
