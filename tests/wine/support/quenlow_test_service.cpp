// A minimal own-process service for the Wine tests: it reports running, and stops when told to
// (or, in its refusing mode, only when told to quit: by the private quit control or its quit
// event), so the tests can watch real state changes made through WMI. Other modes make the slow or failing ways of a real service:
// a long start, a start that fails, a stop that is taken back, a stop reported late and done
// slowly, a start that never ends and a
// service that deletes itself while starting. In its never-connecting mode it is a program that
// hangs before it ever reaches the service manager.
#include "support/TestServices.h"

#include <windows.h>
#include <sddl.h>

#include <algorithm>
#include <chrono>
#include <cwchar>
#include <cwctype>
#include <string>
#include <string_view>

namespace {

using quenlow::testing::BehaviourArgument;
using quenlow::testing::kQuitControl;
using quenlow::testing::ServiceBehaviour;

// How often a service that is starting reports its progress.
constexpr DWORD kProgressInterval = 500;

struct Options {
    ServiceBehaviour behaviour = ServiceBehaviour::Ordinary;
    DWORD startMs = 0;
};

Options g_options;
SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
// Set by kQuitControl, by the tests through its name and by a STOP that is carried out: every
// phase ends on it.
HANDLE g_quit = nullptr;
// Set by a STOP that will be taken back.
HANDLE g_stopAsked = nullptr;

// The handler reports from the dispatcher's thread while ServiceMain reports from its own.
SRWLOCK g_statusLock = SRWLOCK_INIT;
SERVICE_STATUS g_status{};

class StatusLock {
public:
    StatusLock() { ::AcquireSRWLockExclusive(&g_statusLock); }
    ~StatusLock() { ::ReleaseSRWLockExclusive(&g_statusLock); }
    StatusLock(const StatusLock&) = delete;
    StatusLock& operator=(const StatusLock&) = delete;
};

bool AcceptsStop()
{
    return g_options.behaviour != ServiceBehaviour::RefusesStop;
}

void Report(DWORD state, DWORD checkPoint = 0, DWORD waitHint = 0, DWORD serviceSpecificExitCode = 0)
{
    const StatusLock lock;
    g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    g_status.dwCurrentState = state;
    // Windows sends no STOP to a service that is starting or stopping; neither do we take one then.
    g_status.dwControlsAccepted = (state == SERVICE_RUNNING && AcceptsStop()) ? SERVICE_ACCEPT_STOP : 0;
    g_status.dwWin32ExitCode = serviceSpecificExitCode != 0 ? ERROR_SERVICE_SPECIFIC_ERROR : NO_ERROR;
    g_status.dwServiceSpecificExitCode = serviceSpecificExitCode;
    g_status.dwCheckPoint = checkPoint;
    g_status.dwWaitHint = waitHint;
    ::SetServiceStatus(g_statusHandle, &g_status);
}

DWORD CurrentState()
{
    const StatusLock lock;
    return g_status.dwCurrentState;
}

constexpr DWORD Milliseconds(std::chrono::milliseconds time)
{
    return static_cast<DWORD>(time.count());
}

// True when told to quit within the time.
bool QuitWithin(DWORD milliseconds)
{
    return ::WaitForSingleObject(g_quit, milliseconds) == WAIT_OBJECT_0;
}

bool QuitWithin(std::chrono::milliseconds time)
{
    return QuitWithin(Milliseconds(time));
}

DWORD WINAPI Handler(DWORD control, DWORD, void*, void*)
{
    switch (control) {
    case SERVICE_CONTROL_STOP:
        if (!AcceptsStop() || CurrentState() != SERVICE_RUNNING) {
            return ERROR_CALL_NOT_IMPLEMENTED;
        }
        if (g_options.behaviour == ServiceBehaviour::StopsLate) {
            // Taken, and said so later, from another thread: as real services may do it.
            ::SetEvent(g_stopAsked);
            return NO_ERROR;
        }
        Report(SERVICE_STOP_PENDING, 1, 2000);
        ::SetEvent(g_options.behaviour == ServiceBehaviour::TakesStopBack ? g_stopAsked : g_quit);
        return NO_ERROR;
    case kQuitControl:
        Report(SERVICE_STOP_PENDING, 1, 2000);
        ::SetEvent(g_quit);
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

// Start pending for the time, with a check point that grows at every report; false when told
// to quit first.
bool StartSlowly(DWORD milliseconds)
{
    const ULONGLONG deadline = ::GetTickCount64() + milliseconds;
    for (DWORD checkPoint = 1;; ++checkPoint) {
        Report(SERVICE_START_PENDING, checkPoint, 2 * kProgressInterval);
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) {
            return true;
        }
        if (QuitWithin(static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, kProgressInterval)))) {
            return false;
        }
    }
}

