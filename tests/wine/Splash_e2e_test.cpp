// quenlow.exe started with no arguments, as a user meets it: the real program under Wine, its
// splash window read from this process (the labels are controls with their own texts) and
// driven with real key presses, pointer movements and clicks (SendInput), and every window the
// program shows recorded as the system announces it.
#include "splash/SplashDesign_win.h"
#include "support/ChildProcess.h"
#include "support/ListWindowDriver.h"
#include "support/MessageBoxes.h"
#include "support/MessagePump.h"
#include "support/TestOptions.h"
#include "support/TimeLimits.h"
#include "support/TopLevelWindows.h"
#include "support/UserInput.h"
#include "support/WindowedRun.h"
#include "ui/WindowClassNames.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quenlow {
namespace {

using namespace quenlow::testing;
namespace ids = splash::control_ids;

// ---- Places on the screen -------------------------------------------------------------------

RECT ScreenRect(HWND window)
{
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

RECT ClientOnScreen(HWND window)
{
    RECT rect{};
    ::GetClientRect(window, &rect);
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// ---- Windows the program shows -------------------------------------------------------------

// The top-level windows of one process: those the system announces to accessibility tools as
// created or shown (so that a window shown only for a moment is seen too), and those found
// visible whenever Look runs. Wine announces creations to other processes but no showing,
// so there a list window or a message box counts as soon as it is created; Windows announces
// both. The announcements arrive as messages of this thread, handled by its message pump - also
// while the process is still being started, so every process's are kept, with their owners.
class ProgramWindows {
public:
    ProgramWindows()
    {
        s_current = this;
        m_hook = ::SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW, nullptr, &ProgramWindows::OnEvent, 0, 0,
                                   WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    }
    ~ProgramWindows()
    {
        if (m_hook) {
            ::UnhookWinEvent(m_hook);
        }
        s_current = nullptr;
    }
    ProgramWindows(const ProgramWindows&) = delete;
    ProgramWindows& operator=(const ProgramWindows&) = delete;

    bool Hooked() const { return m_hook != nullptr; }
    void Watch(DWORD processId) { m_processId = processId; }

    void Look()
    {
        for (const HWND window : FindTopLevelWindows({m_processId, std::nullopt, std::nullopt, true})) {
            Note(window, m_processId, WindowClassName(window), true, false);
        }
    }

    // Whether the system announced a window of the class.
    bool Announced(const std::wstring& className) const
    {
        return std::any_of(m_seen.begin(), m_seen.end(), [&](const Seen& seen) {
            return seen.processId == m_processId && seen.announced && seen.className == className;
        });
    }

    // The windows a user could have seen besides those allowed, for a failure message; empty if none.
    std::wstring Others(std::initializer_list<HWND> allowed) const
    {
        std::wstring others;
        for (const Seen& seen : m_seen) {
            if (seen.processId != m_processId || std::find(allowed.begin(), allowed.end(), seen.window) != allowed.end()) {
                continue;
            }
            const bool userWindow = seen.className == kListWindowClassName || seen.className == kDialogClass;
            if (seen.shown || userWindow) {
                others += (seen.className.empty() ? L"(a window gone before it was read)" : seen.className) +
                          (seen.shown ? L" shown; " : L" created; ");
            }
        }
        return others;
    }

private:
    struct Seen {
        HWND window;
        DWORD processId;
        std::wstring className; // empty when the window was gone before it was read
        bool shown;
        bool announced;
    };

    static void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD thread,
                                 DWORD)
    {
        if (!s_current || !window || object != OBJID_WINDOW || child != CHILDID_SELF || event == EVENT_OBJECT_DESTROY) {
            return;
        }
        s_current->OnAnnounced(window, thread, event == EVENT_OBJECT_SHOW);
    }

    void OnAnnounced(HWND window, DWORD thread, bool shown)
    {
        if (::IsWindow(window)) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            // Top-level windows only, not the controls inside them or message-only windows.
            if (::GetAncestor(window, GA_PARENT) == ::GetDesktopWindow()) {
                Note(window, owner, WindowClassName(window), shown, true);
            }
            return;
        }
        // Shown and gone already: the thread that showed it tells whose it was.
        if (const HANDLE handle = shown ? ::OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, thread) : nullptr) {
            Note(window, ::GetProcessIdOfThread(handle), {}, true, true);
            ::CloseHandle(handle);
        }
    }

