// In-process benchmarks of the list windows, run under Wine by scripts/bench.sh:
//   load       opening each list window on the real services, against a bare WMI walk of the
//              same query (and our WMI layer alone, to tell its share from the window's; and the
//              same walk followed by the window with the same controls made the plain way);
//   fill       filling a list window's list from the tests' fake service access with 300, 3,000
//              and 32,767 entries, against the bare controls filled with the same sorted texts;
//   footprint  the process's peak working set with a list window of --entries entries from the
//              fake source open (no COM or WMI loaded: the window's own share).
// Options (bench/Options.h): --runs=N counted rounds (default 7), --label=TEXT added to the
// figures' names, --entries=N.
#include "bench/BareLists_win.h"
#include "bench/BareWmi_win.h"
#include "bench/BareWmiWalk_win.h"
#include "bench/Figures.h"
#include "bench/ListWindowUnderTest_win.h"
#include "bench/ManyFakeServices.h"
#include "bench/Options.h"
#include "bench/ProcessMemory_win.h"
#include "bench/SameControlsWindow_win.h"
#include "bench/Stopwatch_win.h"
#include "bench/TimedServiceAccess_win.h"

#include "services/ComApartment_win.h"
#include "services/ServiceQuery.h"
#include "services/WmiServiceAccess_win.h"
#include "splash/AppInfo_win.h"
#include "ui/Dpi_win.h"
#include "ui/UniqueGdi_win.h"
#include "services/ListOrder.h"
#include "services/WmiNames.h"
#include "windows/ListWindowDesigns_win.h"
#include "windows/PictureButton_win.h"

#include "support/MessagePump.h"

#include <windows.h>

#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace quenlow::bench {

namespace {

// Before a timed step the windows get this long to handle what the system sends a new window
// (activation, focus, the first paint), so that none of it lands in the measurement.
constexpr DWORD kSettleMs = 50;

// Wine's WMI goes on working for about 150 ms after a query: a query that starts sooner takes
// up to twice as long (measured: 70-96 ms against 42-50 ms for the running services). Every
// timed query starts after this long without one, as a user's clicks would.
constexpr DWORD kWmiQuietMs = 300;

HINSTANCE Instance()
{
    return ::GetModuleHandleW(nullptr);
}

struct ListCase {
    const char* name;
    WindowId window;
    std::wstring_view query;
    ListedServices listed; // the same list for the window made the plain way
};

constexpr ListCase kListCases[] = {
    {"stopped", WindowId::frmStoppedServicesList, kStoppedServicesQuery, ListedServices::Stopped},
    {"active", WindowId::frmActiveServicesList, kRunningServicesQuery, ListedServices::Running},
    {"all", WindowId::frmTotalServicesList, kAllServicesQuery, ListedServices::All},
};

// Where the time of one timed step went: the program's calls on its windows, and the paint; and
// on the worker's side, when it asked for its connection and when it had read the list, from the
// click on (0 when the step read no list).
struct StepSplit {
    WindowSteps steps;
    double paint = 0;
    double total = 0;
    double workerConnects = 0;
    double workerHasRead = 0;
};

// From the splash window to the list window, as the user goes: the stopped services window
// through Frame1; the others from there, through their buttons. Only the last step is timed,
// until the window is visible and painted.
double OpenListWindow(const AppInfo& app, const ListCase& list, std::size_t& entries, std::optional<StepSplit>& kept)
{
    StepSplit split;
    {
        const auto wmi = std::make_shared<TimedServiceAccess>(std::make_shared<WmiServiceAccess>());
        ListWindowUnderTest program(Instance(), wmi, app);
        if (list.window != WindowId::frmStoppedServicesList) {
            program.Click(WindowId::frmSplash, ControlId::Frame1);
            program.PaintNow(WindowId::frmStoppedServicesList);
        }
        testing::PumpFor(std::chrono::milliseconds(kWmiQuietMs));
        program.TakeSteps();
        wmi->Take();
        const double clickAt = TimestampMs();
        const Stopwatch watch;
        switch (list.window) {
        case WindowId::frmStoppedServicesList:
            program.Click(WindowId::frmSplash, ControlId::Frame1);
            break;
        case WindowId::frmActiveServicesList:
            program.Click(WindowId::frmStoppedServicesList, ControlId::btnActiveServices);
            break;
        case WindowId::frmTotalServicesList:
            program.Click(WindowId::frmStoppedServicesList, ControlId::BtnAllServices);
            break;
        case WindowId::frmSplash:
            break;
        }
        const double clicked = watch.ElapsedMs();
        program.PaintNow(list.window);
        split.total = watch.ElapsedMs();
        split.paint = split.total - clicked;
        split.steps = program.TakeSteps();
        const TimedServiceAccess::Times worker = wmi->Take();
        split.workerConnects = worker.connectAsked > 0 ? worker.connectAsked - clickAt : 0;
        split.workerHasRead = worker.lastRead > 0 ? worker.lastRead - clickAt : 0;
        entries = program.ListCount(list.window);
    }
    testing::PumpPending();
    kept = split;
    return split.total;
}

// The pictures of a window's buttons, given as the window gives them at 96 DPI, for buttons of a
// hidden window: their share of the window's creation (loaded and scaled in the first round only,
// since the process keeps them).
double TimePictures(WindowId window)
{
    const ListWindowDesign* design = ListWindowDesignOf(window);
    const UniqueHwnd host(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 600, 600, nullptr, nullptr, Instance(),
                                            nullptr));
    if (!design || !host) {
        throw std::runtime_error("no window to put the buttons on");
    }
    std::vector<HWND> buttons;
    for (const auto& button : design->buttons) {
        buttons.push_back(CreatePictureButton(host.get(), button, false));
    }
    const Stopwatch watch;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        SetButtonPicture(buttons[i], design->buttons[i], kDesignDpi);
    }
    return watch.ElapsedMs();
}

