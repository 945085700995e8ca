#include "support/ServiceDisplayNames.h"

#include "common/HResultText_win.h"
#include "support/ServiceManager.h"
#include "support/TestServices.h"

#include <windows.h>

namespace quenlow::testing {

namespace {

bool RegisteredWithoutDisplayName(std::wstring_view name)
{
    for (const auto& service : kTestServices) {
        if (!service.displayName && ::lstrcmpiW(std::wstring(service.name).c_str(), std::wstring(name).c_str()) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

std::vector<std::wstring> DisplayNamesOfAllServices()
{
    const auto manager = OpenServiceManager(SC_MANAGER_ENUMERATE_SERVICE);
    std::vector<BYTE> buffer(64 * 1024);
    std::vector<std::wstring> names;
    DWORD resume = 0;
    for (;;) {
        DWORD needed = 0;
        DWORD count = 0;
        const BOOL done = ::EnumServicesStatusExW(manager.get(), SC_ENUM_PROCESS_INFO, SERVICE_TYPE_ALL,
                                                  SERVICE_STATE_ALL, buffer.data(), static_cast<DWORD>(buffer.size()),
                                                  &needed, &count, &resume, nullptr);
        if (!done && ::GetLastError() != ERROR_MORE_DATA) {
            ThrowLastError(L"EnumServicesStatusExW");
        }
        const auto* services = reinterpret_cast<const ENUM_SERVICE_STATUS_PROCESSW*>(buffer.data());
        for (DWORD i = 0; i < count; ++i) {
            const std::wstring name = services[i].lpServiceName ? services[i].lpServiceName : L"";
            names.push_back(RegisteredWithoutDisplayName(name) || !services[i].lpDisplayName
                                ? name
                                : std::wstring(services[i].lpDisplayName));
        }
        if (done) {
            return names;
        }
        if (count == 0) {
            buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed));
        }
    }
}

bool InCaseInsensitiveOrder(const std::vector<std::wstring>& texts)
{
    for (std::size_t i = 1; i < texts.size(); ++i) {
        const auto& a = texts[i - 1];
        const auto& b = texts[i];
        if (::CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()),
                              b.c_str(), static_cast<int>(b.size()), nullptr, nullptr, 0) == CSTR_GREATER_THAN) {
            return false;
        }
    }
    return true;
}

} // namespace quenlow::testing