    void Note(HWND window, DWORD processId, std::wstring className, bool shown, bool announced)
    {
        const auto known = std::find_if(m_seen.begin(), m_seen.end(), [&](const Seen& seen) {
            return seen.window == window && seen.processId == processId;
        });
        if (known == m_seen.end()) {
            m_seen.push_back({window, processId, std::move(className), shown, announced});
        } else {
            known->shown = known->shown || shown;
            known->announced = known->announced || announced;
        }
    }

    static inline ProgramWindows* s_current = nullptr;
    HWINEVENTHOOK m_hook = nullptr;
    DWORD m_processId = 0;
    std::vector<Seen> m_seen;
};

// ---- One run of quenlow.exe, from its splash window on -------------------------------------

class SplashE2eTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(QuenlowProgramPath().empty()) << "pass --quenlow=PATH to quenlow.exe";
        ASSERT_TRUE(m_windows.Hooked()) << "no window events: " << ::GetLastError();
        Start();
    }

    // Starts the program with no arguments, the pointer out of the way, and waits until its
    // splash window is on screen with the keyboard.
    void Start()
    {
        m_run.reset();
        m_run.emplace();
        m_windows.Watch(m_run->ProcessId());
        ASSERT_TRUE(BringToForeground(Splash())) << "not in front";
        // The splash window's own announcement has been read, so the checks for other windows
        // can see one.
        ASSERT_TRUE(PumpUntil([&] { return m_windows.Announced(kSplashClassName); }, kWindowComesWithin))
            << "no window events";
    }

    // Handles the window announcements and looks at the program's windows until the condition
    // holds; false after the timeout.
    bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
    {
        return testing::PumpUntil(
            [&] {
                m_windows.Look();
                return done();
            },
            timeout);
    }

    HWND Splash() const { return m_run->Splash(); }
    HWND Frame() const { return ::GetDlgItem(Splash(), ids::Frame1); }
    HWND Control(int id) const { return ::GetDlgItem(Frame(), id); }
    const ChildProcess& Process() const { return m_run->Process(); }

    std::vector<HWND> LabelsAndLogo() const
    {
        std::vector<HWND> controls{Control(ids::imgLogo)};
        for (std::size_t label = 0; label < splash::kLabelCount; ++label) {
            controls.push_back(Control(splash::ControlIdOf(static_cast<splash::LabelIndex>(label))));
        }
        return controls;
    }

    // A point on Frame1's own surface, given in twips from its top-left corner, and checked to
    // be beside every control inside it.
    POINT OnFrameSurface(int xTwips, int yTwips) const
    {
        const RECT frame = ClientOnScreen(Frame());
        POINT point{frame.left + ::MulDiv(frame.right - frame.left, xTwips, splash::kFrame1.width),
                    frame.top + ::MulDiv(frame.bottom - frame.top, yTwips, splash::kFrame1.height)};
        POINT inFrame = point;
        ::ScreenToClient(Frame(), &inFrame);
        EXPECT_EQ(::ChildWindowFromPointEx(Frame(), inFrame, CWP_SKIPINVISIBLE), Frame()) << "not beside the controls";
        return point;
    }

    // The splash window is still there and nothing else of the program was shown.
    void ExpectNothingHappened()
    {
        PumpUntil([] { return false; }, kNothingHappensFor);
        EXPECT_FALSE(Process().HasExited()) << "the program ended";
        EXPECT_TRUE(::IsWindow(Splash()) && ::IsWindowVisible(Splash())) << "the splash window closed";
        EXPECT_EQ(m_windows.Others({Splash()}), L"") << "other windows";
    }

    // The stopped services window opened, the splash window closed and the program goes on.
    void ExpectContinued()
    {
        const HWND list = m_run->ContinueToStoppedServices().Window();
        EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(Splash()); }, kReactionComesWithin))
            << "the splash window stayed";
        EXPECT_FALSE(Process().HasExited()) << "the program ended";
        // Nothing else came up on the way, no message box either.
        EXPECT_EQ(m_windows.Others({Splash(), list}), L"") << "other windows";
        // Closing the list window unloads the last window: the program ends by itself.
        ::PostMessageW(list, WM_CLOSE, 0, 0);
        EXPECT_EQ(Process().WaitForExit(kProcessEndsWithin), DWORD{0}) << "still running, or ended with another status";
    }

    // The program ended with success and showed nothing but its splash window.
    void ExpectEnded()
    {
        std::optional<DWORD> exitCode;
        PumpUntil(
            [&] {
                exitCode = Process().WaitForExit(std::chrono::milliseconds(0));
                return exitCode.has_value();
            },
            kProcessEndsWithin);
        // The program's announcements were all sent before it ended.
        PumpPending();
        EXPECT_EQ(exitCode, DWORD{0}) << "still running, or ended with another status";
        EXPECT_EQ(m_windows.Others({Splash()}), L"") << "other windows";
    }

    ProgramWindows m_windows; // before the process, so that it sees the process's first window