// The splits of the rounds, one slot pushed as each round begins: empty where the round failed.
using Splits = std::vector<std::optional<StepSplit>>;

double MedianOf(const Splits& splits, double StepSplit::*part)
{
    std::vector<double> values;
    for (const auto& split : splits) {
        values.push_back(split ? (*split).*part : kFailedRound);
    }
    return SpreadOf(values).median;
}

double MedianOf(const Splits& splits, double WindowSteps::*step)
{
    std::vector<double> values;
    for (const auto& split : splits) {
        values.push_back(split ? split->steps.*step : kFailedRound);
    }
    return SpreadOf(values).median;
}

// What is left of each step once the program's calls on its windows and the paint are taken off:
// the wait for the worker's read (the service source, WMI or the fake one, and the sort) beyond
// what the window's creation hid, and the hand-over from the worker.
double MedianRest(const Splits& splits)
{
    std::vector<double> values;
    for (const auto& split : splits) {
        if (!split) {
            continue;
        }
        const WindowSteps& steps = split->steps;
        values.push_back(split->total - split->paint - steps.create - steps.clear - steps.fill - steps.show -
                         steps.destroy);
    }
    return SpreadOf(values).median;
}

// The warm-up round's split is not kept, as for every figure.
Splits Counted(Splits splits, int rounds)
{
    return CountedNotes(std::move(splits), rounds, 1, std::optional<StepSplit>());
}

// Our WMI layer on its own: what the load procedure asks of it, without a window.
double WalkThroughOurLayer(IServiceAccess& services, std::wstring_view query, std::size_t& entries)
{
    ::Sleep(kWmiQuietMs);
    const Stopwatch watch;
    auto connection = services.fConnectWmi();
    auto result = connection->ExecQuery(query, wmi::kListProperties, kWmiAnswerLimit);
    std::size_t count = 0;
    while (auto service = result->Next()) {
        if (!service->ReadText(L"DisplayName")) {
            service->ReadText(L"Name");
        }
        ++count;
    }
    result.reset();
    connection.reset();
    const double elapsed = watch.ElapsedMs();
    entries = count;
    return elapsed;
}

