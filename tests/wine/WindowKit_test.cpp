// The rules every window of the program shares, in this process: how a failed Win32 call
// becomes the program's error, and where a centred window goes.
#include "common/Error.h"
#include "common/HResultText_win.h"
#include "ui/WindowPlacement_win.h"

#include <gtest/gtest.h>

#include <windows.h>

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

} // namespace
} // namespace quenlow
