#include "bench/TickedStart_win.h"

#include "bench/BareWmiCommand.h"
#include "bench/ProcessSteps_win.h"
#include "bench/ReadyWindow.h"
#include "bench/ServiceTimeline_win.h"
#include "bench/Stopwatch_win.h"

#include "common/Text.h"
#include "support/ListWindowDriver.h"
#include "support/MessageBoxes.h"
#include "support/ServiceManager.h"
#include "support/TopLevelWindows.h"
#include "ui/WindowClassNames.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

namespace quenlow::bench {

using namespace std::chrono_literals;

BenchServices::BenchServices(const std::wstring& namePrefix, const std::wstring& displayPrefix, int count,
                             testing::ServiceBehaviour behaviour, const std::wstring& program)
    : m_behaviour(behaviour)
{
    for (int i = 1; i <= count; ++i) {
        const std::wstring number = (count >= 10 && i < 10 ? L"0" : L"") + std::to_wstring(i);
        m_names.push_back(namePrefix + number);
        m_displayNames.push_back(displayPrefix + number);
    }
    for (const auto& service : Services()) {
        testing::RemoveTestService(service);
        testing::RegisterTestService(service, program);
    }
}

BenchServices::~BenchServices()
{
    for (const auto& service : Services()) {
        try {
            testing::RemoveTestService(service);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "bench: %s\n", error.what());
        }
    }
}

std::vector<testing::TestService> BenchServices::Services() const
{
    std::vector<testing::TestService> services;
    for (std::size_t i = 0; i < m_names.size(); ++i) {
        services.push_back({m_names[i], m_displayNames[i], SERVICE_DEMAND_START, m_behaviour});
    }
    return services;
}

void BenchServices::StopAll() const
{
    for (const auto& service : Services()) {
        testing::StopTestService(service);
    }
    if (!testing::WaitForTestServiceProcessesToEnd(testing::kServiceStateComesWithin)) {
        throw std::runtime_error("a benchmark service's process did not end");
    }
}

BenchServices SlowServices(const std::wstring& program)
{
    return BenchServices(L"QuenlowBenchSlow", L"Quenlow Bench Slow ", 3, testing::ServiceBehaviour::SlowStart, program);
}

TickedWindow OpenAndTick(const std::vector<std::wstring>& displayNames)
{
    TickedWindow ticked;
    ticked.quenlow.ClickSplashFrame();
    testing::ListWindowDriver stopped = ticked.quenlow.ContinueToStoppedServices();
    ticked.window = stopped.Window();
    for (const auto& name : displayNames) {
        stopped.ClickCheckBox(name);
    }
    ::Sleep(300); // Wine's WMI settles after the list's query
    return ticked;
}

void PressStart(const TickedWindow& ticked)
{
    testing::ListWindowDriver(ticked.window, testing::ListWindowKind::StoppedServices).PostButtonClick(L"Start");
}

void FinishTickedStart(TickedWindow& ticked, HWND box)
{
    const std::wstring text = testing::ReadMessageBoxText(box);
    testing::PressOk(box);
    if (text != L"Selected Services are Started.") {
        throw std::runtime_error("the ticked services were not all started: " + Utf8(text));
    }
    CloseAndWait(ticked.quenlow.Process(), ticked.window, "quenlow.exe");
}

namespace {

// Waits for the process's message box with the caption, the services watched meanwhile when asked:
// the box, and the times from the watch's start.
std::pair<HWND, PressTimes> WaitForPressBox(const testing::ChildProcess& process, const wchar_t* caption,
                                            const Stopwatch& watch, std::optional<ServiceTimeline>& timeline,
                                            const char* what)
{
    const HWND box = RequireWindow(WaitForMessageBox(process, caption), std::string(what) + "'s message box");
    PressTimes times;
    times.box = watch.ElapsedMs();
    if (timeline) {
        times.allRunning = timeline->Stop().AllRunning();
    }
    return {box, times};
}

} // namespace

PressTimes TimeTickedStart(const BenchServices& services, bool watchStates)
{
    TickedWindow ticked = OpenAndTick(services.DisplayNames());
    const Stopwatch watch;
    std::optional<ServiceTimeline> timeline;
    if (watchStates) {
        timeline.emplace(services.Names(), watch);
    }
    PressStart(ticked);
    const auto [box, times] =
        WaitForPressBox(ticked.quenlow.Process(), testing::kApplicationTitle, watch, timeline, "quenlow.exe");
    FinishTickedStart(ticked, box);
    return times;
}

PressTimes TimeBarePress(const std::wstring& commandLine, const BenchServices& services, bool watchStates)
{
    const testing::StartedProgram bare =
        testing::StartAndWaitForWindow(commandLine + L" --wait-for-click", kReadyWindowClass);
    ::Sleep(300); // as long as quenlow.exe is left alone after the ticks
    const Stopwatch watch;
    std::optional<ServiceTimeline> timeline;
    if (watchStates) {
        timeline.emplace(services.Names(), watch);
    }
    PostClick(bare.window, POINT{10, 10});
    const auto [box, times] =
        WaitForPressBox(bare.process, kBareWmiCommandTitle, watch, timeline, "the bare command program");
    testing::PressOk(box);
    const auto code = bare.process.WaitForExit(testing::kProcessEndsWithin);
    if (code != 0u) {
        throw std::runtime_error("the bare command program did not get every service there (status " +
                                 (code ? std::to_string(*code) : std::string("none: still running")) + ")");
    }
    return times;
}

} // namespace quenlow::bench
