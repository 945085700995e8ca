#pragma once

#include "support/TimeLimits.h"

#include <windows.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

// The service manager seen directly, without WMI: what the tests check their results against and
// use to put services into the state a test needs.
namespace quenlow::testing {

struct ServiceHandleCloser {
    void operator()(SC_HANDLE handle) const noexcept { ::CloseServiceHandle(handle); }
};
using UniqueServiceHandle = std::unique_ptr<std::remove_pointer_t<SC_HANDLE>, ServiceHandleCloser>;

UniqueServiceHandle OpenServiceManager(DWORD access);

// The service, or an empty handle when no service has the name.
UniqueServiceHandle OpenServiceByName(SC_HANDLE manager, std::wstring_view name, DWORD access);

// The service's current status (state, process id, ...), or nullopt when no service has the name.
std::optional<SERVICE_STATUS_PROCESS> QueryServiceStatus(std::wstring_view name);

// The current state (SERVICE_RUNNING, SERVICE_STOPPED, ...), or nullopt when no service has the name.
std::optional<DWORD> QueryServiceState(std::wstring_view name);

// "Running", "Stopped", ... for messages.
std::wstring_view ServiceStateName(std::optional<DWORD> state);

// Polls until the service reaches the state; false after the timeout.
bool WaitForServiceState(std::wstring_view name, DWORD state, std::chrono::milliseconds timeout = kServiceStateComesWithin);

// Polls until the process has ended (true at once for 0 or a process that is gone).
bool WaitForProcessExit(DWORD processId, std::chrono::milliseconds timeout = kServiceStateComesWithin);

// Start or stop directly through the service manager and wait for the state to be reached;
// a stop also waits for the service's process to end, so that a new start cannot meet the old
// process on its way out. Already being in that state is fine. Throws quenlow::Error on failure.
void StartServiceDirectly(std::wstring_view name, std::chrono::milliseconds timeout = kServiceStateComesWithin);
void StopServiceDirectly(std::wstring_view name, std::chrono::milliseconds timeout = kServiceStateComesWithin);
// Only sends the stop: returns once the service manager passed it on.
void SendStopDirectly(std::wstring_view name);

} // namespace quenlow::testing
