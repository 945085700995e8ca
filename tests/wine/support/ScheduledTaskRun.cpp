#include "support/ScheduledTaskRun.h"

#include "common/ComPtrs_win.h"
#include "common/Error.h"
#include "common/HResultText_win.h"
#include "services/ComApartment_win.h"
#include "support/ChildProcess.h"
#include "support/MessagePump.h"
#include "support/TestOptions.h"

#include <taskschd.h>
#include <wrl/client.h>

#include <atomic>
#include <cwchar>
#include <new>
#include <vector>

namespace quenlow::testing {

namespace {

using Microsoft::WRL::ComPtr;

// How long the task scheduler may take to start a task, and record_run to write its result.
constexpr std::chrono::milliseconds kTaskStartsWithin{30'000};

// The file's UTF-8 as text (its first 64 KiB, far more than a run here writes); nullopt when it
// is not there (yet).
std::optional<std::wstring> ReadText(const std::wstring& path)
{
    const UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::vector<char> bytes(64 * 1024);
    DWORD read = 0;
    if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        ThrowLastError(L"ReadFile " + path);
    }
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(read), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(read), text.data(), length);
    return text;
}

// The text as a BSTR in a VARIANT, as the task scheduler takes a user's name.
UniqueVariant TextVariant(const wchar_t* text)
{
    UniqueVariant variant;
    VARIANT* value = variant.put();
    value->bstrVal = ::SysAllocString(text);
    if (!value->bstrVal) {
        throw std::bad_alloc();
    }
    value->vt = VT_BSTR;
    return variant;
}

// The names of one run: its task, and its files in the temporary folder, which the local system
// account may write too. The files are deleted when the object ends.
class RunNames {
public:
    RunNames()
    {
        static std::atomic<unsigned> made{0};
        const std::wstring unique = std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++made);
        wchar_t folder[MAX_PATH + 1];
        if (::GetTempPathW(MAX_PATH + 1, folder) == 0) {
            ThrowLastError(L"GetTempPathW");
        }
        m_task = L"QuenlowTestRun-" + unique;
        m_result = folder + (L"quenlow-task-" + unique);
    }
    ~RunNames()
    {
        for (const wchar_t* suffix : {L".err", L".status", L".status.part"}) {
            ::DeleteFileW((m_result + suffix).c_str());
        }
    }
    RunNames(const RunNames&) = delete;
    RunNames& operator=(const RunNames&) = delete;

    const std::wstring& Task() const noexcept { return m_task; }
    const std::wstring& Result() const noexcept { return m_result; }

private:
    std::wstring m_task;
    std::wstring m_result;
};

// A task in the root folder that runs the command once it is asked to, as the local system
// account; it is deleted when the object ends.
class SystemTask {
public:
    SystemTask(const std::wstring& name, const std::wstring& program, const std::wstring& arguments) : m_name(name)
    {
        ComPtr<ITaskService> service;
        ThrowIfFailed(::CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&service)),
                      L"creating the task scheduler's object");
        const UniqueVariant none;
        ThrowIfFailed(service->Connect(none.get(), none.get(), none.get(), none.get()),
                      L"connecting to the task scheduler");
        ThrowIfFailed(service->GetFolder(UniqueBstr(L"\\").get(), &m_folder), L"opening the root task folder");
        ComPtr<ITaskDefinition> task;
        ThrowIfFailed(service->NewTask(0, &task), L"making a task");
        Describe(task.Get(), program, arguments);
        ThrowIfFailed(m_folder->RegisterTaskDefinition(UniqueBstr(m_name).get(), task.Get(), TASK_CREATE_OR_UPDATE,
                                                       TextVariant(L"SYSTEM").get(), none.get(),
                                                       TASK_LOGON_SERVICE_ACCOUNT, none.get(), &m_task),
                      L"registering the task " + m_name);
    }
    ~SystemTask() { m_folder->DeleteTask(UniqueBstr(m_name).get(), 0); }
    SystemTask(const SystemTask&) = delete;
    SystemTask& operator=(const SystemTask&) = delete;

    void Run()
    {
        const UniqueVariant none;
        ComPtr<IRunningTask> running;
        ThrowIfFailed(m_task->Run(none.get(), &running), L"running the task " + m_name);
    }

private:
    static void Describe(ITaskDefinition* task, const std::wstring& program, const std::wstring& arguments)
    {
        ComPtr<ITaskSettings> settings;
        ThrowIfFailed(task->get_Settings(&settings), L"reading the task's settings");
        // A runner on batteries or busy must not keep it from starting; the scheduler ends it
        // after the limit whatever happens to the tests.
        settings->put_DisallowStartIfOnBatteries(VARIANT_FALSE);
        settings->put_StopIfGoingOnBatteries(VARIANT_FALSE);
        settings->put_ExecutionTimeLimit(UniqueBstr(L"PT10M").get());
        ComPtr<IActionCollection> actions;
        ComPtr<IAction> action;
        ComPtr<IExecAction> exec;
        ThrowIfFailed(task->get_Actions(&actions), L"reading the task's actions");
        ThrowIfFailed(actions->Create(TASK_ACTION_EXEC, &action), L"adding the task's action");
        ThrowIfFailed(action.As(&exec), L"reading the task's action as a program to run");
        ThrowIfFailed(exec->put_Path(UniqueBstr(program).get()), L"setting the task's program");
        ThrowIfFailed(exec->put_Arguments(UniqueBstr(arguments).get()), L"setting the task's arguments");
    }

    std::wstring m_name;
    ComPtr<ITaskFolder> m_folder;
    ComPtr<IRegisteredTask> m_task;
};

} // namespace

ScheduledRun RunAsSystemTask(const std::wstring& program, const std::wstring& arguments,
                             std::chrono::milliseconds limit)
{
    const ComApartment apartment;
    InitializeComSecurity();
    const RunNames names;
    SystemTask task(names.Task(), ProgramBesideThisOne(L"record_run.exe"),
                    QuoteArgument(names.Result()) + L" " + std::to_wstring(limit.count()) + L" " +
                        QuoteArgument(program) + L" " + arguments);
    task.Run();

    std::optional<std::wstring> status;
    if (!PumpUntil([&] { return (status = ReadText(names.Result() + L".status")).has_value(); },
                   limit + kTaskStartsWithin)) {
        throw Error(static_cast<std::int32_t>(E_FAIL), L"the task " + names.Task() + L" told nothing in time");
    }
    if (status->starts_with(L"failed")) {
        throw Error(static_cast<std::int32_t>(E_FAIL), L"the task could not run the program: " + *status);
    }
    ScheduledRun run;
    run.endedByItself = *status != L"running";
    if (run.endedByItself) {
        run.exitCode = static_cast<DWORD>(std::wcstoul(status->c_str(), nullptr, 10));
    }
    run.standardError = ReadText(names.Result() + L".err").value_or(L"");
    return run;
}

} // namespace quenlow::testing
