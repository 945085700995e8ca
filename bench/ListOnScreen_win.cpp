// A list window on screen with its filled list, against a bare program that runs the same WMI
// query and then shows one window with a plain list of the results. Both are whole processes
// that got ready before they were asked (quenlow.exe warms its worker once the splash window is
// up; the bare program loads COM and WMI's client before it shows its first window), so the time
// runs from the user's click until the window with its list is visible and painted.
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
// paint), in milliseconds from the click.
struct Seen {
    std::size_t entries = 0;
    std::vector<double> visible;
};

double TimeQuenlow(const WindowCase& list, Seen& seen)
{
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
    seen.visible.push_back(watch.ElapsedMs());
    WaitUntilPainted(window);
    const double elapsed = watch.ElapsedMs();
    seen.entries = ListEntries(window);
    CloseQuenlow(quenlow.Process());
    return elapsed;
}

double TimeBare(const std::wstring& bare, const WindowCase& list, Seen& seen)
{
    const testing::StartedProgram program = testing::StartAndWaitForWindow(bare + L" " + list.bareArgument,
                                                                           kReadyWindowClass);
    ::Sleep(kQuietBeforeStepMs);
    const Stopwatch watch;
    PostClick(program.window, POINT{10, 10});
    const HWND window = RequireWindow(WaitForNewWindow(program.process, kBareWmiListClass, nullptr),
                                      "the bare list program's window");
    seen.visible.push_back(watch.ElapsedMs());
    WaitUntilPainted(window);
    const double elapsed = watch.ElapsedMs();
    seen.entries = ListEntries(window);
    CloseAndWait(program.process, window, "the bare list program");
    return elapsed;
}

} // namespace

int RunListOnScreen(const Options& options)
{
    const int rounds = options.Rounds();
    const std::string& label = options.Label();
    const std::wstring bare = testing::QuoteArgument(options.Path(L"wmi-list"));
    for (const WindowCase& list : kCases) {
        Note("list window on screen: " + std::string(list.name) + " services window ...");
        Seen ours;
        Seen theirs;
        const auto samples = RunInterleaved(
            {
                [&] { return TimeQuenlow(list, ours); },
                [&] { return TimeBare(bare, list, theirs); },
            },
            rounds, 1);
        if (ours.entries != theirs.entries) {
            // Services may change state between two runs; say so rather than hide it.
            Note("note: quenlow.exe listed " + std::to_string(ours.entries) + " entries, the bare program " +
                 std::to_string(theirs.entries));
        }
        const std::string window = std::string(list.name) + " window";
        PrintRatio(Labelled("list window on screen, " + window + ", " + std::to_string(ours.entries) + " entries",
                            label),
                   "bare WMI query, then a list", samples[0], samples[1], 1.0);
        // The warm-up round is not counted, as for every figure.
        ours.visible.erase(ours.visible.begin());
        theirs.visible.erase(theirs.visible.begin());
        PrintValue(Labelled("  until visible (before the paint): " + window, label), SpreadOf(ours.visible).median,
                   "ms", 0);
        PrintValue(Labelled("  until visible (before the paint): bare program", label),
                   SpreadOf(theirs.visible).median, "ms", 0);
    }
    return 0;
}

} // namespace quenlow::bench
