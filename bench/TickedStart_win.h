#pragma once

#include "bench/Figures.h"

#include "support/TestServices.h"
#include "support/WindowedRun.h"

#include <windows.h>

#include <string>
#include <vector>

// A ticked start in quenlow.exe's stopped services window, on services of the benchmark's own.
namespace quenlow::bench {

// Services of the test service program, registered for one part of the benchmarks and removed
// with the object. Their names begin as the extra services' do, so that uninstall-extra also
// removes any that a broken run left behind.
class BenchServices {
public:
    // `count` services named namePrefix1.. (namePrefix01.. from 10 on), shown as displayPrefix1..
    BenchServices(const std::wstring& namePrefix, const std::wstring& displayPrefix, int count,
                  testing::ServiceBehaviour behaviour, const std::wstring& program);
    ~BenchServices();
    BenchServices(const BenchServices&) = delete;
    BenchServices& operator=(const BenchServices&) = delete;

    const std::vector<std::wstring>& Names() const noexcept { return m_names; }
    const std::vector<std::wstring>& DisplayNames() const noexcept { return m_displayNames; }

    // Brings every one of them back to stopped and waits until their processes are gone.
    void StopAll() const;

private:
    std::vector<testing::TestService> Services() const;

    std::vector<std::wstring> m_names;
    std::vector<std::wstring> m_displayNames;
    testing::ServiceBehaviour m_behaviour;
};

// Three services that stay "Start Pending" for 3 s each (testing::kSlowStartTime):
// QuenlowBenchSlow1-3.
BenchServices SlowServices(const std::wstring& program);

// quenlow.exe (--quenlow=PATH) at its stopped services window, the entries ticked with real
// clicks on their boxes.
struct TickedWindow {
    testing::WindowedRun quenlow;
    HWND window = nullptr;
};
TickedWindow OpenAndTick(const std::vector<std::wstring>& displayNames);

// Presses Start as an accessibility tool does (posted BM_CLICK).
void PressStart(const TickedWindow& ticked);

// Reads the box's text, answers it and ends quenlow.exe; throws when the text is not the one of
// a start in which every service got there.
void FinishTickedStart(TickedWindow& ticked, HWND box);

// What one press took, in milliseconds from the press of Start (or the click on the bare
// program's window): until the message box showed, and until the last of the services was seen
// running in the service manager (kFailedRound when that was not watched or not seen).
struct PressTimes {
    double box = 0;
    double allRunning = kFailedRound;
};

// One ticked start as a whole: quenlow.exe opened at its stopped services window with the
// services' entries ticked, then the times of the press of Start (the services' states read
// meanwhile only when asked: see ServiceTimeline); the box is answered and quenlow.exe ended.
// Throws when the box does not come or says that not every service was started.
PressTimes TimeTickedStart(const BenchServices& services, bool watchStates);

// The same job done by the bare WMI command program (`commandLine` holds its start and the
// services' names; --wait-for-click is added): started and got ready, left alone as quenlow.exe
// is after the ticks, then timed from a click on its window until its box shows; the box is
// answered. Throws when the box does not come or the program did not start every service.
PressTimes TimeBarePress(const std::wstring& commandLine, const BenchServices& services, bool watchStates);

} // namespace quenlow::bench
