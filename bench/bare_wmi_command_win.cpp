// The reference for starting or stopping services through WMI: the least a program does to start
// or stop services by their short names with WMI's COM interfaces, on one connection. For each
// name in turn it queries the service by Name and calls the method on each instance found by its
// __PATH; then it sees that each got there, and reports in a message box:
//   - by default with one more query of each service right after its call, all that a service
//     that gets there at once needs, as quenlow.exe's command line does;
//   - with --look-every=MS, as the naive program doing a press's job: all the calls first, in
//     the order given, then a look every MS milliseconds (one query of the states of all of them)
//     until each has got there, for at most a minute.
//   quenlow_bench_wmi_command.exe start|stop NAME [NAME ...] [--wait-for-click] [--look-every=MS]
// With --wait-for-click it first gets ready as quenlow.exe is once its windows are up (COM, and
// WMI's client loaded) and shows a small window; a click on it starts the calls.
// Exits with 0 when every call returned 0 and every service got there, 1 otherwise, 2 when a name
// found nothing or the command line is wrong.
#include "bench/BareWmi_win.h"
#include "bench/BareWmiCommand.h"
#include "bench/ReadyWindow.h"

#include "common/ComPtrs_win.h"

#include <windows.h>
#include <wbemcli.h>
#include <wrl/client.h>

#include <shellapi.h>

#include <cwchar>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Microsoft::WRL::ComPtr;

// How long the looks go on before the services that have not got there count as failed.
constexpr ULONGLONG kLookForAtMostMs = 60'000;

// What became of one name.
enum class Result { Succeeded, Failed, NotFound };

struct Command {
    std::wstring method; // start or stop
    std::vector<std::wstring> names;
    bool waitForClick = false;
    DWORD lookEveryMs = 0; // 0: one confirming query after each call
};

std::wstring QueryByName(const std::wstring& name)
{
    return L"SELECT * FROM Win32_Service where Name='" + name + L"'";
}

std::wstring GoalState(const Command& command)
{
    return command.method == L"start" ? L"Running" : L"Stopped";
}

// The method for every service of that name, found by one query; NotFound when it found none.
Result Call(IWbemServices& services, const std::wstring& method, const std::wstring& name)
{
    // The paths first: a method call runs a query of its own, after which Wine's instances of
    // this query no longer hold their own values.
    std::vector<quenlow::UniqueBstr> paths;
    const bool asked = quenlow::bench::VisitQuery(services, QueryByName(name), [&paths](IWbemClassObject& object) {
        if (const std::wstring path = quenlow::bench::ReadText(object, L"__PATH"); !path.empty()) {
            paths.emplace_back(path);
        }
    });
    if (!asked) {
        return Result::Failed;
    }
    if (paths.empty()) {
        return Result::NotFound;
    }
    const quenlow::UniqueBstr methodName(method == L"start" ? L"StartService" : L"StopService");
    bool allSucceeded = true;
    for (const auto& path : paths) {
        ComPtr<IWbemClassObject> out;
        quenlow::UniqueVariant returnValue;
        allSucceeded = SUCCEEDED(services.ExecMethod(path.get(), methodName.get(), 0, nullptr, nullptr, &out,
                                                     nullptr)) &&
                       out && SUCCEEDED(out->Get(L"ReturnValue", 0, returnValue.put(), nullptr, nullptr)) &&
                       returnValue.type() == VT_I4 && returnValue.get().lVal == 0 && allSucceeded;
    }
    return allSucceeded ? Result::Succeeded : Result::Failed;
}

// One query of the named services' states: true when every one found is in the goal state.
bool AllThere(IWbemServices& services, const std::wstring& query, const std::wstring& goal)
{
    bool allThere = true;
    const bool asked = quenlow::bench::VisitQuery(services, query, [&](IWbemClassObject& object) {
        allThere = allThere && quenlow::bench::ReadText(object, L"State") == goal;
    });
    return asked && allThere;
}