double TimeBareWalk(std::wstring_view query, std::size_t& entries)
{
    ::Sleep(kWmiQuietMs);
    const Stopwatch watch;
    const std::size_t count = BareWmiWalk(query);
    const double elapsed = watch.ElapsedMs();
    entries = count;
    return elapsed;
}

// The bare walk, then the window with the same controls made the plain way, shown and painted:
// what the least program that shows this window after reading its list takes, against which the
// walk alone leaves out the window.
double TimeBareWalkThenSameWindow(const ListCase& list, std::size_t& entries)
{
    ::Sleep(kWmiQuietMs);
    SameControlsWindow window;
    const Stopwatch watch;
    // What the bare same-controls program does after its click, with the locator made in the
    // timed part, as the bare walk makes it.
    Microsoft::WRL::ComPtr<IWbemLocator> locator;
    std::vector<std::wstring> names;
    if (FAILED(::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&locator)))) {
        throw std::runtime_error("no WMI locator");
    }
    const auto services = ConnectLocalWmi(*locator.Get());
    if (!services || !ReadDisplayNames(*services.Get(), list.query, names)) {
        throw std::runtime_error("WMI could not be asked for the list");
    }
    if (!window.Show(Instance(), list.listed, names, SameControlsWindow::Ending::Quietly)) {
        throw std::runtime_error("the window with the same controls could not be shown");
    }
    const double elapsed = watch.ElapsedMs();
    entries = names.size();
    testing::PumpPending();
    window.Destroy();
    testing::PumpPending();
    return elapsed;
}

int RunLoad(const Options& options)
{
    const int rounds = options.Rounds();
    const std::string& label = options.Label();
    const ComApartment com;
    InitializeComSecurity();
    WmiServiceAccess wmi;
    const AppInfo app = ReadAppInfo();
    for (const ListCase& list : kListCases) {
        std::size_t windowEntries = 0;
        std::size_t layerEntries = 0;
        std::size_t bareEntries = 0;
        std::size_t sameWindowEntries = 0;
        Note("list load: " + std::string(list.name) + " services window ...");
        Splits splits;
        const auto samples = RunInterleaved(
            Labelled("list load, " + std::string(list.name) + " window", label),
            {
                {"the list window", [&] { return OpenListWindow(app, list, windowEntries, splits.emplace_back()); }},
                {"our WMI layer", [&] { return WalkThroughOurLayer(wmi, list.query, layerEntries); }},
                {"the bare WMI walk", [&] { return TimeBareWalk(list.query, bareEntries); }},
                {"the bare walk, then the same window",
                 [&] { return TimeBareWalkThenSameWindow(list, sameWindowEntries); }},
            },
            rounds, 1);
        if (windowEntries != bareEntries || layerEntries != bareEntries || sameWindowEntries != bareEntries) {
            // Services may change state between two runs; say so rather than hide it.
            Note("note: the window listed " + std::to_string(windowEntries) + " entries, the bare walk found " +
                 std::to_string(bareEntries) + ", the same window made the plain way listed " +
                 std::to_string(sameWindowEntries));
        }
        const std::string entries = std::to_string(bareEntries) + " entries";
        PrintRatio(Labelled("list load, " + std::string(list.name) + " window, " + entries, label), "bare WMI walk",
                   samples[0], samples[2], 1.10);
        PrintRatio(Labelled("  of which our WMI layer, " + std::string(list.name) + ", " + entries, label),
                   "bare WMI walk", samples[1], samples[2], 0);
        // The walk alone shows no window: how far above it the same window made naively comes.
        PrintRatio(Labelled("  bare walk, then the same window, " + std::string(list.name) + ", " + entries, label),
                   "bare WMI walk", samples[3], samples[2], 0);
        PrintRatio(Labelled("list load, " + std::string(list.name) + " window, " + entries, label),
                   "bare walk, then the same window", samples[0], samples[3], 0);
        splits = Counted(std::move(splits), rounds);
        std::vector<double> pictures;
        for (int round = 0; round < rounds; ++round) {
            pictures.push_back(TimePictures(list.window));
        }
        const std::string name = "  split, " + std::string(list.name) + " window: ";
        PrintValue(Labelled(name + "window, controls, pictures, layout", label), MedianOf(splits, &WindowSteps::create),
                   "ms", 0);
        PrintValue(Labelled(name + "  of which the buttons' pictures alone", label), SpreadOf(pictures).median, "ms",
                   0);
        PrintValue(Labelled(name + "list cleared and filled", label),
                   MedianOf(splits, &WindowSteps::clear) + MedianOf(splits, &WindowSteps::fill), "ms", 0);
        PrintValue(Labelled(name + "window shown", label), MedianOf(splits, &WindowSteps::show), "ms", 0);
        PrintValue(Labelled(name + "window left behind unloaded", label), MedianOf(splits, &WindowSteps::destroy),
                   "ms", 0);
        PrintValue(Labelled(name + "first paint", label), MedianOf(splits, &StepSplit::paint), "ms", 0);
        PrintValue(Labelled(name + "wait for the worker's read beyond creation (the rest)", label),
                   MedianRest(splits), "ms", 0);
        PrintValue(Labelled(name + "worker asked for its connection, after the click", label),
                   MedianOf(splits, &StepSplit::workerConnects), "ms", 0);
        PrintValue(Labelled(name + "worker had read the list, after the click", label),
                   MedianOf(splits, &StepSplit::workerHasRead), "ms", 0);
    }
    return 0;
}

