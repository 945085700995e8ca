// A list window on screen with its filled list, against two bare programs that run the same WMI
// query and then show one window: one with the same controls as the list window (the reference
// the figure is judged by), one with a plain list (for information). All are whole processes
// that got ready before they were asked (quenlow.exe warms its worker once the splash window is
// up; the bare programs load COM and WMI's client before they show their first window), so the
// time runs from the user's click until the window with its list is visible and painted. The
// three run in turn, round after round.
#include "bench/Figures.h"
#include "bench/MinimalWindow.h"
#include "bench/ProcessFigures_win.h"
#include "bench/ProcessSteps_win.h"
#include "bench/ReadyWindow.h"
#include "bench/Stopwatch_win.h"

#include "support/ListWindowDriver.h"
#include "support/TopLevelWindows.h"
#include "support/WindowedRun.h"
#include "ui/WindowClassNames.h"

#include <vector>

namespace quenlow::bench {

namespace {

using testing::ChildProcess;

struct WindowCase {
    const char* name;
    // Where quenlow.exe's user asks for it: nullptr for the splash window's frame, otherwise the
    // stopped services window's button.
    const wchar_t* button;
    // The bare program's argument for the same query.
    const wchar_t* bareArgument;
};

constexpr WindowCase kCases[] = {
    {"stopped", nullptr, L"stopped"},
    {"active", L"Active Services", L"running"},
    {"all", L"All Services", L"all"},
};

// The process's visible list window other than `other`, looked for every millisecond by class
// only: asking other windows for their captions would keep the program's thread busy.
HWND WaitForNewWindow(const ChildProcess& process, const wchar_t* className, HWND other)
{
    const testing::WindowQuery query{0, className, std::nullopt, true, [other](HWND window) { return window != other; }};
    return testing::WaitForTopLevelWindow(process, query, kWindowTimeout, std::chrono::milliseconds(1));
}

// What one contender saw: the entries, and when its window was first seen visible (before the
// paint), in milliseconds from the click, noted as each round begins.
struct Seen {
    std::size_t entries = 0;
    std::vector<double> visible;
};

// A bare reference program: how it is started and how its window is found.
struct BareProgram {
    std::wstring path; // quoted
    const wchar_t* className;
    const char* what;
};

double TimeQuenlow(const WindowCase& list, Seen& seen)
{
    seen.visible.push_back(kFailedRound);
    testing::WindowedRun quenlow;
    ::Sleep(kQuietBeforeStepMs);
    HWND stopped = nullptr;
    HWND button = nullptr;
    if (list.button) {
        quenlow.ClickSplashFrame();
        const testing::ListWindowDriver driver = quenlow.ContinueToStoppedServices();
        stopped = driver.Window();
        button = driver.Button(list.button);
        ::Sleep(kQuietBeforeStepMs);
    }
    const Stopwatch watch;
    if (button) {
        ::PostMessageW(button, BM_CLICK, 0, 0);
    } else {
        PostSplashFrameClick(quenlow.Splash());
    }
    const HWND window = RequireWindow(WaitForNewWindow(quenlow.Process(), kListWindowClassName, stopped),
                                      std::string(list.name) + " window");
    seen.visible.back() = watch.ElapsedMs();
    WaitUntilPainted(window);
    const double elapsed = watch.ElapsedMs();
    seen.entries = ListEntries(window);
    CloseQuenlow(quenlow.Process());
    return elapsed;
}

double TimeBare(const BareProgram& bare, const WindowCase& list, Seen& seen)
{
    seen.visible.push_back(kFailedRound);
    const testing::StartedProgram program =
        testing::StartAndWaitForWindow(bare.path + L" " + list.bareArgument, kReadyWindowClass);
    ::Sleep(kQuietBeforeStepMs);
    const Stopwatch watch;
    PostClick(program.window, POINT{10, 10});
    const HWND window = RequireWindow(WaitForNewWindow(program.process, bare.className, nullptr),
                                      std::string("the window of ") + bare.what);
    seen.visible.back() = watch.ElapsedMs();
    WaitUntilPainted(window);
    const double elapsed = watch.ElapsedMs();
    seen.entries = ListEntries(window);
    CloseAndWait(program.process, window, bare.what);
    return elapsed;
}

void NoteOtherCount(const Seen& ours, const Seen& theirs, const char* what)
{
    if (ours.entries != theirs.entries && ours.entries > 0 && theirs.entries > 0) {
        // Services may change state between two runs; say so rather than hide it.
        Note("note: quenlow.exe listed " + std::to_string(ours.entries) + " entries, " + what + " " +
             std::to_string(theirs.entries));
    }
}

// Where a contender's time went, medians of the counted rounds: until its window was visible
// (before the paint), and from then until it was painted.
void PrintSplit(const std::string& who, const std::vector<double>& visible, const std::vector<double>& painted,
                const std::string& label)
{
    std::vector<double> paint;
    for (std::size_t i = 0; i < painted.size() && i < visible.size(); ++i) {
        paint.push_back(painted[i] - visible[i]);
    }
    PrintMedian(Labelled("  until visible: " + who, label), visible, "ms", 0);
    PrintMedian(Labelled("  then until painted: " + who, label), paint, "ms", 0);
}

} // namespace

int RunListOnScreen(const Options& options)
{
    const int rounds = options.Rounds();
    const std::string& label = options.Label();
    const BareProgram sameControls{testing::QuoteArgument(options.Path(L"wmi-same-controls")),
                                   kBareWmiSameControlsClass, "the bare program with the same controls"};
    const BareProgram plainList{testing::QuoteArgument(options.Path(L"wmi-list")), kBareWmiListClass,
                                "the bare list program"};
    for (const WindowCase& list : kCases) {
        Note("list window on screen: " + std::string(list.name) + " services window ...");
        const std::string window = std::string(list.name) + " window";
        Seen ours;
        Seen same;
        Seen plain;
        const auto samples = RunInterleaved(
            Labelled("list window on screen, " + window, label),
            {
                {"quenlow.exe", [&] { return TimeQuenlow(list, ours); }},
                {sameControls.what, [&] { return TimeBare(sameControls, list, same); }},
                {plainList.what, [&] { return TimeBare(plainList, list, plain); }},
            },
            rounds, 1);
        NoteOtherCount(ours, same, sameControls.what);
        NoteOtherCount(ours, plain, plainList.what);
        const std::string figure =
            Labelled("list window on screen, " + window + ", " + std::to_string(ours.entries) + " entries", label);
        PrintRatio(figure, "bare program with the same controls", samples[0], samples[1], 1.0);
        // A plain list is not the work the list window's controls take: shown for comparison, not
        // judged.
        PrintRatio(figure, "bare WMI query, then a list", samples[0], samples[2], 0);
        const auto visible = [&](Seen& seen) { return CountedNotes(std::move(seen.visible), rounds, 1, kFailedRound); };
        PrintSplit(window, visible(ours), samples[0], label);
        PrintSplit("bare, same controls", visible(same), samples[1], label);
        PrintMedian(Labelled("  until visible: bare, plain list", label), visible(plain), "ms", 0);
    }
    return 0;
}

} // namespace quenlow::bench
