// The rules every window of the program shares, in this process: how a failed Win32 call
// becomes the program's error.
#include "common/Error.h"
#include "common/HResultText_win.h"

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

} // namespace
} // namespace quenlow