// The fake services of the next reads, with what the fake noted of the reads before forgotten
// (its notes would grow round after round). Set while no work runs on the worker.
void ShowServices(testing::FakeServiceAccess& fake, const std::vector<testing::FakeService>& services)
{
    fake.services = services;
    fake.queries.clear();
    fake.seen.clear();
}

// The stopped services window, open with an empty list; then Refresh fills it from the fake
// source with `count` entries. Timed: the click until the list is painted.
double FillListWindow(const std::shared_ptr<testing::FakeServiceAccess>& fake,
                      const std::vector<testing::FakeService>& services, const AppInfo& app,
                      const std::vector<std::wstring>& expected, std::optional<StepSplit>& kept)
{
    const std::size_t count = services.size();
    StepSplit split;
    {
        ShowServices(*fake, {});
        ListWindowUnderTest program(Instance(), fake, app);
        program.Click(WindowId::frmSplash, ControlId::Frame1);
        program.PaintNow(WindowId::frmStoppedServicesList);
        testing::PumpFor(std::chrono::milliseconds(kSettleMs));
        ShowServices(*fake, services);
        program.TakeSteps();
        const Stopwatch watch;
        program.Click(WindowId::frmStoppedServicesList, ControlId::btnRefresh);
        const double clicked = watch.ElapsedMs();
        program.PaintNow(WindowId::frmStoppedServicesList);
        split.total = watch.ElapsedMs();
        split.paint = split.total - clicked;
        split.steps = program.TakeSteps();
        const std::size_t listed = program.ListCount(WindowId::frmStoppedServicesList);
        if (listed != count || program.ListText(WindowId::frmStoppedServicesList, 0) != expected.front() ||
            program.ListText(WindowId::frmStoppedServicesList, count - 1) != expected.back()) {
            throw std::runtime_error("the list window's list does not hold the sorted entries");
        }
    }
    testing::PumpPending();
    kept = split;
    return split.total;
}

double FillBare(BareList kind, HFONT font, const std::vector<std::wstring>& sorted)
{
    double elapsed = 0;
    {
        BareListHost host(Instance(), kind, font);
        testing::PumpFor(std::chrono::milliseconds(kSettleMs));
        const Stopwatch watch;
        host.Fill(sorted);
        elapsed = watch.ElapsedMs();
        if (host.Count() != sorted.size()) {
            throw std::runtime_error("the bare list does not hold every entry");
        }
    }
    testing::PumpPending();
    return elapsed;
}

