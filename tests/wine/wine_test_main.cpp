// The main of every Windows-side test program: GoogleTest's own flags, and --quenlow=PATH for
// the program under test.
#include "support/TestOptions.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string_view>

int wmain(int argc, wchar_t** argv)
{
    // A fault in a test, or in a program it starts (the mode is inherited), must fail the test
    // rather than wait for someone to close a system error box.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);

    ::testing::InitGoogleTest(&argc, argv);
    constexpr std::wstring_view kProgramFlag = L"--quenlow=";
    for (int i = 1; i < argc; ++i) {
        const std::wstring_view argument = argv[i];
        if (argument.starts_with(kProgramFlag)) {
            quenlow::testing::SetQuenlowProgramPath(std::wstring(argument.substr(kProgramFlag.size())));
        }
    }
    return RUN_ALL_TESTS();
}
