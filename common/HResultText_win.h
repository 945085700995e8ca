#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// Readable texts for COM and WMI failure codes, and the one way the Win32 layer turns a
// failed HRESULT or Win32 call into the portable quenlow::Error.
namespace quenlow {

// The system's words for the code (WMI's own for its status codes), or a short text of ours
// when the system has none; never empty.
std::wstring DescribeHResult(HRESULT hr);

// Throws quenlow::Error with the code and its description, followed by what was being done,
// e.g. "connecting to WMI namespace root\cimv2".
[[noreturn]] void ThrowHResult(HRESULT hr, std::wstring_view activity);

inline void ThrowIfFailed(HRESULT hr, std::wstring_view activity)
{
    if (FAILED(hr)) {
        ThrowHResult(hr, activity);
    }
}

// After a Win32 call failed: throws as ThrowHResult does with the thread's last error. A call
// that failed without setting one gives E_FAIL, so that no report ever shows the error 0.
[[noreturn]] void ThrowLastError(std::wstring_view activity);

} // namespace quenlow
