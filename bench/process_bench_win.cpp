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
//                 --entries entries (default 3,000), registering extra services as needed, against
//                 the bare WMI list program showing the same stopped services in a plain list;
//   program-end   how soon the process ends after its last window has left the screen: the
//                 splash window answered with a key, the stopped services window's Close,
//                 against the minimal Win32 program closed;
//   slow-start    three services that each take 3 s to start, ticked in the stopped services
//                 window and started with one press of Start, until the message box shows,
//                 against the naive program doing the same job (the bare WMI command program
//                 looking every 200 ms), and for information against the 3 s one of them takes;
//   list-window   each list window on screen with its list, from the user's click, against a
//                 bare program that runs the same query and then shows one window with the same
//                 controls, and, for information, against one that shows a plain list;
//   many-start    a ticked start of --count services (default 20) that start at once, against
//                 a bare WMI program that makes the same calls in turn, one confirming query each;
//   responsiveness  how long the program's windows take to answer during a wait:
//                 --case=slow-start (three slow services) or --case=load (a list loads);
//   install-extra / uninstall-extra  the services that make the system larger.
// Options (bench/Options.h): --quenlow=PATH, --window=PATH (the minimal program),
// --wmi-command=PATH (the bare WMI command program), --wmi-window=PATH (the bare WMI window
// program), --wmi-list=PATH (the bare WMI list program), --wmi-same-controls=PATH (the bare WMI
// program with the same controls as a list window), --service=NAME, --service-program=PATH,
// --count=N, --entries=N, --case=NAME, --runs=N (default 7; 3 for the footprints), --label=TEXT.
#include "bench/BareWmiCommand.h"
#include "bench/Figures.h"
#include "bench/MinimalWindow.h"
#include "bench/Options.h"
#include "bench/ProcessFigures_win.h"
#include "bench/ProcessMemory_win.h"
#include "bench/ProcessSteps_win.h"
#include "bench/ReadyWindow.h"
#include "bench/Stopwatch_win.h"
#include "bench/TickedStart_win.h"

#include "common/Text.h"
#include "support/ChildProcess.h"
#include "support/ListWindowDriver.h"
#include "support/ManyServices.h"
#include "support/MessageBoxes.h"
#include "support/MessagePump.h"
#include "support/ServiceManager.h"
#include "support/TestServices.h"
#include "support/TopLevelWindows.h"
#include "support/UserInput.h"
#include "support/WindowedRun.h"
#include "ui/WindowClassNames.h"

#include <windows.h>
#include <commctrl.h>

