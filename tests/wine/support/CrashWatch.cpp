#include "support/CrashWatch.h"

#include "support/ChildProcess.h"
#include "support/MessagePump.h"
#include "support/RunningProcesses.h"
#include "support/TimeLimits.h"
#include "support/TopLevelWindows.h"

#include <algorithm>
#include <array>

namespace quenlow::testing {

namespace {

using namespace std::chrono_literals;

constexpr auto kLookInterval = 20ms;
// A debugger attaches while the crashed process is being torn down: after the end, the watch
// goes on until it has shown that none comes.
constexpr auto kAfterExit = kNothingHappensFor;

// Programs that only ever run because another program crashed.
constexpr std::array<std::wstring_view, 5> kDebuggers = {L"winedbg.exe", L"werfault.exe", L"dwwin.exe",
                                                         L"drwtsn32.exe", L"vsjitdebugger.exe"};

bool IsDebugger(std::wstring_view exe)
{
    return std::any_of(kDebuggers.begin(), kDebuggers.end(), [&](std::wstring_view debugger) {
        return ::CompareStringOrdinal(exe.data(), static_cast<int>(exe.size()), debugger.data(),
                                      static_cast<int>(debugger.size()), TRUE) == CSTR_EQUAL;
    });
}

std::vector<HWND> VisibleTopLevelWindows()
{
    return FindTopLevelWindows({std::nullopt, std::nullopt, std::nullopt, true});
}

} // namespace

CrashWatch::CrashWatch(DWORD programId) : m_programId(programId)
{
    for (const auto& [id, exe] : RunningProcesses()) {
        m_knownProcesses.insert(id);
    }
    for (const HWND window : VisibleTopLevelWindows()) {
        m_knownWindows.insert(window);
    }
}

void CrashWatch::Note(std::wstring finding)
{
    if (std::find(m_findings.begin(), m_findings.end(), finding) == m_findings.end()) {
        m_findings.push_back(std::move(finding));
    }
}

void CrashWatch::Look()
{
    const auto processes = RunningProcesses();
    for (const auto& [id, exe] : processes) {
        if (!m_knownProcesses.contains(id) && IsDebugger(exe)) {
            Note(L"a debugger ran: " + exe + L" (PID " + std::to_wstring(id) + L")");
        }
    }
    const DWORD self = ::GetCurrentProcessId();
    for (const HWND window : VisibleTopLevelWindows()) {
        if (m_knownWindows.contains(window)) {
            continue;
        }
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == m_programId || owner == self) {
            continue;
        }
        const auto process = processes.find(owner);
        Note(L"a window of another program appeared: class \"" + WindowClassName(window) + L"\", caption \"" +
             WindowText(window) + L"\", program " + (process == processes.end() ? L"?" : process->second));
    }
}

std::optional<MessageBoxView> CrashWatch::WaitForMessageBox(const ChildProcess& process,
                                                            std::chrono::milliseconds timeout,
                                                            const std::wstring& caption)
{
    std::optional<MessageBoxView> box;
    PumpUntil(
        [&] {
            Look();
            const auto boxes =
                FindTopLevelWindows({process.Id(), std::wstring(kDialogClass), caption, true, IsMessageBox});
            if (!boxes.empty()) {
                box = MessageBoxView{boxes.front(), WindowText(boxes.front()), ReadMessageBoxText(boxes.front())};
            }
            return box || process.HasExited();
        },
        timeout, kLookInterval);
    Look();
    return box;
}

std::optional<DWORD> CrashWatch::WaitForExit(const ChildProcess& process, std::chrono::milliseconds timeout)
{
    std::optional<DWORD> code;
    PumpUntil(
        [&] {
            Look();
            return (code = process.WaitForExit(std::chrono::milliseconds(0))).has_value();
        },
        timeout, kLookInterval);
    if (code) {
        PumpUntil(
            [&] {
                Look();
                return false;
            },
            kAfterExit, kLookInterval);
    }
    return code;
}

} // namespace quenlow::testing
