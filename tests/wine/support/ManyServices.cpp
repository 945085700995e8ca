#include "support/ManyServices.h"

#include "common/HResultText_win.h"
#include "support/ServiceManager.h"
#include "support/TestServices.h"

#include <windows.h>

#include <cwchar>
#include <exception>
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

// The number with at least four digits, so that the names sort in their order.
std::wstring FourDigits(int number)
{
    wchar_t digits[16];
    std::swprintf(digits, 16, L"%04d", number);
    return digits;
}

} // namespace

std::wstring ManyServiceName(int number)
{
    return std::wstring(kNamePrefix) + FourDigits(number);
}

std::wstring ManyServiceDisplayName(int number)
{
    return L"Quenlow Many " + FourDigits(number);
}

void InstallManyServices(int count, const std::wstring& program)
{
    const auto manager = OpenServiceManager(SC_MANAGER_ALL_ACCESS);
    const std::wstring command = L"\"" + program + L"\"";
    for (int i = 1; i <= count; ++i) {
        const std::wstring name = ManyServiceName(i);
        const std::wstring displayName = ManyServiceDisplayName(i);
        const UniqueServiceHandle service(::CreateServiceW(
            manager.get(), name.c_str(), displayName.c_str(), SERVICE_QUERY_STATUS, SERVICE_WIN32_OWN_PROCESS,
            SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
        if (!service && ::GetLastError() != ERROR_SERVICE_EXISTS) {
            ThrowLastError(L"CreateServiceW " + name);
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

ScopedManyServices::ScopedManyServices(int count)
{
    RemoveManyServices();
    try {
        InstallManyServices(count, std::wstring(kMissingProgramPath));
    } catch (...) {
        // No destructor runs for an object that was never made.
        RemoveManyServices();
        throw;
    }
}

ScopedManyServices::~ScopedManyServices()
{
    try {
        RemoveManyServices();
    } catch (const std::exception&) {
        // The fixture's clean-up removes whatever is left; a destructor must not throw.
    }
}

} // namespace quenlow::testing
