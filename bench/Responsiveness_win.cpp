// How long quenlow.exe's windows take to answer a message during a wait: every visible window of
// the program but a message box (the list window and, once shown, the progress window) is sent an
// empty message about every 20 ms from a thread of the benchmark, and the delay of each answer is
// kept.
//   --case=slow-start  from the press of Start, three services ticked that each take 3 s, until
//                      the message box shows; with where the time of that start goes, read from
//                      the service manager every 5 ms, and after the last service got there, from
//                      the program's windows as seen from outside (PressEnding)
//   --case=load        from the click on the splash window until the stopped services window is
//                      on screen with its list, then from a press of Refresh until the window is
//                      enabled again and 200 ms more (the list's fill), on the system as it is
//                      (scripts/bench.sh runs it with the extra services)
#include "bench/AnswerProbe_win.h"
#include "bench/Figures.h"
#include "bench/ProcessFigures_win.h"
#include "bench/ProcessSteps_win.h"
#include "bench/ServiceTimeline_win.h"
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

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <iterator>
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

// How a press ends, as seen from outside every 5 ms on a thread of its own, in milliseconds on the
// watch given: when the progress window went (the wait for the press was over: the follow had seen
// every service there); then when the list window was enabled again after the reload's wait had
// disabled it (the reload's read was over); then when the box existed, made but not yet shown.
// Nothing is asked of the program's window thread: the windows and their styles are read from the
// system. (A dialog enables its owner before it hides itself, so the list window is disabled after
// the progress window has gone only by the reload's wait.)
class PressEnding {
public:
    PressEnding(const ChildProcess& process, HWND listWindow, const Stopwatch& watch)
        : m_process(process.Id()), m_list(listWindow), m_watch(watch)
    {
        m_thread.emplace([this] { Look(); }, 5ms);
    }

    struct Seen {
        double progressGone = kFailedRound;
        double reloadRead = kFailedRound;
        double boxMade = kFailedRound;
    };

    Seen Stop()
    {
        m_thread.reset();
        return m_seen;
    }

private:
    void Look()
    {
        const double now = m_watch.ElapsedMs();
        // The process's dialogs, shown or not: the progress window (shown while the wait lasts),
        // and the box, which exists hidden while it is made.
        bool progressShown = false;
        bool boxMade = false;
        for (const HWND dialog :
             testing::FindTopLevelWindows({m_process, testing::kDialogClass, std::nullopt, false})) {
            const bool box = testing::IsMessageBox(dialog);
            progressShown = progressShown || (!box && ::IsWindowVisible(dialog));
            boxMade = boxMade || box;
        }
        if (!m_progressSeen) {
            m_progressSeen = progressShown;
        } else if (IsFailed(m_seen.progressGone) && !progressShown) {
            m_seen.progressGone = now;
        }
        if (!IsFailed(m_seen.progressGone) && IsFailed(m_seen.reloadRead)) {
            const bool enabled = ::IsWindowEnabled(m_list) != FALSE;
            m_reloadWaitSeen = m_reloadWaitSeen || !enabled;
            if (m_reloadWaitSeen && enabled) {
                m_seen.reloadRead = now;
            }
        }
        if (IsFailed(m_seen.boxMade) && boxMade) {
            m_seen.boxMade = now;
        }
    }

