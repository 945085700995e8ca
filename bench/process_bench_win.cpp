// Whole-process benchmarks under Wine, run by scripts/bench.sh:
//   startup       process start until the splash window is visible, against a minimal Win32
//                 program until its one window is visible, with when each process's first
//                 window and its own window existed;
//   command-line  "quenlow.exe /start NAME" and "/stop NAME", the message box answered at
//                 once, against "net start NAME" and "net stop NAME", and against a bare program
//                 that does the same through WMI, confirming with one more query;
//   footprint     the size of quenlow.exe and the peak working sets of the running programs,
//                 quenlow.exe's at its stopped services window set against a bare program that
//                 reads the same services through WMI and shows one window;
//   footprint-entries  quenlow.exe's peak working set with a stopped services window of
//                 --entries entries (default 3,000), registering extra services as needed;
//   program-end   how soon the process ends after its last window has left the screen: the
//                 splash window answered with a key, the stopped services window's Close,
//                 against the minimal Win32 program closed;
//   slow-start    three services that each take 3 s to start, ticked in the stopped services
//                 window and started with one press of Start, until the message box shows,
//                 against the 3 s that one of them takes;
//   list-window   each list window on screen with its list, from the user's click, against a
//                 bare program that runs the same query and then shows a plain list;
//   many-start    a ticked start of --count services (default 20) that start at once, against
//                 a bare WMI program that makes the same calls in turn, one confirming query each;
//   responsiveness  how long the program's windows take to answer during a wait:
//                 --case=slow-start (three slow services) or --case=load (a list loads);
//   install-extra / uninstall-extra  the services that make the system larger.
// Options: --quenlow=PATH, --window=PATH (the minimal program), --wmi-command=PATH (the bare
// WMI command program), --wmi-window=PATH (the bare WMI window program), --wmi-list=PATH (the
// bare WMI list program), --service=NAME, --service-program=PATH, --count=N, --case=NAME,
// --runs=N (default 7), --label=TEXT.
#include "bench/BareWmiCommand.h"
#include "bench/ExtraServices_win.h"
#include "bench/Figures.h"
#include "bench/MinimalWindow.h"
#include "bench/ProcessFigures_win.h"
#include "bench/ProcessMemory_win.h"
#include "bench/ProcessSteps_win.h"
#include "bench/Stopwatch_win.h"
#include "bench/TickedStart_win.h"