// Runs until told to quit; a STOP is followed by a second of stop pending and then by running
// again when the service takes its stops back.
void RunUntilQuit()
{
    Report(SERVICE_RUNNING);
    const HANDLE events[] = {g_quit, g_stopAsked};
    while (::WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        ::ResetEvent(g_stopAsked);
        if (QuitWithin(quenlow::testing::kPendingPhase)) {
            return;
        }
        Report(SERVICE_RUNNING);
    }
}

// Runs until told to stop, which it reports late and carries out slowly.
void RunUntilStoppedLate()
{
    Report(SERVICE_RUNNING);
    const HANDLE events[] = {g_quit, g_stopAsked};
    if (::WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1 ||
        QuitWithin(quenlow::testing::kPendingPhase)) {
        return;
    }
    Report(SERVICE_STOP_PENDING, 1, 2 * Milliseconds(quenlow::testing::kSlowStopTime));
    QuitWithin(quenlow::testing::kSlowStopTime);
}

void DeleteOwnService(const wchar_t* name)
{
    const SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    const SC_HANDLE service = manager ? ::OpenServiceW(manager, name, DELETE) : nullptr;
    if (!service || !::DeleteService(service)) {
        std::fwprintf(stderr, L"quenlow_test_service: could not delete %ls (error %lu)\n", name, ::GetLastError());
    }
    if (service) {
        ::CloseServiceHandle(service);
    }
    if (manager) {
        ::CloseServiceHandle(manager);
    }
}

// Each behaviour up to the point where the service stops; the caller reports that.
void Behave(const wchar_t* name)
{
    using quenlow::testing::kPendingPhase;
    switch (g_options.behaviour) {
    case ServiceBehaviour::SlowStart:
        if (StartSlowly(g_options.startMs)) {
            RunUntilQuit();
        }
        return;
    case ServiceBehaviour::FailsWhileStarting:
        Report(SERVICE_START_PENDING, 1, 2 * Milliseconds(kPendingPhase));
        if (!QuitWithin(kPendingPhase)) {
            Report(SERVICE_STOPPED, 0, 0, quenlow::testing::kFailedStartExitCode);
        }
        return;
    case ServiceBehaviour::PendsForEver:
        // One report and no progress after it. The safety limit keeps a forgotten one from
        // outliving the test run.
        Report(SERVICE_START_PENDING, 1, 2 * Milliseconds(kPendingPhase));
        QuitWithin(quenlow::testing::kPendingForEverLimit);
        return;
    case ServiceBehaviour::RemovesItselfWhileStarting:
        Report(SERVICE_START_PENDING, 1, 2 * Milliseconds(kPendingPhase));
        if (!QuitWithin(kPendingPhase)) {
            DeleteOwnService(name);
        }
        return;
    case ServiceBehaviour::StopsLate:
        RunUntilStoppedLate();
        return;
    case ServiceBehaviour::Ordinary:
    case ServiceBehaviour::RefusesStop:
    case ServiceBehaviour::TakesStopBack:
    case ServiceBehaviour::NeverConnects:
    case ServiceBehaviour::MissingProgram:
        RunUntilQuit();
        return;
    }
}