int RunFill(const Options& options)
{
    const int rounds = options.Rounds();
    const std::string& label = options.Label();
    const AppInfo app = ReadAppInfo();
    const LOGFONTW fontDesign = MessageFont(kDesignDpi);
    const UniqueHfont font(::CreateFontIndirectW(&fontDesign));
    std::vector<double> medians;
    const std::vector<std::size_t> sizes = {300, 3'000, 32'767};
    for (const std::size_t size : sizes) {
        const auto fake = std::make_shared<testing::FakeServiceAccess>();
        const std::vector<testing::FakeService> services = ManyStoppedServices(size);
        std::vector<std::wstring> sorted = MakeDisplayNames(size);
        SortListTexts(sorted);
        Note("list fill: " + std::to_string(size) + " entries ...");
        const std::string entries = std::to_string(size) + " entries";
        Splits splits;
        const auto samples = RunInterleaved(
            Labelled("list fill, " + entries, label),
            {
                {"the list window", [&] { return FillListWindow(fake, services, app, sorted, splits.emplace_back()); }},
                {"the bare check-box ListView",
                 [&] { return FillBare(BareList::CheckBoxListView, font.get(), sorted); }},
                {"the bare list box", [&] { return FillBare(BareList::ListBox, font.get(), sorted); }},
            },
            rounds, 1);
        PrintRatio(Labelled("list fill, " + entries, label), "bare check-box ListView", samples[0], samples[1], 1.5);
        PrintRatio(Labelled("list fill, " + entries, label), "bare list box", samples[0], samples[2], 1.5);
        splits = Counted(std::move(splits), rounds);
        const std::string name = "  split, fill " + entries + ": ";
        PrintValue(Labelled(name + "list cleared and filled", label),
                   MedianOf(splits, &WindowSteps::clear) + MedianOf(splits, &WindowSteps::fill), "ms", 0);
        PrintValue(Labelled(name + "first paint", label), MedianOf(splits, &StepSplit::paint), "ms", 0);
        PrintValue(Labelled(name + "worker: fake source and sort (the rest)", label), MedianRest(splits), "ms", 0);
        medians.push_back(SpreadOf(samples[0]).median);
    }
    // Growth: the time for 32,767 entries over that for 300, against what n log n allows.
    const auto nlogn = [](double n) { return n * std::log2(n); };
    const double allowed = nlogn(32'767.0) / nlogn(300.0);
    const double grown = medians.front() > 0 ? medians.back() / medians.front() : kFailedRound;
    PrintValue(Labelled("list fill growth 300 -> 32,767 entries (n log n allows x" +
                            std::to_string(static_cast<int>(std::lround(allowed))) + ")",
                        label),
               grown, "x", allowed);
    return 0;
}

int RunFootprintWith(int entries)
{
    const AppInfo app = ReadAppInfo();
    const auto fake = std::make_shared<testing::FakeServiceAccess>();
    fake->services = ManyStoppedServices(static_cast<std::size_t>(entries));
    // The list read on the window thread: the worker would load COM and WMI's client, which
    // this figure leaves out.
    ListWindowUnderTest program(Instance(), fake, app, WorkThread::WindowThread);
    program.Click(WindowId::frmSplash, ControlId::Frame1);
    program.PaintNow(WindowId::frmStoppedServicesList);
    testing::PumpFor(std::chrono::milliseconds(500));
    if (program.ListCount(WindowId::frmStoppedServicesList) != static_cast<std::size_t>(entries)) {
        throw std::runtime_error("the list window does not hold every entry");
    }
    const ProcessMemory memory = MemoryOf(::GetCurrentProcess());
    // The window's own share: the same list without COM and WMI in the process.
    PrintValue("peak working set, list window, " + std::to_string(entries) + " entries from a fake source",
               memory.peakWorkingSetMB, "MB", 0);
    return 0;
}

int RunFootprint(const Options& options)
{
    return RunFootprintWith(options.Number(L"entries", 3'000));
}

constexpr Part kParts[] = {{L"load", RunLoad}, {L"fill", RunFill}, {L"footprint", RunFootprint}};

} // namespace

} // namespace quenlow::bench

int wmain(int argc, wchar_t** argv)
{
    return quenlow::bench::RunPart(argc, argv, "quenlow_list_bench", quenlow::bench::kParts);
}