// The calls one after another, each service confirmed by one query right after its call.
Result CallAndConfirmEach(IWbemServices& services, const Command& command)
{
    Result result = Result::Succeeded;
    for (const auto& name : command.names) {
        Result one = Call(services, command.method, name);
        if (one == Result::Succeeded && !AllThere(services, QueryByName(name), GoalState(command))) {
            one = Result::Failed;
        }
        result = one == Result::Succeeded || result == Result::NotFound ? result : one;
    }
    return result;
}

// The calls one after another, then a look at all of them every interval until each is there.
Result CallAllThenLook(IWbemServices& services, const Command& command)
{
    Result result = Result::Succeeded;
    std::wstring query = L"SELECT Name, State FROM Win32_Service WHERE ";
    for (std::size_t i = 0; i < command.names.size(); ++i) {
        const Result one = Call(services, command.method, command.names[i]);
        result = one == Result::Succeeded || result == Result::NotFound ? result : one;
        query += (i == 0 ? L"Name='" : L" OR Name='") + command.names[i] + L"'";
    }
    if (result != Result::Succeeded) {
        return result;
    }
    const ULONGLONG began = ::GetTickCount64();
    for (ULONGLONG look = began;; look += command.lookEveryMs) {
        if (const ULONGLONG now = ::GetTickCount64(); now < look) {
            ::Sleep(static_cast<DWORD>(look - now));
        }
        if (AllThere(services, query, GoalState(command))) {
            return Result::Succeeded;
        }
        if (::GetTickCount64() - began > kLookForAtMostMs) {
            return Result::Failed;
        }
    }
}

// COM stays initialised until the process ends, after every interface has been released.
int Run(HINSTANCE instance, const Command& command)
{
    const auto locator = quenlow::bench::StartWmiClient();
    if (!locator) {
        return 3;
    }
    const HWND ready = command.waitForClick ? quenlow::bench::ShowReadyWindowUntilClicked(instance) : nullptr;
    if (command.waitForClick && !ready) {
        return 3;
    }
    const auto services = quenlow::bench::ConnectLocalWmi(*locator.Get());
    if (!services) {
        return 3;
    }
    const Result result = command.lookEveryMs > 0 ? CallAllThenLook(*services.Get(), command)
                                                  : CallAndConfirmEach(*services.Get(), command);
    const std::wstring what = command.method == L"start" ? L" started." : L" stopped.";
    const std::wstring text =
        command.names.size() == 1 ? command.names.front() + L" has" + what : L"The services have" + what;
    ::MessageBoxW(nullptr, text.c_str(), quenlow::bench::kBareWmiCommandTitle, MB_OK | MB_SETFOREGROUND | MB_TASKMODAL);
    if (ready) {
        ::DestroyWindow(ready);
    }
    switch (result) {
    case Result::Succeeded:
        return 0;
    case Result::Failed:
        return 1;
    case Result::NotFound:
        break;
    }
    return 2;
}

// The command line, or nothing when it is wrong.
std::optional<Command> ReadCommand(int count, wchar_t** arguments)
{
    Command command;
    command.method = count > 1 ? arguments[1] : L"";
    constexpr std::wstring_view kLookEvery = L"--look-every=";
    for (int i = 2; i < count; ++i) {
        const std::wstring_view argument(arguments[i]);
        if (argument == L"--wait-for-click") {
            command.waitForClick = true;
        } else if (argument.starts_with(kLookEvery)) {
            command.lookEveryMs = static_cast<DWORD>(std::wcstoul(arguments[i] + kLookEvery.size(), nullptr, 10));
            if (command.lookEveryMs == 0) {
                return std::nullopt;
            }
        } else {
            command.names.emplace_back(argument);
        }
    }
    if ((command.method != L"start" && command.method != L"stop") || command.names.empty()) {
        return std::nullopt;
    }
    return command;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!arguments) {
        return 2;
    }
    const std::optional<Command> command = ReadCommand(count, arguments);
    ::LocalFree(arguments);
    return command ? Run(instance, *command) : 2;
}
