// The rules every window of the program shares, in this process: how a failed Win32 call
// becomes the program's error, where a centred window goes, and what a wait for the worker lets
// through.
#include "common/Error.h"
#include "common/ExitStatus.h"
#include "common/HResultText_win.h"
#include "work/ServiceWorkWait_win.h"
#include "ui/WindowPlacement_win.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

namespace quenlow {
namespace {

// The error ThrowLastError raises with the thread's last error set as given.
Error LastErrorAsError(DWORD lastError)
{
    ::SetLastError(lastError);
    try {
        ThrowLastError(L"testing the kit");
    } catch (const Error& error) {
        return error;
    }
}

TEST(ThrowLastError, GivesTheLastErrorAsAnHResultAndSaysWhatWasBeingDone)
{
    const Error error = LastErrorAsError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(error.Number(), static_cast<std::int32_t>(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)));
    EXPECT_NE(error.Description().find(L"(while testing the kit)"), std::wstring::npos);
}

TEST(ThrowLastError, ACallThatFailedWithoutALastErrorIsNeverReportedAsError0)
{
    EXPECT_EQ(LastErrorAsError(ERROR_SUCCESS).Number(), static_cast<std::int32_t>(E_FAIL));
}

TEST(CentredInWorkArea, CentresOnTheWorkAreaRatherThanOnTheWholeScreen)
{
    // A 1024 x 768 screen with a task bar 40 pixels high along its top.
    const POINT place = CentredInWorkArea(SIZE{400, 300}, RECT{0, 40, 1024, 768});
    EXPECT_EQ(place.x, 312);
    EXPECT_EQ(place.y, 254);
}

TEST(CentredInWorkArea, AWindowLargerThanTheWorkAreaKeepsItsTitleBarInReach)
{
    // The work area of a monitor to the left of the primary one.
    const POINT place = CentredInWorkArea(SIZE{1400, 1000}, RECT{-1280, 0, 0, 984});
    EXPECT_EQ(place.x, -1280);
    EXPECT_EQ(place.y, 0);
}

using namespace std::chrono_literals;

// What a window saw while the program waited for its worker.
struct Seen {
    HCURSOR cursorAtPaintTime = nullptr;
    bool enabledAtPaintTime = true;
    bool painted = false;
    bool keyHandled = false;
};

LRESULT CALLBACK RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* seen = reinterpret_cast<Seen*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (seen && message == WM_APP) {
        seen->painted = true;
        seen->cursorAtPaintTime = ::GetCursor();
        seen->enabledAtPaintTime = ::IsWindowEnabled(window) != FALSE;
        return 0;
    }
    if (seen && message == WM_KEYDOWN) {
        seen->keyHandled = true;
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// The wait of a program with one window, on the command line's terms.
class OneWindowHost final : public IWaitHost {
public:
    explicit OneWindowHost(HWND window) : m_window(window) {}
    HWND WaitOwner() const override { return nullptr; }
    std::vector<HWND> WaitWindows() const override { return {m_window}; }
    int ExitStatusAtSessionEnd() const override { return kExitStillPending; }

private:
    HWND m_window;
};

TEST(ServiceWorkWait, AWaitHandlesTheWindowsMessagesUnderTheWaitCursorButSetsInputAsideAndKeepsTheQuit)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = RecordingProcedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QuenlowKitTestWaitWindow";
    ASSERT_NE(::RegisterClassExW(&windowClass), 0);
    const HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                          nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    Seen seen;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&seen));
    const HCURSOR arrow = ::LoadCursorW(nullptr, IDC_ARROW);
    ::SetCursor(arrow);

    const OneWindowHost host(window);
    WmiWorker worker;
    WaitSafety safety;
    Win32ServiceWork work(windowClass.hInstance, worker, host, safety);
    work.Start(ListReadBoard(L"test services"), [](WorkSite& site) { site.clock.WaitFor(300ms); });
    ::PostMessageW(window, WM_APP, 0, 0);
    ::PostMessageW(window, WM_KEYDOWN, VK_SPACE, 0);
    ::PostQuitMessage(7);
    EXPECT_FALSE(work.Finish().stopped);
    // Nothing is left over for whatever comes after the wait.
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) && message.message != WM_QUIT) {
        ::DispatchMessageW(&message);
    }

    EXPECT_TRUE(seen.painted);
    EXPECT_EQ(seen.cursorAtPaintTime, ::LoadCursorW(nullptr, IDC_WAIT));
    EXPECT_FALSE(seen.enabledAtPaintTime) << "the program's window took input during the wait";
    EXPECT_TRUE(::IsWindowEnabled(window)) << "the window was not enabled again";
    EXPECT_FALSE(seen.keyHandled) << "a key pressed during the wait was acted on";
    EXPECT_EQ(::GetCursor(), arrow) << "the cursor from before the wait did not come back";
    ASSERT_EQ(message.message, static_cast<UINT>(WM_QUIT)) << "the wait lost the quit";
    EXPECT_EQ(message.wParam, 7u);
    ::DestroyWindow(window);
    ::UnregisterClassW(windowClass.lpszClassName, windowClass.hInstance);
}

