#include "bench/TickedStart_win.h"

#include "bench/ProcessSteps_win.h"
#include "bench/Stopwatch_win.h"

#include "common/Text.h"
#include "support/ListWindowDriver.h"
#include "support/MessageBoxes.h"
#include "support/ServiceManager.h"
#include "support/TopLevelWindows.h"
#include "ui/WindowClassNames.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>

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

TickedStartTimes TimeTickedStart(const BenchServices& services, bool watchStates)
{
    TickedWindow ticked = OpenAndTick(services.DisplayNames());
    const Stopwatch watch;
    PressStart(ticked);
    TickedStartTimes times;
    const testing::WindowQuery box{0, testing::kDialogClass, std::nullopt, true, [](HWND window) {
                                       return testing::IsMessageBox(window) &&
                                              testing::WindowText(window) == testing::kApplicationTitle;
                                   }};
    HWND shown = nullptr;
    while (!shown) {
        if (watchStates && times.allRunning == 0 && std::all_of(services.Names().begin(), services.Names().end(), [](const auto& name) {
                return testing::QueryServiceState(name) == SERVICE_RUNNING;
            })) {
            times.allRunning = watch.ElapsedMs();
        }
        shown = testing::WaitForTopLevelWindow(ticked.quenlow.Process(), box, 2ms, 1ms);
        if (watch.ElapsedMs() > static_cast<double>(kWindowTimeout.count())) {
            throw std::runtime_error("quenlow.exe's message box did not appear");
        }
    }
    times.box = watch.ElapsedMs();
    FinishTickedStart(ticked, shown);
    return times;
}

} // namespace quenlow::bench
