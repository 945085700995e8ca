// How long quenlow.exe's windows take to answer a message during a wait: every visible window of
// the program but a message box (the list window and, once shown, the progress window) is sent an
// empty message about every 20 ms from a thread of the benchmark, and the delay of each answer is
// kept.
//   --case=slow-start  from the press of Start, three services ticked that each take 3 s, until
//                      the message box shows; with where the time of that start goes, read from
//                      the service manager every 5 ms
//   --case=load        from the click on the splash window until the stopped services window is
//                      on screen with its list, then from a press of Refresh until the window is
//                      enabled again and 200 ms more (the list's fill), on the system as it is
//                      (scripts/bench.sh runs it with the extra services)
#include "bench/AnswerProbe_win.h"
#include "bench/Figures.h"
#include "bench/ProcessFigures_win.h"
#include "bench/ProcessSteps_win.h"
#include "bench/Stopwatch_win.h"
#include "bench/TickedStart_win.h"

#include "common/Text.h"
#include "support/ListWindowDriver.h"
#include "support/MessageBoxes.h"
#include "support/MessagePump.h"
#include "support/ServiceManager.h"
#include "support/TopLevelWindows.h"
#include "support/WindowedRun.h"
#include "ui/WindowClassNames.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <stdexcept>
#include <vector>

namespace quenlow::bench {

namespace {

using namespace std::chrono_literals;
using testing::ChildProcess;

// What the user has on screen from the process, but its message boxes: the box ends the wait.
AnswerProbe::Targets WindowsOf(const ChildProcess& process)
{
    const DWORD id = process.Id();
    return [id] {
        return testing::FindTopLevelWindows({id, std::nullopt, std::nullopt, true, [](HWND window) {
                                                 return testing::WindowClassName(window) != testing::kDialogClass ||
                                                        !testing::IsMessageBox(window);
                                             }});
    };
}

// When each service was first seen starting (its start reached the service manager) and running,
// in milliseconds on the watch given; read from the service manager every 5 ms.
class ServiceTimeline {
public:
    ServiceTimeline(const std::vector<std::wstring>& names, const Stopwatch& watch)
        : m_watch(watch), m_manager(testing::OpenServiceManager(SC_MANAGER_CONNECT))
    {
        for (const auto& name : names) {
            m_services.push_back(testing::OpenServiceByName(m_manager.get(), name, SERVICE_QUERY_STATUS));
            if (!m_services.back()) {
                throw std::runtime_error("a benchmark service cannot be opened: " + Utf8(name));
            }
        }
        m_starting.resize(names.size());
        m_running.resize(names.size());
        m_thread.emplace([this] { Look(); }, 5ms);
    }

    struct Seen {
        std::vector<std::optional<double>> starting;
        std::vector<std::optional<double>> running;
    };

    Seen Stop()
    {
        m_thread.reset();
        return {m_starting, m_running};
    }

private:
    void Look()
    {
        for (std::size_t i = 0; i < m_services.size(); ++i) {
            SERVICE_STATUS status{};
            if (!::QueryServiceStatus(m_services[i].get(), &status)) {
                continue;
            }
            const double now = m_watch.ElapsedMs();
            if (status.dwCurrentState != SERVICE_STOPPED && !m_starting[i]) {
                m_starting[i] = now;
            }
            if (status.dwCurrentState == SERVICE_RUNNING && !m_running[i]) {
                m_running[i] = now;
            }
        }
    }

