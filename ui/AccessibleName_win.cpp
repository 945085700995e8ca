#include "ui/AccessibleName_win.h"

#include <initguid.h>
#include <oleacc.h>
#include <wrl/client.h>

namespace quenlow {

void NameForScreenReaders(HWND control, const wchar_t* name) noexcept
{
    ::SetWindowTextW(control, name);
    // The window thread's apartment, for this service; it stays for the program's life.
    static const bool comReady = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    if (!comReady) {
        return;
    }
    Microsoft::WRL::ComPtr<IAccPropServices> service;
    if (SUCCEEDED(::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                     reinterpret_cast<void**>(service.GetAddressOf())))) {
        // The annotation goes with the window; a failure leaves the text as the name.
        service->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME, name);
    }
}

} // namespace quenlow
