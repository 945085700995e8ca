// Runs a program with its standard error in a file, and writes its exit status to another once
// it has ended: the task scheduler keeps neither, so the tests have it run this instead.
//
//   record_run RESULT LIMIT_MS PROGRAM [ARGUMENT...]
//
// RESULT.err gets the program's standard error. RESULT.status comes last, whole: the exit status
// in decimal, "running" when the program was still running at the limit (it is ended then), or
// "failed: ..." when it could not be run.
#include "common/Error.h"
#include "common/UniqueHandle_win.h"
#include "support/ChildProcess.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>

namespace {

using namespace quenlow::testing;

std::wstring RunAndDescribe(const std::wstring& result, std::chrono::milliseconds limit,
                            const std::wstring& commandLine)
{
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    const quenlow::UniqueHandle error(::CreateFileW((result + L".err").c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                                    &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (error.get() == INVALID_HANDLE_VALUE) {
        return L"failed: CreateFileW error " + std::to_wstring(::GetLastError());
    }
    ChildProcess process = ChildProcess::Start(commandLine, ChildStartOptions{L"", nullptr, error.get()});
    const auto code = process.WaitForExit(limit);
    // One still running is ended through its handle when the object goes.
    return code ? std::to_wstring(*code) : L"running";
}

// Written aside and then renamed, so that a reader never finds it half written.
bool WriteStatus(const std::wstring& result, const std::wstring& status)
{
    const std::wstring part = result + L".status.part";
    FILE* file = _wfopen(part.c_str(), L"w");
    if (!file) {
        return false;
    }
    const bool written = std::fputws(status.c_str(), file) >= 0;
    return std::fclose(file) == 0 && written &&
           ::MoveFileExW(part.c_str(), (result + L".status").c_str(), MOVEFILE_REPLACE_EXISTING);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 4) {
        std::fwprintf(stderr, L"usage: record_run RESULT LIMIT_MS PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    const std::wstring result = argv[1];
    const std::chrono::milliseconds limit(std::wcstoul(argv[2], nullptr, 10));
    std::wstring commandLine = QuoteArgument(argv[3]);
    for (int i = 4; i < argc; ++i) {
        commandLine += L" " + QuoteArgument(argv[i]);
    }
    std::wstring status;
    try {
        status = RunAndDescribe(result, limit, commandLine);
    } catch (const quenlow::Error& error) {
        status = L"failed: " + quenlow::FormatErrorNumber(error.Number()) + L" " + error.Description();
    }
    return WriteStatus(result, status) ? 0 : 1;
}
