#include "support/ServiceManager.h"

#include "common/HResultText_win.h"
#include "common/Text.h"
#include "common/UniqueHandle_win.h"
#include "support/MessagePump.h"

#include <string>

namespace quenlow::testing {

namespace {

constexpr std::chrono::milliseconds kPollInterval{50};

SERVICE_STATUS_PROCESS QueryStatus(SC_HANDLE service)
{
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (!::QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof(status),
                                &needed)) {
        ThrowLastError(L"QueryServiceStatusEx");
    }
    return status;
}

UniqueServiceHandle OpenExisting(std::wstring_view name, DWORD access)
{
    const auto manager = OpenServiceManager(SC_MANAGER_CONNECT);
    auto service = OpenServiceByName(manager.get(), name, access);
    if (!service) {
        ::SetLastError(ERROR_SERVICE_DOES_NOT_EXIST);
        ThrowLastError(L"OpenServiceW " + std::wstring(name));
    }
    return service;
}

void RequireState(std::wstring_view name, DWORD state, std::chrono::milliseconds timeout, const wchar_t* what)
{
    if (!WaitForServiceState(name, state, timeout)) {
        ::SetLastError(ERROR_SERVICE_REQUEST_TIMEOUT);
        ThrowLastError(std::wstring(what) + L" " + std::wstring(name) + L": still " +
                       std::wstring(ServiceStateName(QueryServiceState(name))));
    }
}

} // namespace

UniqueServiceHandle OpenServiceManager(DWORD access)
{
    UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, access));
    if (!manager) {
        ThrowLastError(L"OpenSCManagerW");
    }
    return manager;
}

UniqueServiceHandle OpenServiceByName(SC_HANDLE manager, std::wstring_view name, DWORD access)
{
    const std::wstring terminated(name);
    UniqueServiceHandle service(::OpenServiceW(manager, terminated.c_str(), access));
    if (!service && ::GetLastError() != ERROR_SERVICE_DOES_NOT_EXIST) {
        ThrowLastError(L"OpenServiceW " + std::wstring(name));
    }
    return service;
}

std::optional<SERVICE_STATUS_PROCESS> QueryServiceStatus(std::wstring_view name)
{
    const auto manager = OpenServiceManager(SC_MANAGER_CONNECT);
    const auto service = OpenServiceByName(manager.get(), name, SERVICE_QUERY_STATUS);
    if (!service) {
        return std::nullopt;
    }
    return QueryStatus(service.get());
}

std::optional<DWORD> QueryServiceState(std::wstring_view name)
{
    const auto status = QueryServiceStatus(name);
    return status ? std::optional<DWORD>(status->dwCurrentState) : std::nullopt;
}

std::wstring_view ServiceStateName(std::optional<DWORD> state)
{
    if (!state) {
        return L"missing";
    }
    switch (*state) {
    case SERVICE_STOPPED:
        return L"Stopped";
    case SERVICE_START_PENDING:
        return L"Start Pending";
    case SERVICE_STOP_PENDING:
        return L"Stop Pending";
    case SERVICE_RUNNING:
        return L"Running";
    case SERVICE_CONTINUE_PENDING:
        return L"Continue Pending";
    case SERVICE_PAUSE_PENDING:
        return L"Pause Pending";
    case SERVICE_PAUSED:
        return L"Paused";
    default:
        return L"Unknown";
    }
}

bool WaitForServiceState(std::wstring_view name, DWORD state, std::chrono::milliseconds timeout)
{
    return PumpUntil([&] { return QueryServiceState(name) == state; }, timeout, kPollInterval);
}

bool WaitForProcessExit(DWORD processId, std::chrono::milliseconds timeout)
{
    if (processId == 0) {
        return true;
    }
    const UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
    if (!process) {
        return true; // already gone
    }
    return ::WaitForSingleObject(process.get(), static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

void StartServiceDirectly(std::wstring_view name, std::chrono::milliseconds timeout)
{
    const auto service = OpenExisting(name, SERVICE_START | SERVICE_QUERY_STATUS);
    if (!::StartServiceW(service.get(), 0, nullptr) && ::GetLastError() != ERROR_SERVICE_ALREADY_RUNNING) {
        ThrowLastError(L"StartServiceW " + std::wstring(name));
    }
    RequireState(name, SERVICE_RUNNING, timeout, L"StartServiceW");
}

void SendStopDirectly(std::wstring_view name)
{
    const auto service = OpenExisting(name, SERVICE_STOP);
    SERVICE_STATUS status{};
    if (!::ControlService(service.get(), SERVICE_CONTROL_STOP, &status) &&
        ::GetLastError() != ERROR_SERVICE_NOT_ACTIVE) {
        ThrowLastError(L"ControlService(STOP) " + std::wstring(name));
    }
}

void StopServiceDirectly(std::wstring_view name, std::chrono::milliseconds timeout)
{
    const DWORD processId = QueryStatus(OpenExisting(name, SERVICE_QUERY_STATUS).get()).dwProcessId;
    SendStopDirectly(name);
    RequireState(name, SERVICE_STOPPED, timeout, L"ControlService(STOP)");
    if (!WaitForProcessExit(processId, timeout)) {
        ::SetLastError(ERROR_SERVICE_REQUEST_TIMEOUT);
        ThrowLastError(L"ControlService(STOP) " + std::wstring(name) + L": its process did not end");
    }
}

} // namespace quenlow::testing