#include "common/Text.h"
#include "support/ChildProcess.h"
#include "support/ListWindowDriver.h"
#include "support/MessageBoxes.h"
#include "support/Polling.h"
#include "support/ServiceManager.h"
#include "support/TestServices.h"
#include "support/TopLevelWindows.h"
#include "support/UserInput.h"
#include "ui/WindowClassNames.h"

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace quenlow::bench {

namespace {

using namespace std::chrono_literals;
using testing::ChildProcess;
using testing::QuoteArgument;

// Milliseconds from the call of CreateProcess until it returned, until the process's first
// top-level window existed (of any class, hidden or not: the program has reached its own code),
// until its window of the class existed, and until that window was visible.
struct StartupTimes {
    double started = 0;
    double firstWindow = 0;
    double created = 0;
    double visible = 0;
};

// Looked for every millisecond, as the window alone was before; the process is then closed (not
// timed). The classes of the first windows seen go to `firstClasses`.
StartupTimes TimeStartup(const std::wstring& commandLine, const wchar_t* className, const char* what,
                         std::wstring& firstClasses)
{
    StartupTimes times;
    const Stopwatch watch;
    ChildProcess process = ChildProcess::Start(commandLine);
    times.started = watch.ElapsedMs();
    const testing::WindowQuery every{process.Id(), std::nullopt, std::nullopt, false};
    HWND window = nullptr;
    testing::PollUntil(
        [&] {
            const auto windows = testing::FindTopLevelWindows(every);
            const double now = watch.ElapsedMs();
            if (!windows.empty() && times.firstWindow == 0) {
                times.firstWindow = now;
                firstClasses.clear();
                for (const HWND first : windows) {
                    firstClasses += (firstClasses.empty() ? L"" : L", ") + testing::WindowClassName(first);
                }
            }
            for (const HWND candidate : windows) {
                if (testing::WindowClassName(candidate) != className) {
                    continue;
                }
                if (times.created == 0) {
                    times.created = now;
                }
                if (::IsWindowVisible(candidate)) {
                    times.visible = now;
                    window = candidate;
                }
            }
            return window != nullptr || process.HasExited();
        },
        kWindowTimeout, 1ms);
    if (!window) {
        throw std::runtime_error(std::string(what) + " showed no window");
    }
    CloseAndWait(process, window, what);
    return times;
}

double MedianOf(const std::vector<StartupTimes>& rounds, double StartupTimes::*part)
{
    std::vector<double> values;
    for (const auto& round : rounds) {
        values.push_back(round.*part);
    }
    return SpreadOf(values).median;
}

int RunStartup(int argc, wchar_t** argv, int rounds, const std::string& label)
{
    const std::wstring quenlow = QuoteArgument(RequiredPath(argc, argv, L"quenlow"));
    const std::wstring minimal = QuoteArgument(RequiredPath(argc, argv, L"window"));
    Note("start-up ...");
    std::vector<StartupTimes> ours;
    std::vector<StartupTimes> theirs;
    std::wstring ourFirst;
    std::wstring theirFirst;
    const auto samples = RunInterleaved(
        {
            [&] {
                ours.push_back(TimeStartup(quenlow, kSplashClassName, "quenlow.exe", ourFirst));
                return ours.back().visible;
            },
            [&] {
                theirs.push_back(TimeStartup(minimal, kMinimalWindowClass, "the minimal window program", theirFirst));
                return theirs.back().visible;
            },
        },
        rounds, 1);
    // The warm-up round's times are not kept, as for every figure.
    ours.erase(ours.begin());
    theirs.erase(theirs.begin());
    PrintRatio(Labelled("start-up to splash window visible", label), "minimal Win32 window program", samples[0],
               samples[1], 1.2);
    Note("start-up: quenlow.exe's first windows: " + Utf8(ourFirst) + "; the minimal program's: " +
         Utf8(theirFirst));
    const std::pair<const char*, double StartupTimes::*> kOurs[] = {
        {"CreateProcess returned", &StartupTimes::started},
        {"its first window exists (in wWinMain)", &StartupTimes::firstWindow},
        {"splash window created", &StartupTimes::created},
        {"splash window visible", &StartupTimes::visible},
    };
    const std::pair<const char*, double StartupTimes::*> kTheirs[] = {
        {"CreateProcess returned", &StartupTimes::started},
        {"its window created", &StartupTimes::created},
        {"its window visible", &StartupTimes::visible},
    };
    const std::string split = "  start-up split (medians), ";
    for (const auto& [name, part] : kOurs) {
        PrintValue(Labelled(split + "quenlow.exe: " + name, label), MedianOf(ours, part), "ms", 0);
    }
    for (const auto& [name, part] : kTheirs) {
        PrintValue(Labelled(split + "minimal program: " + name, label), MedianOf(theirs, part), "ms", 0);
    }
    return 0;
}

// The whole process: started, its message box answered as soon as it shows, ended.
double TimeWithMessageBox(const std::wstring& commandLine, const wchar_t* boxCaption, const std::string& what)
{
    const Stopwatch watch;
    ChildProcess process = ChildProcess::Start(commandLine);
    const HWND box = WaitForMessageBox(process, boxCaption);
    if (!box) {
        throw std::runtime_error(what + " showed no message box");
    }
    testing::PressOk(box);
    const auto code = process.WaitForExit(60s);
    const double elapsed = watch.ElapsedMs();
    if (code != 0u) {
        throw std::runtime_error(what + " did not succeed");
    }
    return elapsed;
}

double TimeNet(const std::wstring& arguments)
{
    const Stopwatch watch;
    ChildProcess process = ChildProcess::Start(L"net " + arguments);
    const auto code = process.WaitForExit(60s);
    const double elapsed = watch.ElapsedMs();
    if (code != 0u) {
        throw std::runtime_error("net " + Utf8(arguments) + " did not succeed");
    }
    return elapsed;
}

// Untimed: the state is reached, and a stopped service's process has gone, before the next step.
// Then a pause: Wine's WMI goes on working for about 150 ms after a query, which would slow
// whatever comes next.
void Settle(const std::wstring& service, DWORD state)
{
    if (!testing::WaitForServiceState(service, state)) {
        throw std::runtime_error("the service did not reach the expected state");
    }
    if (state == SERVICE_STOPPED && !testing::WaitForTestServiceProcessesToEnd(15s)) {
        throw std::runtime_error("the service's process did not end");
    }
    ::Sleep(300);
}

// One way of starting and stopping the service: the two times of one cycle.
struct StartStop {
    std::vector<double> start;
    std::vector<double> stop;
};

int RunCommandLine(int argc, wchar_t** argv, int rounds, const std::string& label)
{
    const std::wstring quenlow = QuoteArgument(RequiredPath(argc, argv, L"quenlow"));
    const std::wstring bareWmi = QuoteArgument(RequiredPath(argc, argv, L"wmi-command"));
    const std::wstring service = TextOption(argc, argv, L"service");
    if (service.empty()) {
        throw std::invalid_argument("--service=NAME is required");
    }
    testing::StopServiceDirectly(service);
    Settle(service, SERVICE_STOPPED);

    using Step = std::function<double()>;
    struct Way {
        Step start;
        Step stop;
        StartStop times;
    };
    std::vector<Way> ways = {
        {[&] { return TimeWithMessageBox(quenlow + L" /start " + service, testing::kApplicationTitle, "quenlow.exe /start"); },
         [&] { return TimeWithMessageBox(quenlow + L" /stop " + service, testing::kApplicationTitle, "quenlow.exe /stop"); },
         {}},
        {[&] { return TimeWithMessageBox(bareWmi + L" start " + service, kBareWmiCommandTitle, "the bare WMI command"); },
         [&] { return TimeWithMessageBox(bareWmi + L" stop " + service, kBareWmiCommandTitle, "the bare WMI command"); },
         {}},
        {[&] { return TimeNet(L"start " + service); }, [&] { return TimeNet(L"stop " + service); }, {}},
    };
    Note("command line ...");
    // The first round warms up; the way that goes first moves on by one each round.
    for (int round = 0; round <= rounds; ++round) {
        for (std::size_t step = 0; step < ways.size(); ++step) {
            Way& way = ways[(static_cast<std::size_t>(round) + step) % ways.size()];
            const double start = way.start();
            Settle(service, SERVICE_RUNNING);
            const double stop = way.stop();
            Settle(service, SERVICE_STOPPED);
            if (round > 0) {
                way.times.start.push_back(start);
                way.times.stop.push_back(stop);
            }
        }
    }
    const StartStop& ours = ways[0].times;
    const StartStop& wmi = ways[1].times;
    const StartStop& net = ways[2].times;
    PrintRatio(Labelled("command line /start", label), "net start", ours.start, net.start, 1.5);
    PrintRatio(Labelled("command line /stop", label), "net stop", ours.stop, net.stop, 1.5);
    PrintRatio(Labelled("  /start through WMI at all", label), "net start", wmi.start, net.start, 0);
    PrintRatio(Labelled("  /stop through WMI at all", label), "net stop", wmi.stop, net.stop, 0);
    // Both wait for the service to get there: quenlow.exe by following its state, the bare
    // program with one confirming query, all an immediate service needs.
    PrintRatio(Labelled("quenlow.exe /start", label), "bare WMI command program", ours.start, wmi.start, 1.05);
    PrintRatio(Labelled("quenlow.exe /stop", label), "bare WMI command program", ours.stop, wmi.stop, 1.05);
    return 0;
}

// Starts the program, waits for its window and a moment of idle, and reads its memory.
ProcessMemory MemoryWhenShown(ChildProcess& process, HWND window, const char* what)
{
    if (!window) {
        throw std::runtime_error(std::string(what) + " showed no window");
    }
    ::Sleep(500);
    return MemoryOf(process.Handle());
}

// The peak working sets of quenlow.exe on its way to the stopped services window.
struct QuenlowPeaks {
    ProcessMemory atSplash;
    ProcessMemory atList;
    std::size_t entries = 0;
};

// quenlow.exe from its start until its stopped services window is open, with the peak working
// set read at the splash window and at the list; the process is closed afterwards.
QuenlowPeaks OpenStoppedServicesWindow(const std::wstring& quenlowPath)
{
    QuenlowPeaks peaks;
    ChildProcess quenlow = ChildProcess::Start(QuoteArgument(quenlowPath));
    const HWND splash = WaitForWindow(quenlow, kSplashClassName);
    peaks.atSplash = MemoryWhenShown(quenlow, splash, "quenlow.exe");
    const HWND window = ContinueToStoppedServices(quenlow, splash);
    peaks.atList = MemoryWhenShown(quenlow, window, "the stopped services window");
    const HWND list = ::FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr);
    const LRESULT entries = list ? ::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) : 0;
    peaks.entries = entries > 0 ? static_cast<std::size_t>(entries) : 0;
    CloseAndWait(quenlow, window, "quenlow.exe");
    return peaks;
}

