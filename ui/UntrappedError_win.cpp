#include "ui/UntrappedError_win.h"

#include "common/Error.h"
#include "common/ExitStatus.h"
#include "ui/MessageBox_win.h"

#include <windows.h>

#include <exception>
#include <new>

namespace quenlow {

namespace {

// Set by the first report; a fault while reporting ends the process without a second box.
volatile LONG g_reporting = 0;

// A GCC C++ exception on its way up: the runtime expects it to be continued so that it can
// call std::terminate when no handler takes it (the C runtime's own filter does the same).
constexpr DWORD kGccThrowMask = 0x20FFFFFF;
constexpr DWORD kGccThrow = 0x20474343;

struct UntrappedError {
    std::int32_t number;
    std::wstring description;
};

std::wstring Widen(const char* text)
{
    if (!text || !*text) {
        return {};
    }
    for (const UINT codePage : {static_cast<UINT>(CP_UTF8), static_cast<UINT>(CP_ACP)}) {
        const DWORD flags = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
        const int length = ::MultiByteToWideChar(codePage, flags, text, -1, nullptr, 0);
        if (length > 1) {
            std::wstring wide(static_cast<std::size_t>(length), L'\0');
            ::MultiByteToWideChar(codePage, flags, text, -1, wide.data(), length);
            wide.resize(static_cast<std::size_t>(length - 1));
            return wide;
        }
    }
    return {};
}

// Must be called inside a catch block or with an exception in flight.
UntrappedError DescribeCurrentException()
{
    try {
        throw;
    } catch (const Error& error) {
        return {error.Number(), error.Description()};
    } catch (const std::bad_alloc&) {
        return {static_cast<std::int32_t>(E_OUTOFMEMORY), L"Out of memory"};
    } catch (const std::exception& error) {
        const std::wstring what = Widen(error.what());
        return {static_cast<std::int32_t>(E_UNEXPECTED),
                L"Unexpected internal error" + (what.empty() ? std::wstring() : L": " + what)};
    } catch (...) {
        return {static_cast<std::int32_t>(E_UNEXPECTED), L"Unexpected internal error of unknown kind"};
    }
}

const wchar_t* DescribeFault(DWORD code)
{
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
        return L"Access violation: the program read or wrote memory it does not own";
    case EXCEPTION_STACK_OVERFLOW:
        return L"Stack overflow";
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
        return L"Integer division by zero";
    case EXCEPTION_ILLEGAL_INSTRUCTION:
        return L"Illegal instruction";
    case EXCEPTION_IN_PAGE_ERROR:
        return L"The program's file could not be read from disk";
    default:
        return L"Unexpected fault in the program";
    }
}

[[noreturn]] void EndProcessNow()
{
    ::TerminateProcess(::GetCurrentProcess(), kExitUntrappedError);
    ::ExitProcess(kExitUntrappedError); // not reached
}

DWORD WINAPI ReportFaultOnFreshStack(void* parameter)
{
    const auto code = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(parameter));
    ReportUntrappedError(static_cast<std::int32_t>(code), DescribeFault(code));
    return 0;
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* exception)
{
    const EXCEPTION_RECORD* record = exception->ExceptionRecord;
    const DWORD code = record->ExceptionCode;
    if ((code & kGccThrowMask) == kGccThrow && (record->ExceptionFlags & EXCEPTION_NONCONTINUABLE) == 0) {
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    if (::InterlockedExchange(&g_reporting, 1) == 0) {
        if (code == EXCEPTION_STACK_OVERFLOW) {
            // Too little stack is left here to show a box.
            if (HANDLE thread = ::CreateThread(nullptr, 0, ReportFaultOnFreshStack,
                                               reinterpret_cast<void*>(static_cast<ULONG_PTR>(code)), 0, nullptr)) {
                ::WaitForSingleObject(thread, INFINITE);
                ::CloseHandle(thread);
            }
        } else {
            ReportFaultOnFreshStack(reinterpret_cast<void*>(static_cast<ULONG_PTR>(code)));
        }
    }
    EndProcessNow();
}

[[noreturn]] void OnTerminate()
{
    if (::InterlockedExchange(&g_reporting, 1) == 0) {
        if (std::current_exception()) {
            const UntrappedError error = DescribeCurrentException();
            ReportUntrappedError(error.number, error.description);
        } else {
            ReportUntrappedError(static_cast<std::int32_t>(E_UNEXPECTED), L"The program's runtime stopped it");
        }
    }
    EndProcessNow();
}

} // namespace

void ReportUntrappedError(std::int32_t number, const std::wstring& description)
{
    ShowMessageBox(nullptr, UntrappedErrorText(number, description), MB_ICONERROR);
}

void ReportCurrentException() noexcept
{
    try {
        const UntrappedError error = DescribeCurrentException();
        ::InterlockedExchange(&g_reporting, 1);
        ReportUntrappedError(error.number, error.description);
    } catch (...) {
        // Out of memory while building the report: nothing more can be shown.
    }
}

void EndWithCurrentException() noexcept
{
    ReportCurrentException();
    ::ExitProcess(kExitUntrappedError);
}

void InstallUntrappedErrorHandlers() noexcept
{
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    ::SetUnhandledExceptionFilter(OnUnhandledException);
    std::set_terminate(OnTerminate);
}

} // namespace quenlow