// No call cuts a connection to WMI short: the wait gives the work up once its board says one
// has taken the limit, and the list read fails as a connection that could give up would.
TEST(ServiceWorkWait, AConnectionThatTakesTheLimitEndsTheWaitWithNoAnswerFromWmi)
{
    const HWND window = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                          ::GetModuleHandleW(nullptr), nullptr);
    const OneWindowHost host(window);
    WmiWorker worker;
    WaitSafety safety;
    Win32ServiceWork work(::GetModuleHandleW(nullptr), worker, host, safety);
    work.Start(ListReadBoard(L"test services"), [](WorkSite& site) {
        site.board.connectingSince = site.clock.Now() - kWmiAnswerLimit + 500ms;
        site.Report();
        ::Sleep(3000); // held by WMI: stopping the wait does not end it
    });
    try {
        work.Finish();
        ADD_FAILURE() << "the wait lasted until the work ended, without an error";
    } catch (const Error& error) {
        EXPECT_TRUE(IsNoAnswerFromWmi(error));
    }
    ::DestroyWindow(window);
}

// A look still with WMI when the user stops waiting, back a moment later with the service running:
// it counts, and the worker, ended within the grace, runs the next piece of work on its thread.
Win32ServiceWork* g_stopWaiting = nullptr;

void CALLBACK StopWaitingNow(HWND, UINT, UINT_PTR timer, DWORD)
{
    ::KillTimer(nullptr, timer);
    g_stopWaiting->StopWaiting();
}

TEST(ServiceWorkWait, WorkThatEndsWithinTheGraceAfterStopWaitingCountsAndKeepsItsThread)
{
    const HWND window = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                          ::GetModuleHandleW(nullptr), nullptr);
    const OneWindowHost host(window);
    WmiWorker worker;
    WaitSafety safety;
    Win32ServiceWork work(::GetModuleHandleW(nullptr), worker, host, safety);
    std::atomic<DWORD> firstThread = 0;
    work.Start(ServiceActionBoard(ServiceMethod::Start, {L"slow"}), [&](WorkSite& site) {
        firstThread = ::GetCurrentThreadId();
        site.clock.WaitFor(60s);
        ::Sleep(30);
        site.board.entries.front().stage = WorkEntry::Stage::Settled;
        site.board.entries.front().outcome.kind = ServiceOutcome::Kind::Succeeded;
    });
    g_stopWaiting = &work;
    ::SetTimer(nullptr, 0, 100, &StopWaitingNow);
    EXPECT_EQ(work.Finish().board.entries.front().outcome.kind, ServiceOutcome::Kind::Succeeded)
        << "what the work saw within the grace was thrown away";
    std::atomic<DWORD> nextThread = 0;
    work.Start(ListReadBoard(L"next"), [&](WorkSite&) { nextThread = ::GetCurrentThreadId(); });
    work.Finish();
    EXPECT_EQ(nextThread, firstThread) << "a worker that ended within the grace was replaced";
    ::DestroyWindow(window);
}

} // namespace
} // namespace quenlow
