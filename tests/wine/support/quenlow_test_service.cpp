// A minimal own-process service for the Wine tests: it reports running, and stops when told to
// (or, in its refusing mode, only on the private quit control), so the tests can watch real
// state changes made through WMI. In its never-connecting mode it is a program that hangs
// before it ever reaches the service manager.
#include "support/TestServices.h"

#include <windows.h>

#include <cwchar>

namespace {

using quenlow::testing::kQuitControl;

SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
HANDLE g_quit = nullptr;
bool g_refuseStop = false;
SERVICE_STATUS g_status{};

void Report(DWORD state)
{
    g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    g_status.dwCurrentState = state;
    g_status.dwControlsAccepted = (state == SERVICE_RUNNING && !g_refuseStop) ? SERVICE_ACCEPT_STOP : 0;
    g_status.dwWin32ExitCode = NO_ERROR;
    g_status.dwWaitHint = (state == SERVICE_RUNNING || state == SERVICE_STOPPED) ? 0 : 5000;
    ::SetServiceStatus(g_statusHandle, &g_status);
}

DWORD WINAPI Handler(DWORD control, DWORD, void*, void*)
{
    switch (control) {
    case SERVICE_CONTROL_STOP:
        if (g_refuseStop) {
            return ERROR_CALL_NOT_IMPLEMENTED;
        }
        Report(SERVICE_STOP_PENDING);
        ::SetEvent(g_quit);
        return NO_ERROR;
    case kQuitControl:
        Report(SERVICE_STOP_PENDING);
        ::SetEvent(g_quit);
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI ServiceMain(DWORD argc, wchar_t** argv)
{
    g_statusHandle = ::RegisterServiceCtrlHandlerExW(argc > 0 ? argv[0] : L"", Handler, nullptr);
    if (g_statusHandle == nullptr) {
        return;
    }
    g_quit = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    Report(SERVICE_RUNNING);
    ::WaitForSingleObject(g_quit, INFINITE);
    ::CloseHandle(g_quit);
    Report(SERVICE_STOPPED);
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

} // namespace

int wmain(int argc, wchar_t** argv)
{
    using quenlow::testing::ServiceBehaviour;
    const std::wstring_view neverConnect = BehaviourArgument(ServiceBehaviour::NeverConnects);
    if (argc == 3 && neverConnect == argv[1]) {
        return NeverConnect(argv[2]);
    }
    const std::wstring_view refuse = BehaviourArgument(ServiceBehaviour::RefusesStop);
    for (int i = 1; i < argc; ++i) {
        g_refuseStop = g_refuseStop || refuse == argv[i];
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
