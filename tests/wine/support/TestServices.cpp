#include "support/TestServices.h"

#include "common/HResultText_win.h"
#include "common/UniqueHandle_win.h"
#include "support/MessagePump.h"
#include "support/RunningProcesses.h"
#include "support/ServiceManager.h"
#include "support/TestOptions.h"

#include <algorithm>
#include <string>

namespace quenlow::testing {

namespace {

// The service manager gives up on a program that never connects after 30 s at most.
constexpr std::chrono::seconds kManagerGivesUp{40};

// The argument that makes the service program start slowly, e.g. --start-ms=3000.
std::wstring SlowStartArgument(std::chrono::milliseconds startTime)
{
    return std::wstring(BehaviourArgument(ServiceBehaviour::SlowStart)) + std::to_wstring(startTime.count());
}

// The command line the service manager runs for a test service.
std::wstring ServiceCommandLine(const TestService& service, const std::wstring& programPath)
{
    if (service.behaviour == ServiceBehaviour::MissingProgram) {
        return std::wstring(kMissingProgramPath);
    }
    std::wstring command = L"\"" + programPath + L"\"";
    const std::wstring argument = service.behaviour == ServiceBehaviour::SlowStart
                                      ? SlowStartArgument(kSlowStartTime)
                                      : std::wstring(BehaviourArgument(service.behaviour));
    if (!argument.empty()) {
        command += L" ";
        command += argument;
    }
    if (service.behaviour == ServiceBehaviour::NeverConnects) {
        command += L" ";
        command += service.name;
    }
    return command;
}

bool StoppedOrGone(std::wstring_view name)
{
    return QueryServiceState(name).value_or(SERVICE_STOPPED) == SERVICE_STOPPED;
}

[[noreturn]] void ThrowTimeout(const std::wstring& what)
{
    ::SetLastError(ERROR_SERVICE_REQUEST_TIMEOUT);
    ThrowLastError(what);
}

bool ProcessAlive(DWORD processId)
{
    if (processId == 0) {
        return false;
    }
    const UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
    return process && ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

// Sets the quit event of the service program running as the process; false when there is none
// (yet: a process that has just started may still be on its way to making it).
bool SetQuitEvent(DWORD processId)
{
    const UniqueHandle event(::OpenEventW(EVENT_MODIFY_STATE, FALSE, QuitEventName(processId).c_str()));
    return event && ::SetEvent(event.get());
}

// Gives a service whose process has gone behind the service manager's back a new one. Wine's
// manager keeps such a service "Start Pending" or "Running" for ever (after its process was
// ended while starting, or ended by the manager itself on the next control after a stop that
// the service took back); a new start is the only way out of that state there.
void RestartOrphanedService(const TestService& service)
{
    const auto manager = OpenServiceManager(SC_MANAGER_CONNECT);
    const auto handle = OpenServiceByName(manager.get(), service.name, SERVICE_START);
    if (handle && !::StartServiceW(handle.get(), 0, nullptr) && ::GetLastError() != ERROR_SERVICE_ALREADY_RUNNING) {
        ThrowLastError(L"StartServiceW (new process for an orphaned service) " + std::wstring(service.name));
    }
}

// Ends a service of the test service program in whatever state it is, through its quit event:
// the service manager passes no control to a service that is starting or stopping, and Wine's
// ends the process of a service that took a stop back on the next control, leaving it
// "Running" for ever.
void QuitTestService(const TestService& service)
{
    using namespace std::chrono_literals;
    // A starting process makes its event within milliseconds; one that has none after this
    // is not ours to wait for.
    constexpr auto kEventAppears = 5s;
    for (int round = 0; round < 2; ++round) {
        const auto status = QueryServiceStatus(service.name);
        if (!status || status->dwCurrentState == SERVICE_STOPPED) {
            return;
        }
        const DWORD processId = status->dwProcessId;
        bool set = false;
        PumpUntil([&] { return (set = SetQuitEvent(processId)) || !ProcessAlive(processId); }, kEventAppears);
        if (set) {
            if (!PumpUntil([&] { return StoppedOrGone(service.name); }, kServiceStateComesWithin) ||
                !WaitForProcessExit(processId)) {
                ThrowTimeout(L"quitting " + std::wstring(service.name) + L": still " +
                             std::wstring(ServiceStateName(QueryServiceState(service.name))));
            }
            return;
        }
        if (StoppedOrGone(service.name)) {
            return; // it ended by itself meanwhile
        }
        RestartOrphanedService(service);
    }
    ThrowTimeout(L"quitting " + std::wstring(service.name) + L": its process is gone and a new one did not come");
}

} // namespace

void StopTestService(const TestService& service)
{
    if (StoppedOrGone(service.name)) {
        return;
    }
    switch (service.behaviour) {
    case ServiceBehaviour::NeverConnects:
        // It cannot be told anything: the manager ends the start that waits for it.
        if (!WaitForServiceState(service.name, SERVICE_STOPPED, kManagerGivesUp)) {
            ThrowTimeout(L"waiting for the service manager to give up on " + std::wstring(service.name));
        }
        return;
    case ServiceBehaviour::Ordinary:
    case ServiceBehaviour::MissingProgram:
    case ServiceBehaviour::StopsLate:
        StopServiceDirectly(service.name);
        return;
    case ServiceBehaviour::RefusesStop:
    case ServiceBehaviour::SlowStart:
    case ServiceBehaviour::FailsWhileStarting:
    case ServiceBehaviour::TakesStopBack:
    case ServiceBehaviour::PendsForEver:
    case ServiceBehaviour::RemovesItselfWhileStarting:
        QuitTestService(service);
        return;
    }
}

void StopAllTestServices()
{
    for (const auto& service : kTestServices) {
        StopTestService(service);
    }
    for (const auto& service : kSelfRegisteredTestServices) {
        StopTestService(service);
    }
}

std::vector<std::wstring> TestServicesNotStopped()
{
    std::vector<std::wstring> found;
    const auto note = [&](const TestService& service, std::optional<DWORD> state) {
        found.push_back(std::wstring(service.name) + L" is " + std::wstring(ServiceStateName(state)));
    };
    for (const auto& service : kTestServices) {
        if (const auto state = QueryServiceState(service.name); state != SERVICE_STOPPED) {
            note(service, state);
        }
    }
    for (const auto& service : kSelfRegisteredTestServices) {
        if (const auto state = QueryServiceState(service.name); state && state != SERVICE_STOPPED) {
            note(service, state);
        }
    }
    return found;
}

void RegisterTestService(const TestService& service, const std::wstring& programPath)
{
    const auto manager = OpenServiceManager(SC_MANAGER_CREATE_SERVICE);
    const std::wstring command = ServiceCommandLine(service, programPath);
    const std::wstring name(service.name);
    const std::wstring displayName(service.displayName.value_or(L""));
    // A list of names, each ended by a NUL, and one more NUL after the last.
    std::wstring dependencies(service.dependsOn);
    dependencies.append(2, L'\0');
    const UniqueServiceHandle created(::CreateServiceW(
        manager.get(), name.c_str(), service.displayName ? displayName.c_str() : nullptr, SERVICE_QUERY_STATUS,
        SERVICE_WIN32_OWN_PROCESS, service.startType, SERVICE_ERROR_NORMAL, command.c_str(), nullptr, nullptr,
        service.dependsOn.empty() ? nullptr : dependencies.c_str(), nullptr, nullptr));
    if (!created) {
        ThrowLastError(L"CreateServiceW " + std::wstring(service.name));
    }
}

void RemoveTestService(const TestService& service)
{
    const auto manager = OpenServiceManager(SC_MANAGER_CONNECT);
    const auto handle = OpenServiceByName(manager.get(), service.name, DELETE);
    if (!handle) {
        return;
    }
    StopTestService(service);
    if (!::DeleteService(handle.get()) && ::GetLastError() != ERROR_SERVICE_MARKED_FOR_DELETE) {
        ThrowLastError(L"DeleteService " + std::wstring(service.name));
    }
}

ScopedTestService::ScopedTestService(const TestService& service) : m_service(service)
{
    // A leftover of an interrupted run goes first.
    RemoveTestService(m_service);
    RegisterTestService(m_service, TestServiceProgramPath());
}

ScopedTestService::~ScopedTestService()
{
    try {
        RemoveTestService(m_service);
    } catch (const std::exception&) {
        // The fixture's cleanup removes whatever is left; a destructor must not throw.
    }
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

// A hostile service as an ordinary test service of its names.
TestService AsTestService(const HostileService& service)
{
    return TestService{service.name, service.displayName};
}

void RemoveHostileServices()
{
    for (const auto& service : HostileServices()) {
        RemoveTestService(AsTestService(service));
    }
}

void RegisterHostileServices(const std::wstring& programPath)
{
    RemoveHostileServices();
    for (const auto& service : HostileServices()) {
        RegisterTestService(AsTestService(service), programPath);
    }
}

bool WaitForTestServiceProcessesToEnd(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (const auto& [id, exe] : RunningProcesses()) {
        if (::lstrcmpiW(exe.c_str(), L"quenlow_test_service.exe") != 0) {
            continue;
        }
        using std::chrono::milliseconds;
        const auto left = std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
        if (!WaitForProcessExit(id, std::max(left, milliseconds(0)))) {
            return false;
        }
    }
    return true;
}

std::wstring TestServiceProgramPath()
{
    return ProgramBesideThisOne(L"quenlow_test_service.exe");
}

} // namespace quenlow::testing
