#include "services/ComApartment_win.h"

#include "common/HResultText_win.h"

#include <windows.h>
#include <objbase.h>

namespace quenlow {

ComApartment::ComApartment()
{
    ThrowIfFailed(::CoInitializeEx(nullptr, COINIT_MULTITHREADED | COINIT_DISABLE_OLE1DDE), L"initialising COM");
}

ComApartment::~ComApartment()
{
    ::CoUninitialize();
}

void InitializeComSecurity()
{
    const HRESULT hr = ::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                              RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    if (hr != RPC_E_TOO_LATE) {
        ThrowIfFailed(hr, L"setting the security of COM calls");
    }
}

} // namespace quenlow
