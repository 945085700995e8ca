// The reference for starting or stopping services through WMI: the least a program does to start
// or stop services by their short names with WMI's COM interfaces - connect, and for each name in
// turn: query by Name, call the method on each instance found by its __PATH, query once more to
// see that each got there - and then report in a message box, as quenlow.exe does for services
// that get there at once.
//   quenlow_bench_wmi_command.exe start|stop NAME [NAME ...] [--wait-for-click]
// With --wait-for-click it first gets ready as quenlow.exe is once its windows are up (COM, and
// WMI's client loaded) and shows a small window; a click on it starts the calls.
// Exits with 0 when every call returned 0 and every service got there, 1 otherwise, 2 when a name
// found nothing.
#include "bench/BareWmi_win.h"
#include "bench/BareWmiCommand.h"
#include "bench/ReadyWindow.h"

#include "common/ComPtrs_win.h"

#include <windows.h>
#include <wbemcli.h>
#include <wrl/client.h>

#include <shellapi.h>

#include <string>
#include <vector>

namespace {

using Microsoft::WRL::ComPtr;

bool Succeeded(HRESULT hr)
{
    return SUCCEEDED(hr);
}

// What became of one name.
enum class Result { Succeeded, Failed, NotFound };

// The method for every service of that name, then one query to see that each got there.
Result StartOrStop(IWbemServices& services, const std::wstring& method, const std::wstring& name)
{
    const quenlow::UniqueBstr language(L"WQL");
    const quenlow::UniqueBstr query(L"SELECT * FROM Win32_Service where Name='" + name + L"'");
    ComPtr<IEnumWbemClassObject> enumerator;
    if (!Succeeded(services.ExecQuery(language.get(), query.get(), WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                                      nullptr, &enumerator))) {
        return Result::Failed;
    }
    // The paths first: a method call runs a query of its own, after which Wine's instances of
    // this query no longer hold their own values.
    std::vector<quenlow::UniqueVariant> paths;
    for (;;) {
        ComPtr<IWbemClassObject> object;
        ULONG returned = 0;
        if (!Succeeded(enumerator->Next(static_cast<long>(WBEM_INFINITE), 1, &object, &returned)) || returned == 0) {
            break;
        }
        quenlow::UniqueVariant path;
        if (Succeeded(object->Get(L"__PATH", 0, path.put(), nullptr, nullptr)) && path.type() == VT_BSTR) {
            paths.push_back(std::move(path));
        }
    }
    if (paths.empty()) {
        return Result::NotFound;
    }
    const quenlow::UniqueBstr methodName(method == L"start" ? L"StartService" : L"StopService");
    bool allSucceeded = true;
    for (const auto& path : paths) {
        ComPtr<IWbemClassObject> out;
        quenlow::UniqueVariant returnValue;
        allSucceeded = Succeeded(services.ExecMethod(path.get().bstrVal, methodName.get(), 0, nullptr, nullptr, &out,
                                                     nullptr)) &&
                       out && Succeeded(out->Get(L"ReturnValue", 0, returnValue.put(), nullptr, nullptr)) &&
                       returnValue.type() == VT_I4 && returnValue.get().lVal == 0 && allSucceeded;
    }
    // One confirming query: an immediate service is there by now.
    ComPtr<IEnumWbemClassObject> confirmation;
    const std::wstring goal = method == L"start" ? L"Running" : L"Stopped";
    allSucceeded = Succeeded(services.ExecQuery(language.get(), query.get(),
                                                WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                                                &confirmation)) &&
                   allSucceeded;
    for (;;) {
        ComPtr<IWbemClassObject> object;
        ULONG returned = 0;
        if (!confirmation ||
            !Succeeded(confirmation->Next(static_cast<long>(WBEM_INFINITE), 1, &object, &returned)) ||
            returned == 0) {
            break;
        }
        quenlow::UniqueVariant state;
        allSucceeded = Succeeded(object->Get(L"State", 0, state.put(), nullptr, nullptr)) &&
                       state.type() == VT_BSTR && goal == state.get().bstrVal && allSucceeded;
    }
    return allSucceeded ? Result::Succeeded : Result::Failed;
}

// COM stays initialised until the process ends, after every interface has been released.
int Run(HINSTANCE instance, const std::wstring& method, const std::vector<std::wstring>& names, bool waitForClick)
{
    const auto locator = quenlow::bench::StartWmiClient();
    if (!locator) {
        return 3;
    }
    const HWND ready = waitForClick ? quenlow::bench::ShowReadyWindowUntilClicked(instance) : nullptr;
    if (waitForClick && !ready) {
        return 3;
    }
    const auto services = quenlow::bench::ConnectLocalWmi(*locator.Get());
    if (!services) {
        return 3;
    }
    bool allSucceeded = true;
    bool anyNotFound = false;
    for (const auto& name : names) {
        const Result result = StartOrStop(*services.Get(), method, name);
        allSucceeded = allSucceeded && result == Result::Succeeded;
        anyNotFound = anyNotFound || result == Result::NotFound;
    }
    const std::wstring what = method == L"start" ? L" started." : L" stopped.";
    const std::wstring text = names.size() == 1 ? names.front() + L" has" + what : L"The services have" + what;
    ::MessageBoxW(nullptr, text.c_str(), quenlow::bench::kBareWmiCommandTitle, MB_OK | MB_SETFOREGROUND | MB_TASKMODAL);
    if (ready) {
        ::DestroyWindow(ready);
    }
    if (anyNotFound) {
        return 2;
    }
    return allSucceeded ? 0 : 1;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!arguments) {
        return 2;
    }
    std::wstring method = count > 1 ? arguments[1] : L"";
    std::vector<std::wstring> names;
    bool waitForClick = false;
    for (int i = 2; i < count; ++i) {
        const std::wstring argument(arguments[i]);
        if (argument == L"--wait-for-click") {
            waitForClick = true;
        } else {
            names.push_back(argument);
        }
    }
    ::LocalFree(arguments);
    if ((method != L"start" && method != L"stop") || names.empty()) {
        return 2;
    }
    return Run(instance, method, names, waitForClick);
}