#include <chrono>
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
using testing::CountManyServices;
using testing::CountStoppedServices;
using testing::InstallManyServices;
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
    testing::PumpUntil(
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

double MedianOf(const std::vector<std::optional<StartupTimes>>& rounds, double StartupTimes::*part)
{
    std::vector<double> values;
    for (const auto& round : rounds) {
        values.push_back(round ? (*round).*part : kFailedRound);
    }
    return SpreadOf(values).median;
}

int RunStartup(const Options& options)
{
    const int rounds = options.Rounds();
    const std::string& label = options.Label();
    const std::wstring quenlow = QuoteArgument(options.Path(L"quenlow"));
    const std::wstring minimal = QuoteArgument(options.Path(L"window"));
    const std::string figure = Labelled("start-up to splash window visible", label);
    Note("start-up ...");
    std::vector<std::optional<StartupTimes>> ours;
    std::vector<std::optional<StartupTimes>> theirs;
    std::wstring ourFirst;
    std::wstring theirFirst;
    const auto samples = RunInterleaved(
        figure,
        {
            {"quenlow.exe",
             [&] {
                 auto& times = ours.emplace_back();
                 times = TimeStartup(quenlow, kSplashClassName, "quenlow.exe", ourFirst);
                 return times->visible;
             }},
            {"the minimal window program",
             [&] {
                 auto& times = theirs.emplace_back();
                 times = TimeStartup(minimal, kMinimalWindowClass, "the minimal window program", theirFirst);
                 return times->visible;
             }},
        },
        rounds, 1);
    ours = CountedNotes(std::move(ours), rounds, 1, std::optional<StartupTimes>());
    theirs = CountedNotes(std::move(theirs), rounds, 1, std::optional<StartupTimes>());
    // 1.3: the splash window's labels are the common controls 6 of the process's manifest, whose
    // load the minimal program does not pay.
    PrintRatio(figure, "minimal Win32 window program", samples[0], samples[1], 1.3);
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
    const std::wstring said = testing::ReadMessageBoxText(box);
    testing::PressOk(box);
    const auto code = process.WaitForExit(60s);
    const double elapsed = watch.ElapsedMs();
    if (code != 0u) {
        // What it said tells a fault of ours from one of Wine's service manager.
        throw std::runtime_error(what + " did not succeed: " + Utf8(said));
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

int RunCommandLine(const Options& options)
{
    const int rounds = options.Rounds();
    const std::string& label = options.Label();
    const std::wstring quenlow = QuoteArgument(options.Path(L"quenlow"));
    const std::wstring bareWmi = QuoteArgument(options.Path(L"wmi-command"));
    const std::wstring& service = options.Text(L"service");
    const auto stopped = [&service] {
        testing::StopServiceDirectly(service);
        Settle(service, SERVICE_STOPPED);
    };
    stopped();

    // One way of starting and stopping the service; a round of it is one cycle, the start's time
    // its time and the stop's noted beside it.
    using Step = std::function<double()>;
    struct Way {
        const char* name;
        Step start;
        Step stop;
        std::vector<double> stops;
    };
    const auto byQuenlow = [&](const wchar_t* how) {
        return TimeWithMessageBox(quenlow + L" /" + how + L" " + service, testing::kApplicationTitle,
                                  "quenlow.exe /" + Utf8(how));
    };
    const auto byBareWmi = [&](const wchar_t* how) {
        return TimeWithMessageBox(bareWmi + L" " + how + L" " + service, kBareWmiCommandTitle, "the bare WMI command");
    };
    std::vector<Way> ways = {
        {"quenlow.exe", [&] { return byQuenlow(L"start"); }, [&] { return byQuenlow(L"stop"); }, {}},
        {"the bare WMI command program", [&] { return byBareWmi(L"start"); }, [&] { return byBareWmi(L"stop"); }, {}},
        {"net", [&] { return TimeNet(L"start " + service); }, [&] { return TimeNet(L"stop " + service); }, {}},
    };
    std::vector<Contender> contenders;
    for (Way& way : ways) {
        contenders.push_back({way.name, [&way, &service] {
                                  way.stops.push_back(kFailedRound);
                                  const double start = way.start();
                                  Settle(service, SERVICE_RUNNING);
                                  way.stops.back() = way.stop();
                                  Settle(service, SERVICE_STOPPED);
                                  return start;
                              }});
    }
    Note("command line ...");
    const auto starts = RunInterleaved(Labelled("command line", label), contenders, rounds, 1, stopped);
    struct StartStop {
        const std::vector<double>& start;
        std::vector<double> stop;
    };
    const auto timesOf = [&](std::size_t way) {
        return StartStop{starts[way], CountedNotes(std::move(ways[way].stops), rounds, 1, kFailedRound)};
    };
    const StartStop ours = timesOf(0);
    const StartStop wmi = timesOf(1);
    const StartStop net = timesOf(2);
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

// The program's memory once its window has shown and it was left alone a moment.
ProcessMemory MemoryWhenShown(const ChildProcess& process)
{
    ::Sleep(kQuietBeforeStepMs);
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
QuenlowPeaks OpenStoppedServicesWindow()
{
    QuenlowPeaks peaks;
    testing::WindowedRun quenlow;
    peaks.atSplash = MemoryWhenShown(quenlow.Process());
    quenlow.ClickSplashFrame();
    const HWND window = quenlow.ContinueToStoppedServices().Window();
    peaks.atList = MemoryWhenShown(quenlow.Process());
    peaks.entries = ListEntries(window);
    CloseAndWait(quenlow.Process(), window, "quenlow.exe");
    return peaks;
}

// A program's peak working set once its one window of the class shows; the program is closed after.
ProcessMemory PeakOfWindowProgram(const std::wstring& path, const wchar_t* className, const char* what)
{
    const testing::StartedProgram program = testing::StartAndWaitForWindow(QuoteArgument(path), className);
    const ProcessMemory memory = MemoryWhenShown(program.process);
    CloseAndWait(program.process, program.window, what);
    return memory;
}

// A bare WMI program's memory before it reads the stopped services (its first window shown) and
// once it shows them in its window of the class (it reads them when the first window is
// clicked); the program is closed after.
struct BareListPeaks {
    ProcessMemory beforeList;
    ProcessMemory atList;
    std::size_t entries = 0;
};

BareListPeaks PeakOfBareList(const std::wstring& path, const wchar_t* className, const char* what)
{
    BareListPeaks peaks;
    const testing::StartedProgram program =
        testing::StartAndWaitForWindow(QuoteArgument(path) + L" stopped", kReadyWindowClass);
    peaks.beforeList = MemoryWhenShown(program.process);
    PostClick(program.window, POINT{10, 10});
    const HWND list = RequireWindow(WaitForWindow(program.process, className), what);
    peaks.atList = MemoryWhenShown(program.process);
    peaks.entries = ListEntries(list);
    CloseAndWait(program.process, list, what);
    return peaks;
}

int RunFootprint(const Options& options)
{
    const std::wstring quenlowPath = options.Path(L"quenlow");
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    if (!::GetFileAttributesExW(quenlowPath.c_str(), GetFileExInfoStandard, &attributes)) {
        throw std::runtime_error("quenlow.exe cannot be found");
    }
    const double bytes = static_cast<double>((static_cast<unsigned long long>(attributes.nFileSizeHigh) << 32) |
                                             attributes.nFileSizeLow);
    PrintValue("size of quenlow.exe", bytes / 1e6, "MB", 1.5);

    const std::wstring minimalPath = options.Path(L"window");
    const std::wstring wmiWindowPath = options.Path(L"wmi-window");
    Note("footprint ...");
    // Peaks scatter a little from run to run: the three programs in turn, medians of the rounds.
    std::vector<double> minimal;
    std::vector<double> wmiWindow;
    std::vector<double> splash;
    std::vector<double> stopped;
    std::vector<double> ratios;
    std::size_t entries = 0;
    const std::string what = "footprint";
    for (int round = 0; round < options.Rounds(3); ++round) {
        ProcessMemory minimalRound;
        ProcessMemory wmiRound;
        QuenlowPeaks peaks;
        Attempt(what, "the minimal window program", round, 0, [&] {
            minimalRound = PeakOfWindowProgram(minimalPath, kMinimalWindowClass, "the minimal window program");
        });
        Attempt(what, "the bare WMI window program", round, 0, [&] {
            wmiRound = PeakOfWindowProgram(wmiWindowPath, kBareWmiWindowClass, "the bare WMI window program");
        });
        Attempt(what, "quenlow.exe", round, 0, [&] {
            peaks = OpenStoppedServicesWindow();
            entries = peaks.entries;
        });
        minimal.push_back(minimalRound.peakWorkingSetMB);
        wmiWindow.push_back(wmiRound.peakWorkingSetMB);
        splash.push_back(peaks.atSplash.peakWorkingSetMB);
        stopped.push_back(peaks.atList.peakWorkingSetMB);
        ratios.push_back(stopped.back() / wmiWindow.back());
    }
    PrintMedian("peak working set, minimal Win32 window program", minimal, "MB", 0);
    PrintMedian("peak working set, bare program: WMI query of stopped services, one window", wmiWindow, "MB", 0);
    PrintMedian("peak working set, quenlow.exe, splash window", splash, "MB", 0);
    PrintMedian("peak working set, quenlow.exe, stopped services window, " + std::to_string(entries) + " entries",
                stopped, "MB", 0);
    PrintMedian("peak working set, stopped services window / bare WMI window program (median of rounds)", ratios,
                "x", 1.15);
    return 0;
}

// The stopped services window with at least --entries entries (extra services make up what the
// system lacks), against the bare WMI list program showing the same services in a plain list:
// both hold the same entries, read through WMI. The two in turn, medians of the rounds.
int RunFootprintWithEntries(const Options& options)
{
    const int wanted = options.Number(L"entries", 3'000);
    const int missing = wanted - CountStoppedServices();
    if (missing > 0) {
        InstallManyServices(CountManyServices() + missing, options.Path(L"service-program"));
    }
    const std::wstring barePath = options.Path(L"wmi-list");
    const std::wstring sameControlsPath = options.Path(L"wmi-same-controls");
    Note("footprint: the stopped services window with " + std::to_string(wanted) + " entries ...");
    // Where the memory goes, for each program: before the list (the program and its libraries),
    // the list read and shown (the peak less that), and of the peak what the program holds no
    // longer once the list shows (what reading the list needed only for a while).
    struct Split {
        std::vector<double> peak;
        std::vector<double> before;
        std::vector<double> list;
        std::vector<double> givenBack;
        void Add(const ProcessMemory& beforeList, const ProcessMemory& atList)
        {
            peak.push_back(atList.peakWorkingSetMB);
            before.push_back(beforeList.peakWorkingSetMB);
            list.push_back(atList.peakWorkingSetMB - beforeList.peakWorkingSetMB);
            givenBack.push_back(atList.peakWorkingSetMB - atList.workingSetMB);
        }
    };
    Split ours;
    Split bare;
    Split sameControls;
    std::vector<double> ratios;
    std::size_t entries = 0;
    std::size_t bareEntries = 0;
    const std::string what = "footprint with " + std::to_string(wanted) + " entries";
    for (int round = 0; round < options.Rounds(3); ++round) {
        BareListPeaks bareRound;
        BareListPeaks sameRound;
        QuenlowPeaks peaks;
        Attempt(what, "the bare list program", round, 0, [&] {
            bareRound = PeakOfBareList(barePath, kBareWmiListClass, "the bare list program");
            bareEntries = bareRound.entries;
        });
        Attempt(what, "the bare program with the same controls", round, 0, [&] {
            sameRound =
                PeakOfBareList(sameControlsPath, kBareWmiSameControlsClass, "the bare program with the same controls");
        });
        Attempt(what, "quenlow.exe", round, 0, [&] {
            peaks = OpenStoppedServicesWindow();
            entries = peaks.entries;
        });
        bare.Add(bareRound.beforeList, bareRound.atList);
        sameControls.Add(sameRound.beforeList, sameRound.atList);
        ours.Add(peaks.atSplash, peaks.atList);
        ratios.push_back(ours.peak.back() / bare.peak.back());
    }
    if (entries != bareEntries) {
        Note("note: quenlow.exe listed " + std::to_string(entries) + " entries, the bare program " +
             std::to_string(bareEntries));
    }
    const std::string listed = std::to_string(entries) + " entries (real services)";
    PrintMedian("peak working set, quenlow.exe, stopped services window, " + listed, ours.peak, "MB", 0);
    PrintMedian("peak working set, bare program: WMI query of stopped services, plain list, " + listed, bare.peak,
                "MB", 0);
    PrintMedian("peak working set, stopped services window / bare WMI list program, " + listed + " (median of rounds)",
                ratios, "x", 1.15);
    PrintMedian("peak working set, bare program with the same controls, " + listed, sameControls.peak, "MB", 0);
    const std::pair<const char*, const Split*> programs[] = {
        {"quenlow.exe", &ours}, {"bare program", &bare}, {"bare program with the same controls", &sameControls}};
    for (const auto& [who, split] : programs) {
        const std::string prefix = std::string("  memory split (medians), ") + who + ": ";
        PrintValue(prefix + "before the list (program, libraries)", SpreadOf(split->before).median, "MB", 0);
        PrintValue(prefix + "the list read and shown", SpreadOf(split->list).median, "MB", 0);
        PrintValue(prefix + "of the peak, held no longer once shown", SpreadOf(split->givenBack).median, "MB", 0);
    }
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

int RunProgramEnd(const Options& options)
{
    const std::wstring minimal = QuoteArgument(options.Path(L"window"));
    Note("process end after the last window ...");
    const std::string figure = "process end after its last window left the screen, ";
    const auto samples = RunInterleaved(
        "process end",
        {
            {"quenlow.exe, key on the splash window",
             [&] {
                 const testing::WindowedRun quenlow;
                 if (!testing::BringToForeground(quenlow.Splash())) {
                     throw std::runtime_error("the splash window did not come to the front");
                 }
                 testing::PressKey('Q');
                 return EndAfterLastWindow(quenlow.Process(), "quenlow.exe");
             }},
            {"quenlow.exe, Close",
             [&] {
                 testing::WindowedRun quenlow;
                 quenlow.ClickSplashFrame();
                 auto stopped = quenlow.ContinueToStoppedServices();
                 ::Sleep(300); // Wine's WMI settles after the list's query
                 stopped.PostButtonClick(L"Close");
                 return EndAfterLastWindow(quenlow.Process(), "quenlow.exe");
             }},
            {"the minimal window program",
             [&] {
                 const testing::StartedProgram program = testing::StartAndWaitForWindow(minimal, kMinimalWindowClass);
                 ::PostMessageW(program.window, WM_CLOSE, 0, 0);
                 return EndAfterLastWindow(program.process, "the minimal window program");
             }},
        },
        options.Rounds(), 1);
    PrintMedian(figure + "quenlow.exe, key on the splash window (ms, median)", samples[0], "ms", 1000);
    PrintMedian(figure + "quenlow.exe, stopped services window's Close (ms, median)", samples[1], "ms", 1000);
    PrintMedian(figure + "minimal Win32 window program (ms, median)", samples[2], "ms", 0);
    return 0;
}

int RunInstallExtra(const Options& options)
{
    const int count = options.Number(L"count", 300);
    InstallManyServices(count, options.Path(L"service-program"));
    Note("registered " + std::to_string(count) + " extra services");
    return 0;
}

int RunUninstallExtra(const Options&)
{
    Note("removed " + std::to_string(testing::RemoveManyServices()) + " extra services");
    return 0;
}

constexpr Part kParts[] = {
    {L"startup", RunStartup},
    {L"command-line", RunCommandLine},
    {L"footprint", RunFootprint},
    {L"footprint-entries", RunFootprintWithEntries},
    {L"program-end", RunProgramEnd},
    {L"slow-start", RunSlowStart},
    {L"list-window", RunListOnScreen},
    {L"many-start", RunManyStart},
    {L"responsiveness", RunResponsiveness},
    {L"install-extra", RunInstallExtra},
    {L"uninstall-extra", RunUninstallExtra},
};

} // namespace

} // namespace quenlow::bench

int wmain(int argc, wchar_t** argv)
{
    return quenlow::bench::RunPart(argc, argv, "quenlow_process_bench", quenlow::bench::kParts);
}