    const Stopwatch& m_watch;
    testing::UniqueServiceHandle m_manager;
    std::vector<testing::UniqueServiceHandle> m_services;
    std::vector<std::optional<double>> m_starting;
    std::vector<std::optional<double>> m_running;
    std::optional<PeriodicThread> m_thread;
};

// An answer of a counted round: when it was asked for, from the press or click, how long it
// took, and how long before the end of the wait it was asked for (negative: after it).
struct RoundAnswer {
    double sentAt = 0;
    double delay = 0;
    double beforeEnd = 0;
    std::wstring windowClass;
};
using Answers = std::vector<RoundAnswer>;

void Keep(Answers& kept, const std::vector<AnswerProbe::Answer>& answers, double end)
{
    for (const auto& answer : answers) {
        kept.push_back({answer.sentAt, answer.delay, end - answer.sentAt, answer.windowClass});
    }
}

// The longest and the median delay of all the answers, against the target and for information,
// and when the longest came.
void PrintDelays(const std::string& what, const Answers& answers, const std::string& label)
{
    if (answers.empty()) {
        throw std::runtime_error("no window answered while " + what);
    }
    std::vector<double> delays;
    for (const auto& answer : answers) {
        delays.push_back(answer.delay);
    }
    const auto longest = std::max_element(answers.begin(), answers.end(),
                                          [](const auto& a, const auto& b) { return a.delay < b.delay; });
    PrintValue(Labelled("longest answer, " + what, label), longest->delay, "ms", 100);
    PrintValue(Labelled("  median answer of " + std::to_string(delays.size()) + ", " + what, label),
               SpreadOf(delays).median, "ms", 0);
    PrintValue(Labelled("  the longest was asked for this long after the start", label), longest->sentAt, "ms", 0);
    PrintValue(Labelled("  the longest was asked for this long before the end", label), longest->beforeEnd, "ms", 0);
    Note("responsiveness, " + what + ": the longest answer came from a window of the class " +
         Utf8(longest->windowClass));
}

int WhileSlowStart(const Options& options)
{
    const int rounds = options.Rounds();
    const std::string& label = options.Label();
    const BenchServices slow = SlowServices(options.Path(L"service-program"));
    const std::size_t count = slow.Names().size();
    Note("windows' answers during the ticked start of three slow services ...");
    Answers delays;
    std::vector<double> totals;
    // Per round: when each service was seen starting, then when the last was seen running.
    std::vector<std::vector<double>> steps(count + 1);
    for (int round = 0; round <= rounds; ++round) {
        TickedWindow ticked = OpenAndTick(slow.DisplayNames());
        const Stopwatch watch;
        AnswerProbe probe(WindowsOf(ticked.quenlow.Process()));
        ServiceTimeline timeline(slow.Names(), watch);
        PressStart(ticked);
        const HWND box = WaitForMessageBox(ticked.quenlow.Process(), testing::kApplicationTitle);
        const double elapsed = watch.ElapsedMs();
        const std::vector<AnswerProbe::Answer> answers = probe.Stop();
        const ServiceTimeline::Seen seen = timeline.Stop();
        FinishTickedStart(ticked, RequireWindow(box, "quenlow.exe's message box"));
        slow.StopAll();
        if (round == 0) {
            continue;
        }
        Keep(delays, answers, elapsed);
        totals.push_back(elapsed);
        double lastRunning = 0;
        for (std::size_t i = 0; i < count; ++i) {
            if (!seen.starting[i] || !seen.running[i]) {
                throw std::runtime_error("a slow service was not seen starting and running");
            }
            steps[i].push_back(*seen.starting[i]);
            lastRunning = std::max(lastRunning, *seen.running[i]);
        }
        steps[count].push_back(lastRunning);
    }
    const std::string what = "ticked start of three slow services";
    PrintDelays(what, delays, label);
    PrintValue(Labelled("  press of Start until the box meanwhile (median)", label), SpreadOf(totals).median, "ms",
               0);
    // Where the time goes, from the medians of the rounds.
    std::vector<double> medians;
    for (const auto& step : steps) {
        medians.push_back(SpreadOf(step).median);
    }
    const std::string split = "  split: ";
    PrintValue(Labelled(split + "press of Start to the 1st service starting", label), medians[0], "ms", 0);
    for (std::size_t i = 1; i < count; ++i) {
        PrintValue(Labelled(split + "service " + std::to_string(i) + " starting to service " + std::to_string(i + 1) +
                                " starting",
                            label),
                   medians[i] - medians[i - 1], "ms", 0);
    }
    PrintValue(Labelled(split + "last service starting to the last running", label),
               medians[count] - medians[count - 1], "ms", 0);
    PrintValue(Labelled(split + "last service running to the box", label), SpreadOf(totals).median - medians[count],
               "ms", 0);
    return 0;
}

// Polls every millisecond until the window is enabled (or disabled); false after the timeout.
bool WaitForEnabled(HWND window, bool enabled, std::chrono::milliseconds timeout)
{
    return testing::PumpUntil([&] { return (::IsWindowEnabled(window) != FALSE) == enabled; }, timeout, 1ms);
}

int WhileLoading(const Options& options)
{
    const int rounds = options.Rounds();
    const std::string& label = options.Label();
    Note("windows' answers while a list loads ...");
    Answers whileOpening;
    Answers whileRefreshing;
    std::size_t entries = 0;
    for (int round = 0; round <= rounds; ++round) {
        const testing::WindowedRun quenlow;
        const ChildProcess& process = quenlow.Process();
        ::Sleep(kQuietBeforeStepMs);
        std::optional<AnswerProbe> probe(std::in_place, WindowsOf(process));
        const Stopwatch opening;
        PostSplashFrameClick(quenlow.Splash());
        const HWND window = RequireWindow(WaitForWindow(process, kListWindowClassName, L"Stopped Services"),
                                          "the stopped services window");
        WaitUntilPainted(window);
        const double opened = opening.ElapsedMs();
        const auto openingAnswers = probe->Stop();
        entries = ListEntries(window);

        const HWND refresh =
            testing::ListWindowDriver(window, testing::ListWindowKind::StoppedServices).Button(L"Refresh");
        ::Sleep(kQuietBeforeStepMs);
        probe.emplace(WindowsOf(process));
        const Stopwatch refreshing;
        ::PostMessageW(refresh, BM_CLICK, 0, 0);
        if (!WaitForEnabled(window, false, 5s)) {
            Note("note: the stopped services window was never seen disabled during Refresh");
        }
        if (!WaitForEnabled(window, true, kWindowTimeout)) {
            throw std::runtime_error("the stopped services window stayed disabled after Refresh");
        }
        const double refreshed = refreshing.ElapsedMs();
        ::Sleep(200);
        const auto refreshAnswers = probe->Stop();
        probe.reset();
        CloseQuenlow(process);
        if (round > 0) {
            Keep(whileOpening, openingAnswers, opened);
            Keep(whileRefreshing, refreshAnswers, refreshed);
        }
    }
    const std::string list = std::to_string(entries) + " entries";
    PrintDelays("stopped window opening, " + list, whileOpening, label);
    PrintDelays("stopped window's Refresh, " + list, whileRefreshing, label);
    return 0;
}

} // namespace

int RunResponsiveness(const Options& options)
{
    const std::wstring& which = options.Text(L"case");
    if (which == L"slow-start") {
        return WhileSlowStart(options);
    }
    if (which == L"load") {
        return WhileLoading(options);
    }
    throw std::invalid_argument("--case=slow-start or --case=load is required");
}

} // namespace quenlow::bench