    DWORD m_process;
    HWND m_list;
    const Stopwatch& m_watch;
    bool m_progressSeen = false;
    bool m_reloadWaitSeen = false;
    Seen m_seen;
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
void PrintDelays(const std::string& what, const Answers& answers, const std::string& label, std::size_t rounds,
                 std::size_t failed)
{
    if (answers.empty()) {
        PrintValue(Labelled("longest answer, " + what, label), kFailedRound, "ms", 100, rounds, failed);
        Note("responsiveness, " + what + ": no window answered");
        return;
    }
    std::vector<double> delays;
    for (const auto& answer : answers) {
        delays.push_back(answer.delay);
    }
    const auto longest = std::max_element(answers.begin(), answers.end(),
                                          [](const auto& a, const auto& b) { return a.delay < b.delay; });
    PrintValue(Labelled("longest answer, " + what, label), longest->delay, "ms", 100, rounds, failed);
    PrintValue(Labelled("  median answer of " + std::to_string(delays.size()) + ", " + what, label),
               SpreadOf(delays).median, "ms", 0);
    PrintValue(Labelled("  the longest was asked for this long after the start", label), longest->sentAt, "ms", 0);
    PrintValue(Labelled("  the longest was asked for this long before the end", label), longest->beforeEnd, "ms", 0);
    Note("responsiveness, " + what + ": the longest answer came from a window of the class " +
         Utf8(longest->windowClass));
}

// One round of the ticked start of the slow services, the windows' answers probed and the press
// watched from the service manager and from outside the program meanwhile.
struct SlowStartRound {
    std::vector<AnswerProbe::Answer> answers;
    double box = 0;
    ServiceTimeline::Seen services;
    PressEnding::Seen ending;
};

SlowStartRound TimeSlowStartRound(const BenchServices& slow)
{
    TickedWindow ticked = OpenAndTick(slow.DisplayNames());
    const Stopwatch watch;
    AnswerProbe probe(WindowsOf(ticked.quenlow.Process()));
    ServiceTimeline timeline(slow.Names(), watch);
    PressEnding ending(ticked.quenlow.Process(), ticked.window, watch);
    PressStart(ticked);
    const HWND box = RequireWindow(WaitForMessageBox(ticked.quenlow.Process(), testing::kApplicationTitle),
                                   "quenlow.exe's message box");
    SlowStartRound round;
    round.box = watch.ElapsedMs();
    round.answers = probe.Stop();
    round.services = timeline.Stop();
    round.ending = ending.Stop();
    FinishTickedStart(ticked, box);
    slow.StopAll();
    for (std::size_t i = 0; i < round.services.running.size(); ++i) {
        if (!round.services.starting[i] || !round.services.running[i]) {
            throw std::runtime_error("a slow service was not seen starting and running");
        }
    }
    return round;
}

// Where the time of the counted rounds went: from the medians of the rounds up to the last
// service running; after it, the median of each step's own time.
void PrintSlowStartSplit(const std::vector<SlowStartRound>& rounds, const std::string& label)
{
    const std::size_t count = rounds.empty() ? 0 : rounds.front().services.starting.size();
    std::vector<std::vector<double>> starting(count);
    std::vector<double> lastRunning;
    std::vector<double> totals;
    std::vector<std::vector<double>> after(5);
    for (const auto& round : rounds) {
        for (std::size_t i = 0; i < count; ++i) {
            starting[i].push_back(*round.services.starting[i]);
        }
        const double running = round.services.AllRunning();
        const PressEnding::Seen& ending = round.ending;
        lastRunning.push_back(running);
        totals.push_back(round.box);
        const double marks[] = {running, ending.progressGone, ending.reloadRead, ending.boxMade, round.box};
        for (std::size_t step = 0; step + 1 < std::size(marks); ++step) {
            after[step].push_back(marks[step + 1] - marks[step]);
        }
        after[4].push_back(round.box - running);
    }
    if (count == 0) {
        return; // no round was measured
    }
    const std::string split = "  split: ";
    std::vector<double> medians;
    for (const auto& step : starting) {
        medians.push_back(SpreadOf(step).median);
    }
    PrintValue(Labelled(split + "press of Start to the 1st service starting", label), medians[0], "ms", 0);
    for (std::size_t i = 1; i < count; ++i) {
        PrintValue(Labelled(split + "service " + std::to_string(i) + " starting to service " + std::to_string(i + 1) +
                                " starting",
                            label),
                   medians[i] - medians[i - 1], "ms", 0);
    }
    PrintValue(Labelled(split + "last service starting to the last running", label),
               SpreadOf(lastRunning).median - medians[count - 1], "ms", 0);
    PrintMedian(Labelled(split + "last service running to the box", label), after[4], "ms", 0);
    // Of which, step by step (medians of each step's own times):
    PrintMedian(Labelled(split + "  until the progress window went (the follow saw them)", label), after[0], "ms", 0);
    PrintMedian(Labelled(split + "  then the reload's read (until the window was enabled)", label), after[1], "ms", 0);
    PrintMedian(Labelled(split + "  then until the box existed, hidden (fill, box begun)", label), after[2], "ms", 0);
    PrintMedian(Labelled(split + "  then until the box showed (the rest of its making)", label), after[3], "ms", 0);
}

int WhileSlowStart(const Options& options)
{
    const int rounds = options.Rounds();
    const std::string& label = options.Label();
    const BenchServices slow = SlowServices(options.Path(L"service-program"));
    const std::string what = "ticked start of three slow services";
    Note("windows' answers during the ticked start of three slow services ...");
    std::vector<SlowStartRound> counted;
    Answers delays;
    std::vector<double> totals;
    for (int round = 0; round <= rounds; ++round) {
        SlowStartRound measured;
        if (!Attempt(Labelled("responsiveness, " + what, label), "quenlow.exe", round, 1,
                     [&] { measured = TimeSlowStartRound(slow); })) {
            if (round > 0) {
                totals.push_back(kFailedRound);
            }
            if (!Attempt(what, "bringing the services back to stopped", round, 1, [&] { slow.StopAll(); })) {
                break;
            }
            continue;
        }
        if (round > 0) {
            Keep(delays, measured.answers, measured.box);
            totals.push_back(measured.box);
            counted.push_back(std::move(measured));
        }
    }
    totals.resize(static_cast<std::size_t>(rounds), kFailedRound);
    PrintDelays(what, delays, label, totals.size(), totals.size() - counted.size());
    PrintMedian(Labelled("  press of Start until the box meanwhile (median)", label), totals, "ms", 0);
    PrintSlowStartSplit(counted, label);
    return 0;
}

// Polls every millisecond until the window is enabled (or disabled); false after the timeout.
bool WaitForEnabled(HWND window, bool enabled, std::chrono::milliseconds timeout)
{
    return testing::PumpUntil([&] { return (::IsWindowEnabled(window) != FALSE) == enabled; }, timeout, 1ms);
}

// One round of a list loading: the answers while the stopped services window opens and while it
// refreshes, with when each wait ended.
struct LoadRound {
    std::vector<AnswerProbe::Answer> opening;
    double opened = 0;
    std::vector<AnswerProbe::Answer> refreshing;
    double refreshed = 0;
    std::size_t entries = 0;
};

LoadRound TimeLoadRound()
{
    LoadRound round;
    const testing::WindowedRun quenlow;
    const ChildProcess& process = quenlow.Process();
    ::Sleep(kQuietBeforeStepMs);
    std::optional<AnswerProbe> probe(std::in_place, WindowsOf(process));
    const Stopwatch opening;
    PostSplashFrameClick(quenlow.Splash());
    const HWND window = RequireWindow(WaitForWindow(process, kListWindowClassName, L"Stopped Services"),
                                      "the stopped services window");
    WaitUntilPainted(window);
    round.opened = opening.ElapsedMs();
    round.opening = probe->Stop();
    round.entries = ListEntries(window);

    const HWND refresh = testing::ListWindowDriver(window, testing::ListWindowKind::StoppedServices).Button(L"Refresh");
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
    round.refreshed = refreshing.ElapsedMs();
    ::Sleep(200);
    round.refreshing = probe->Stop();
    probe.reset();
    CloseQuenlow(process);
    return round;
}

int WhileLoading(const Options& options)
{
    const int rounds = options.Rounds();
    const std::string& label = options.Label();
    Note("windows' answers while a list loads ...");
    Answers whileOpening;
    Answers whileRefreshing;
    std::size_t entries = 0;
    std::size_t failed = 0;
    for (int round = 0; round <= rounds; ++round) {
        LoadRound measured;
        if (!Attempt(Labelled("responsiveness while a list loads", label), "quenlow.exe", round, 1,
                     [&] { measured = TimeLoadRound(); })) {
            failed += round > 0 ? 1 : 0;
        } else if (round > 0) {
            entries = measured.entries;
            Keep(whileOpening, measured.opening, measured.opened);
            Keep(whileRefreshing, measured.refreshing, measured.refreshed);
        }
    }
    const std::string list = std::to_string(entries) + " entries";
    const auto counted = static_cast<std::size_t>(rounds);
    PrintDelays("stopped window opening, " + list, whileOpening, label, counted, failed);
    PrintDelays("stopped window's Refresh, " + list, whileRefreshing, label, counted, failed);
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
