#include "support/ManyServices.h"

#include "common/HResultText_win.h"
#include "support/ServiceManager.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <string_view>
#include <vector>

namespace quenlow::testing {

namespace {

constexpr std::wstring_view kNamePrefix = L"QuenlowMany";

// The names of the services of the kinds and states, from the service manager.
std::vector<std::wstring> ServiceNames(SC_HANDLE manager, DWORD types, DWORD states)
{
    std::vector<std::wstring> names;
    DWORD needed = 0;
    DWORD returned = 0;
    DWORD resume = 0;
    std::vector<BYTE> buffer(64 * 1024);
    for (;;) {
        const BOOL done =
            ::EnumServicesStatusExW(manager, SC_ENUM_PROCESS_INFO, types, states, buffer.data(),
                                    static_cast<DWORD>(buffer.size()), &needed, &returned, &resume, nullptr);
        if (!done && ::GetLastError() != ERROR_MORE_DATA) {
            ThrowLastError(L"EnumServicesStatusExW");
        }
        const auto* services = reinterpret_cast<const ENUM_SERVICE_STATUS_PROCESSW*>(buffer.data());
        for (DWORD i = 0; i < returned; ++i) {
            names.emplace_back(services[i].lpServiceName);
        }
        if (done) {
            return names;
        }
        if (needed > buffer.size()) {
            buffer.resize(needed);
        }
    }
}

std::vector<std::wstring> ManyServiceNames(SC_HANDLE manager)
{
    std::vector<std::wstring> names;
    for (auto& name : ServiceNames(manager, SERVICE_WIN32, SERVICE_STATE_ALL)) {
        if (name.starts_with(kNamePrefix)) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

} // namespace

void InstallManyServices(int count, const std::wstring& program)
{
    const auto manager = OpenServiceManager(SC_MANAGER_ALL_ACCESS);
    const std::wstring command = L"\"" + program + L"\"";
    for (int i = 1; i <= count; ++i) {
        wchar_t name[32];
        wchar_t displayName[64];
        std::swprintf(name, 32, L"%ls%04d", std::wstring(kNamePrefix).c_str(), i);
        std::swprintf(displayName, 64, L"Quenlow Many %04d", i);
        const UniqueServiceHandle service(::CreateServiceW(manager.get(), name, displayName, SERVICE_ALL_ACCESS,
                                                           SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                                           SERVICE_ERROR_NORMAL, command.c_str(), nullptr, nullptr,
                                                           nullptr, nullptr, nullptr));
        if (!service && ::GetLastError() != ERROR_SERVICE_EXISTS) {
            ThrowLastError(L"CreateServiceW");
        }
    }
}

int RemoveManyServices()
{
    const auto manager = OpenServiceManager(SC_MANAGER_ALL_ACCESS);
    int removed = 0;
    for (const auto& name : ManyServiceNames(manager.get())) {
        const auto service = OpenServiceByName(manager.get(), name, DELETE);
        if (service && (::DeleteService(service.get()) || ::GetLastError() == ERROR_SERVICE_MARKED_FOR_DELETE)) {
            ++removed;
        }
    }
    return removed;
}

int CountManyServices()
{
    const auto manager = OpenServiceManager(SC_MANAGER_ENUMERATE_SERVICE);
    return static_cast<int>(ManyServiceNames(manager.get()).size());
}

int CountStoppedServices()
{
    const auto manager = OpenServiceManager(SC_MANAGER_ENUMERATE_SERVICE);
    return static_cast<int>(ServiceNames(manager.get(), SERVICE_WIN32 | SERVICE_DRIVER, SERVICE_INACTIVE).size());
}

} // namespace quenlow::testing
