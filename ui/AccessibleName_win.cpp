#include "ui/AccessibleName_win.h"

#include <initguid.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <initializer_list>

namespace quenlow {

namespace {

// UI Automation's Name property as the accessibility property service takes it (Name_Property_GUID
// of the Windows SDK's uiautomationcoreapi.h, which this toolchain's headers lack). Windows 7 and
// later take UI Automation properties there too, for the proxies of the standard controls.
constexpr MSAAPROPID kUiAutomationName = {0xc3a6921b, 0x4a99, 0x44f1, {0xbc, 0xa6, 0x61, 0x18, 0x70, 0x52, 0xc4, 0x31}};

} // namespace

void NameForScreenReaders(HWND control, const wchar_t* name) noexcept
{
    ::SetWindowTextW(control, name);
    // This thread's apartment, for the service; it stays for the thread's life. A thread already
    // in the multithreaded apartment (never the window thread) keeps the text as the name.
    thread_local const bool comReady = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    if (!comReady) {
        return;
    }
    Microsoft::WRL::ComPtr<IAccPropServices> service;
    if (FAILED(::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                  reinterpret_cast<void**>(service.GetAddressOf())))) {
        return;
    }
    // The annotations go with the window, for Microsoft Active Accessibility clients and for UI
    // Automation clients such as Narrator; one refused leaves the text as that name.
    for (const MSAAPROPID& property : {PROPID_ACC_NAME, kUiAutomationName}) {
        service->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, property, name);
    }
}

} // namespace quenlow
