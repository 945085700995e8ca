#include "support/TestServices.h"

#include "support/ServiceManager.h"
#include "support/UniqueHandle.h"

#include <tlhelp32.h>

#include <algorithm>
#include <string>

namespace quenlow::testing {

void StopTestService(const TestService& service)
{
    if (QueryServiceState(service.name).value_or(SERVICE_STOPPED) == SERVICE_STOPPED) {
        return;
    }
    if (service.behaviour != ServiceBehaviour::RefusesStop) {
        StopServiceDirectly(service.name);
        return;
    }
    const DWORD processId = QueryServiceStatus(service.name).value_or(SERVICE_STATUS_PROCESS{}).dwProcessId;
    const auto manager = OpenServiceManager(SC_MANAGER_CONNECT);
    const auto handle = OpenServiceByName(manager.get(), service.name, SERVICE_USER_DEFINED_CONTROL);
    SERVICE_STATUS status{};
    if (!handle || !::ControlService(handle.get(), kQuitControl, &status)) {
        ThrowLastError("ControlService(quit)");
    }
    if (!WaitForServiceState(service.name, SERVICE_STOPPED) || !WaitForProcessExit(processId)) {
        ::SetLastError(ERROR_SERVICE_REQUEST_TIMEOUT);
        ThrowLastError("ControlService(quit)");
    }
}

void StopAllTestServices()
{
    for (const auto& service : kTestServices) {
        StopTestService(service);
    }
}

std::vector<std::wstring> TestServicesNotStopped()
{
    std::vector<std::wstring> found;
    for (const auto& service : kTestServices) {
        const auto state = QueryServiceState(service.name);
        if (state != SERVICE_STOPPED) {
            found.push_back(std::wstring(service.name) + L" is " + std::wstring(ServiceStateName(state)));
        }
    }
    return found;
}

bool WaitForTestServiceProcessesToEnd(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        ThrowLastError("CreateToolhelp32Snapshot");
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more; more = ::Process32NextW(snapshot.Get(), &entry)) {
        if (::lstrcmpiW(entry.szExeFile, L"quenlow_test_service.exe") != 0) {
            continue;
        }
        using std::chrono::milliseconds;
        const auto left = std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
        if (!WaitForProcessExit(entry.th32ProcessID, std::max(left, milliseconds(0)))) {
            return false;
        }
    }
    return true;
}

} // namespace quenlow::testing