// The quit event, under a name that the tests find by the service's process id: it ends the
// service in every state, also where the service manager passes no control on.
HANDLE CreateQuitEvent()
{
    // The tests run as administrators, the service as the system: both may set it.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;GA;;;SY)(A;;GA;;;BA)", SDDL_REVISION_1,
                                                                &descriptor, nullptr)) {
        descriptor = nullptr;
    }
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
    const std::wstring name = quenlow::testing::QuitEventName(::GetCurrentProcessId());
    const HANDLE event = ::CreateEventW(descriptor ? &attributes : nullptr, TRUE, FALSE, name.c_str());
    ::LocalFree(descriptor);
    // Without its name it still serves the controls.
    return event ? event : ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

void WINAPI ServiceMain(DWORD argc, wchar_t** argv)
{
    const wchar_t* name = argc > 0 ? argv[0] : L"";
    g_statusHandle = ::RegisterServiceCtrlHandlerExW(name, Handler, nullptr);
    if (g_statusHandle == nullptr) {
        return;
    }
    g_quit = CreateQuitEvent();
    g_stopAsked = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    Behave(name);
    if (CurrentState() != SERVICE_STOPPED) {
        Report(SERVICE_STOPPED);
    }
    // Not closed: the handler may still be setting them until the dispatcher returns.
}

// Waits, without connecting, until the service manager has given up on the start (Wine ends
// the process itself then), and at most two minutes, so that nothing outlives a test run.
int NeverConnect(const wchar_t* serviceName)
{
    const ULONGLONG deadline = ::GetTickCount64() + 120'000;
    const SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    const SC_HANDLE service = manager ? ::OpenServiceW(manager, serviceName, SERVICE_QUERY_STATUS) : nullptr;
    SERVICE_STATUS status{};
    while (::GetTickCount64() < deadline && service && ::QueryServiceStatus(service, &status) &&
           status.dwCurrentState == SERVICE_START_PENDING) {
        ::Sleep(250);
    }
    if (service) {
        ::CloseServiceHandle(service);
    }
    if (manager) {
        ::CloseServiceHandle(manager);
    }
    return 0;
}

// The number after the option's text, as in --start-ms=3000; false when the argument is not that option.
bool ReadNumberOption(std::wstring_view argument, std::wstring_view option, DWORD& value)
{
    if (!argument.starts_with(option) || argument.size() == option.size()) {
        return false;
    }
    const std::wstring digits(argument.substr(option.size()));
    for (const wchar_t c : digits) {
        if (!std::iswdigit(c)) {
            return false;
        }
    }
    value = static_cast<DWORD>(std::wcstoul(digits.c_str(), nullptr, 10));
    return true;
}

bool ReadOptions(int argc, wchar_t** argv)
{
    constexpr ServiceBehaviour kFlags[] = {ServiceBehaviour::RefusesStop, ServiceBehaviour::FailsWhileStarting,
                                           ServiceBehaviour::TakesStopBack, ServiceBehaviour::PendsForEver,
                                           ServiceBehaviour::RemovesItselfWhileStarting, ServiceBehaviour::StopsLate};
    for (int i = 1; i < argc; ++i) {
        const std::wstring_view argument = argv[i];
        bool known = false;
        for (const auto flag : kFlags) {
            if (argument == BehaviourArgument(flag)) {
                g_options.behaviour = flag;
                known = true;
            }
        }
        if (ReadNumberOption(argument, BehaviourArgument(ServiceBehaviour::SlowStart), g_options.startMs)) {
            g_options.behaviour = ServiceBehaviour::SlowStart;
            known = true;
        }
        if (!known) {
            std::fwprintf(stderr, L"quenlow_test_service: unknown argument %ls\n", argv[i]);
            return false;
        }
    }
    return true;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring_view neverConnect = BehaviourArgument(ServiceBehaviour::NeverConnects);
    if (argc == 3 && neverConnect == argv[1]) {
        return NeverConnect(argv[2]);
    }
    if (!ReadOptions(argc, argv)) {
        return 2;
    }
    wchar_t name[] = L"";
    const SERVICE_TABLE_ENTRYW table[] = {{name, ServiceMain}, {nullptr, nullptr}};
    if (!::StartServiceCtrlDispatcherW(table)) {
        std::fwprintf(stderr, L"quenlow_test_service: this program runs only as a service (error %lu)\n",
                      ::GetLastError());
        return 1;
    }
    return 0;
}