// A program's peak working set once its one window of the class shows; the program is closed after.
ProcessMemory PeakOfWindowProgram(const std::wstring& path, const wchar_t* className, const char* what)
{
    ChildProcess program = ChildProcess::Start(QuoteArgument(path));
    const HWND window = WaitForWindow(program, className);
    const ProcessMemory memory = MemoryWhenShown(program, window, what);
    CloseAndWait(program, window, what);
    return memory;
}

int RunFootprint(int argc, wchar_t** argv, int rounds)
{
    const std::wstring quenlowPath = RequiredPath(argc, argv, L"quenlow");
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    if (!::GetFileAttributesExW(quenlowPath.c_str(), GetFileExInfoStandard, &attributes)) {
        throw std::runtime_error("quenlow.exe cannot be found");
    }
    const double bytes = static_cast<double>((static_cast<unsigned long long>(attributes.nFileSizeHigh) << 32) |
                                             attributes.nFileSizeLow);
    PrintValue("size of quenlow.exe", bytes / 1e6, "MB", 1.5);

    const std::wstring minimalPath = RequiredPath(argc, argv, L"window");
    const std::wstring wmiWindowPath = RequiredPath(argc, argv, L"wmi-window");
    Note("footprint ...");
    // Peaks scatter a little from run to run: the three programs in turn, medians of the rounds.
    std::vector<double> minimal;
    std::vector<double> wmiWindow;
    std::vector<double> splash;
    std::vector<double> stopped;
    std::vector<double> ratios;
    std::size_t entries = 0;
    for (int round = 0; round < rounds; ++round) {
        minimal.push_back(
            PeakOfWindowProgram(minimalPath, kMinimalWindowClass, "the minimal window program").peakWorkingSetMB);
        wmiWindow.push_back(
            PeakOfWindowProgram(wmiWindowPath, kBareWmiWindowClass, "the bare WMI window program")
                .peakWorkingSetMB);
        const QuenlowPeaks peaks = OpenStoppedServicesWindow(quenlowPath);
        splash.push_back(peaks.atSplash.peakWorkingSetMB);
        stopped.push_back(peaks.atList.peakWorkingSetMB);
        ratios.push_back(stopped.back() / wmiWindow.back());
        entries = peaks.entries;
    }
    PrintValue("peak working set, minimal Win32 window program", SpreadOf(minimal).median, "MB", 0);
    PrintValue("peak working set, bare program: WMI query of stopped services, one window",
               SpreadOf(wmiWindow).median, "MB", 0);
    PrintValue("peak working set, quenlow.exe, splash window", SpreadOf(splash).median, "MB", 0);
    PrintValue("peak working set, quenlow.exe, stopped services window, " + std::to_string(entries) + " entries",
               SpreadOf(stopped).median, "MB", 0);
    PrintValue("peak working set, stopped services window / bare WMI window program (median of rounds)",
               SpreadOf(ratios).median, "x", 1.15);
    return 0;
}