private:
    std::optional<WindowedRun> m_run;
};

TEST_F(SplashE2eTest, ShowsItsLabelsAsControlsThatOtherProgramsCanRead)
{
    // The system announced the splash window's creation: the checks for other windows can see one.
    EXPECT_TRUE(m_windows.Announced(kSplashClassName));
    EXPECT_EQ(m_windows.Others({Splash()}), L"");

    ASSERT_NE(Frame(), nullptr);
    // Built from the executable's version data and title.
    EXPECT_EQ(WindowText(Control(ids::lblVersion)), L"Version 1.0.0");
    EXPECT_EQ(WindowText(Control(ids::lblProductName)), L"Quenlow");
    EXPECT_EQ(WindowText(Control(ids::lblPlatform)), L"Ms Windows");
    EXPECT_EQ(WindowText(Control(ids::lblLicenseTo)), L"Freeware");
    for (const int id : {ids::lblCopyright, ids::lblCompany, ids::lblCompanyProduct, ids::lblWarning}) {
        SCOPED_TRACE(id);
        const std::wstring text = WindowText(Control(id));
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(text.find_first_of(L"\r\n"), std::wstring::npos) << "more than one line";
    }
    // Where they lie and how they are drawn is the in-process splash window test's.
    for (const HWND control : LabelsAndLogo()) {
        EXPECT_EQ(WindowClassName(control), L"Static");
        EXPECT_TRUE(::IsWindowVisible(control));
    }
}

TEST_F(SplashE2eTest, ACharacterKeyEndsTheProgramWithoutAnotherWindow)
{
    bool first = true;
    for (const WORD key : {WORD{'Q'}, WORD{VK_ESCAPE}, WORD{VK_RETURN}}) {
        SCOPED_TRACE(key);
        if (!first) {
            ASSERT_NO_FATAL_FAILURE(Start());
        }
        first = false;
        PressKey(key);
        ExpectEnded();
    }
}

TEST_F(SplashE2eTest, KeysWithoutACharacterDoNothing)
{
    for (const WORD key : {WORD{VK_LEFT}, WORD{VK_DOWN}, WORD{VK_F2}, WORD{VK_SHIFT}}) {
        SCOPED_TRACE(key);
        PressKey(key);
        ExpectNothingHappened();
    }
    // The keys did reach the window: a key with a character still ends the program.
    PressKey('A');
    ExpectEnded();
}

TEST_F(SplashE2eTest, PointerComingInAcrossTheMarginOpensTheStoppedServicesWindow)
{
    // From beside the window onto its left margin, at mid height.
    const RECT window = ClientOnScreen(Splash());
    const RECT frame = ScreenRect(Frame());
    const int y = (window.top + window.bottom) / 2;
    const POINT beside{ScreenRect(Splash()).left - 30, y};
    MovePointer(beside);
    ASSERT_TRUE(PumpUntilPointerAt(beside));
    ASSERT_TRUE(::IsWindow(Splash()));
    MovePointer(POINT{(window.left + frame.left) / 2, y});
    ExpectContinued();
}

TEST_F(SplashE2eTest, AClickOnTheFramesOwnSurfaceOpensTheStoppedServicesWindow)
{
    // Straight onto the frame beside the texts: moving over the frame does nothing ...
    const POINT beside = OnFrameSurface(3000, 300);
    MovePointer(beside);
    ExpectNothingHappened();
    // ... and clicking it continues.
    ClickAt(beside);
    ExpectContinued();
}

TEST_F(SplashE2eTest, ClicksOnTheLabelsAndTheLogoDoNothing)
{
    for (const HWND control : LabelsAndLogo()) {
        SCOPED_TRACE(::GetDlgCtrlID(control));
        ClickAt(CentreOf(control));
        ExpectNothingHappened();
    }
    // The clicks did arrive: one on the frame beside them continues.
    ClickAt(OnFrameSurface(1000, 3500));
    ExpectContinued();
}

} // namespace
} // namespace quenlow
