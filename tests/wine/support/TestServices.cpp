#include "support/TestServices.h"

#include "support/ServiceManager.h"
#include "support/UniqueHandle.h"

#include <tlhelp32.h>

#include <algorithm>
#include <string>

namespace quenlow::testing {

namespace {

// The service manager gives up on a program that never connects after 30 s at most.
constexpr std::chrono::seconds kManagerGivesUp{40};

std::string Narrow(std::wstring_view text)
{
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

} // namespace

std::wstring ServiceCommandLine(const TestService& service, const std::wstring& programPath)
{
    if (service.behaviour == ServiceBehaviour::MissingProgram) {
        return std::wstring(kMissingProgramPath);
    }
    std::wstring command = L"\"" + programPath + L"\"";
    if (const auto argument = BehaviourArgument(service.behaviour); !argument.empty()) {
        command += L" ";
        command += argument;
    }
    if (service.behaviour == ServiceBehaviour::NeverConnects) {
        command += L" ";
        command += service.name;
    }
    return command;
}

void StopTestService(const TestService& service)
{
    if (QueryServiceState(service.name).value_or(SERVICE_STOPPED) == SERVICE_STOPPED) {
        return;
    }
    if (service.behaviour == ServiceBehaviour::NeverConnects) {
        // It cannot be told anything: the manager ends the start that waits for it.
        if (!WaitForServiceState(service.name, SERVICE_STOPPED, kManagerGivesUp)) {
            ::SetLastError(ERROR_SERVICE_REQUEST_TIMEOUT);
            ThrowLastError("waiting for the service manager to give up on " + Narrow(service.name));
        }
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

const std::vector<HostileService>& HostileServices()
{
    static const std::vector<HostileService> services = [] {
        // 256 characters, the most the service manager takes for either name, and a neighbour
        // that is the same text one character shorter.
        const std::wstring longName = L"quenlowhostilelong" + std::wstring(256 - 18, L'x');
        const std::wstring longDisplay = L"Quenlow Hostile Long " + std::wstring(256 - 21, L'x');
        return std::vector<HostileService>{
            {longName, longDisplay, true, true},
            {longName.substr(0, 255), longDisplay.substr(0, 255)},
            // LIKE wildcards. As patterns these would match their neighbours: % any text,
            // _ any character, [ab] a or b, [^x] anything but x.
            {L"quenlowhostile%", L"Quenlow Hostile 100% sure", true, true},
            {L"quenlowhostilepercent", L"Quenlow Hostile 100 and more sure"},
            {L"quenlowhostile", L"Quenlow Hostile 100"},
            {L"quenlowhostile_u", L"Quenlow Hostile a_b", true, true},
            {L"quenlowhostilexu", L"Quenlow Hostile axb"},
            {L"quenlowhostile[ab]^", L"Quenlow Hostile [ab]^c", true, true},
            {L"quenlowhostilea^", L"Quenlow Hostile a^c"},
            {L"quenlowhostile[^x]", L"Quenlow Hostile [^x]", true, true},
            {L"quenlowhostiley", L"Quenlow Hostile y"},
            // Both quote kinds, and the same text with the kinds swapped. (A short name with a
            // double quote cannot be started through Wine's WMI at all; see the tests.)
            {L"quenlowhostile'q", L"Quenlow Hostile 'single' \"double\"", true, true},
            {L"quenlowhostileq", L"Quenlow Hostile \"single\" 'double'", true, false},
            // Backslashes, which Windows reads as escapes in a query and Wine does not. Short
            // names cannot hold one.
            {L"quenlowhostileback", L"Quenlow Hostile back\\slash\\", true, false},
            {L"quenlowhostilebac", L"Quenlow Hostile back\\slash"},
            {L"quenlowhostileba", L"Quenlow Hostile backslash\\"},
            // Letters beyond ASCII, and the same text without its accents. Short names in
            // small letters: the command line lowers the name, and Wine's queries ignore the
            // case of ASCII letters only.
            {L"quenlowhostile\u00E9t\u00E9", L"Quenlow Hostile \u00DCn\u00EFc\u00F8d\u00E9 \u03A9 \u65E5\u672C", true,
             true},
            {L"quenlowhostileete", L"Quenlow Hostile Unicode \u03A9 \u65E5\u672C"},
            // Leading and trailing blanks. The command line trims its text, so a short name
            // with a trailing blank is reachable only through the windows.
            {L"quenlowhostiletrail", L"Quenlow Hostile Trailing", false, true},
            {L"quenlowhostiletrail ", L"Quenlow Hostile Trailing ", true, false},
            {L"quenlowhostiletrail  ", L"Quenlow Hostile Trailing  "},
            {L" quenlowhostilelead", L" Quenlow Hostile Leading", true, true},
            {L"quenlowhostilelead", L"Quenlow Hostile Leading"},
        };
    }();
    return services;
}

void RemoveHostileServices()
{
    const auto manager = OpenServiceManager(SC_MANAGER_CONNECT);
    for (const auto& service : HostileServices()) {
        const auto handle = OpenServiceByName(manager.get(), service.name, DELETE);
        if (!handle) {
            continue;
        }
        if (QueryServiceState(service.name).value_or(SERVICE_STOPPED) != SERVICE_STOPPED) {
            StopServiceDirectly(service.name);
        }
        if (!::DeleteService(handle.get()) && ::GetLastError() != ERROR_SERVICE_MARKED_FOR_DELETE) {
            ThrowLastError("DeleteService " + Narrow(service.name));
        }
    }
}

void RegisterHostileServices(const std::wstring& programPath)
{
    RemoveHostileServices();
    const auto manager = OpenServiceManager(SC_MANAGER_CREATE_SERVICE);
    const std::wstring command = L"\"" + programPath + L"\"";
    for (const auto& service : HostileServices()) {
        const UniqueServiceHandle created(::CreateServiceW(
            manager.get(), service.name.c_str(), service.displayName.c_str(), SERVICE_QUERY_STATUS,
            SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, command.c_str(), nullptr, nullptr,
            nullptr, nullptr, nullptr));
        if (!created) {
            ThrowLastError("CreateServiceW " + Narrow(service.name));
        }
    }
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

std::wstring TestServiceProgramPath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            ThrowLastError("GetModuleFileNameW");
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    path.resize(path.find_last_of(L"\\/") + 1);
    return path + L"quenlow_test_service.exe";
}

} // namespace quenlow::testing