// The stopped services window with at least --entries entries: extra services make up what the
// system lacks.
int RunFootprintWithEntries(int argc, wchar_t** argv)
{
    const int wanted = IntegerOption(argc, argv, L"entries", 3'000);
    const int missing = wanted - CountStoppedServices();
    if (missing > 0) {
        InstallExtraServices(CountExtraServices() + missing, RequiredPath(argc, argv, L"service-program"));
    }
    Note("footprint: the stopped services window with " + std::to_string(wanted) + " entries ...");
    const QuenlowPeaks peaks = OpenStoppedServicesWindow(RequiredPath(argc, argv, L"quenlow"));
    PrintValue("peak working set, quenlow.exe, stopped services window, " + std::to_string(peaks.entries) +
                   " entries (real services)",
               peaks.atList.peakWorkingSetMB, "MB", 10.0);
    return 0;
}

// From the moment the process's last window was seen on screen (looked for every millisecond)
// until the process was seen to have ended, with success.
double EndAfterLastWindow(const ChildProcess& process, const std::string& what)
{
    const testing::WindowQuery shown{process.Id(), std::nullopt, std::nullopt, true};
    const Stopwatch watch;
    double lastSeen = 0;
    for (;;) {
        if (!testing::FindTopLevelWindows(shown).empty()) {
            lastSeen = watch.ElapsedMs();
        }
        if (const auto code = process.WaitForExit(1ms)) {
            if (*code != 0) {
                throw std::runtime_error(what + " ended with status " + std::to_string(*code));
            }
            return watch.ElapsedMs() - lastSeen;
        }
        if (watch.ElapsedMs() > std::chrono::duration<double, std::milli>(kWindowTimeout).count()) {
            throw std::runtime_error(what + " still runs with no window on screen");
        }
    }
}

int RunProgramEnd(int argc, wchar_t** argv, int rounds)
{
    const std::wstring quenlow = QuoteArgument(RequiredPath(argc, argv, L"quenlow"));
    const std::wstring minimal = QuoteArgument(RequiredPath(argc, argv, L"window"));
    Note("process end after the last window ...");
    const auto samples = RunInterleaved(
        {
            [&] {
                ChildProcess process = ChildProcess::Start(quenlow);
                const HWND splash = RequireWindow(WaitForWindow(process, kSplashClassName), "the splash window");
                if (!testing::BringToForeground(splash)) {
                    throw std::runtime_error("the splash window did not come to the front");
                }
                testing::PressKey('Q');
                return EndAfterLastWindow(process, "quenlow.exe");
            },
            [&] {
                ChildProcess process = ChildProcess::Start(quenlow);
                const HWND splash = RequireWindow(WaitForWindow(process, kSplashClassName), "the splash window");
                const HWND window =
                    RequireWindow(ContinueToStoppedServices(process, splash), "the stopped services window");
                ::Sleep(300); // Wine's WMI settles after the list's query
                testing::ListWindowDriver(window, testing::ListWindowKind::StoppedServices).PostButtonClick(L"Close");
                return EndAfterLastWindow(process, "quenlow.exe");
            },
            [&] {
                ChildProcess process = ChildProcess::Start(minimal);
                const HWND window =
                    RequireWindow(WaitForWindow(process, kMinimalWindowClass), "the minimal program's window");
                ::PostMessageW(window, WM_CLOSE, 0, 0);
                return EndAfterLastWindow(process, "the minimal window program");
            },
        },
        rounds, 1);
    const std::string figure = "process end after its last window left the screen, ";
    PrintValue(figure + "quenlow.exe, key on the splash window (ms, median)", SpreadOf(samples[0]).median, "ms",
               1000);
    PrintValue(figure + "quenlow.exe, stopped services window's Close (ms, median)", SpreadOf(samples[1]).median,
               "ms", 1000);
    PrintValue(figure + "minimal Win32 window program (ms, median)", SpreadOf(samples[2]).median, "ms", 0);
    return 0;
}

int RunTickedSlowStart(int argc, wchar_t** argv, int rounds, const std::string& label)
{
    const std::wstring quenlowPath = RequiredPath(argc, argv, L"quenlow");
    const BenchServices slow = SlowServices(RequiredPath(argc, argv, L"service-program"));
    Note("ticked start of three slow services ...");
    std::vector<double> times;
    std::vector<double> oneService;
    for (int round = 0; round <= rounds; ++round) {
        // The program is opened at its stopped services window and the three are ticked; the
        // time runs from the press of Start until the message box shows.
        const double elapsed = TimeTickedStart(quenlowPath, slow.DisplayNames());
        slow.StopAll();
        if (round > 0) {
            times.push_back(elapsed);
            oneService.push_back(static_cast<double>(testing::kSlowStartTime.count()));
        }
    }
    PrintRatio(Labelled("ticked start of three services taking 3 s each", label), "3 s", times, oneService, 1.3);
    return 0;
}

int Run(int argc, wchar_t** argv)
{
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    const int rounds = IntegerOption(argc, argv, L"runs", 7);
    const std::string label = Utf8(TextOption(argc, argv, L"label"));
    if (rounds < 1) {
        throw std::invalid_argument("--runs must be at least 1");
    }
    if (mode == L"startup") {
        return RunStartup(argc, argv, rounds, label);
    }
    if (mode == L"command-line") {
        return RunCommandLine(argc, argv, rounds, label);
    }
    if (mode == L"footprint") {
        return RunFootprint(argc, argv, IntegerOption(argc, argv, L"runs", 3));
    }
    if (mode == L"footprint-entries") {
        return RunFootprintWithEntries(argc, argv);
    }
    if (mode == L"program-end") {
        return RunProgramEnd(argc, argv, rounds);
    }
    if (mode == L"slow-start") {
        return RunTickedSlowStart(argc, argv, rounds, label);
    }
    if (mode == L"list-window") {
        return RunListOnScreen(argc, argv, rounds, label);
    }
    if (mode == L"many-start") {
        return RunManyStart(argc, argv, rounds, label);
    }
    if (mode == L"responsiveness") {
        return RunResponsiveness(argc, argv, rounds, label);
    }
    if (mode == L"install-extra") {
        const int count = IntegerOption(argc, argv, L"count", 300);
        InstallExtraServices(count, RequiredPath(argc, argv, L"service-program"));
        Note("registered " + std::to_string(count) + " extra services");
        return 0;
    }
    if (mode == L"uninstall-extra") {
        Note("removed " + std::to_string(UninstallExtraServices()) + " extra services");
        return 0;
    }
    std::fprintf(stderr, "usage: quenlow_process_bench startup|command-line|footprint|footprint-entries|program-end|"
                         "slow-start|list-window|many-start|responsiveness|install-extra|uninstall-extra "
                         "[--entries=N] [--quenlow=PATH] [--window=PATH] [--wmi-command=PATH] [--wmi-window=PATH] "
                         "[--wmi-list=PATH] [--service=NAME] [--service-program=PATH] [--count=N] [--case=NAME] "
                         "[--runs=N] [--label=TEXT]\n");
    return 2;
}

} // namespace

} // namespace quenlow::bench

int wmain(int argc, wchar_t** argv)
{
    try {
        return quenlow::bench::Run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quenlow_process_bench: %s\n", error.what());
    }
    return 1;
}
