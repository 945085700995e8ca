#pragma once

#include <string_view>

// The names WMI gives Win32_Service's properties, states and methods, written once.
namespace quenlow::wmi {

// Properties.
inline constexpr std::wstring_view kName = L"Name";
inline constexpr std::wstring_view kDisplayName = L"DisplayName";
inline constexpr std::wstring_view kState = L"State";
inline constexpr std::wstring_view kCheckPoint = L"CheckPoint";
inline constexpr std::wstring_view kWaitHint = L"WaitHint";
inline constexpr std::wstring_view kExitCode = L"ExitCode";
inline constexpr std::wstring_view kServiceSpecificExitCode = L"ServiceSpecificExitCode";
// The object path, which method calls need, and the answer of a method.
inline constexpr std::wstring_view kPath = L"__PATH";
inline constexpr std::wstring_view kReturnValue = L"ReturnValue";

// The values of State.
inline constexpr std::wstring_view kRunning = L"Running";
inline constexpr std::wstring_view kStopped = L"Stopped";
inline constexpr std::wstring_view kPaused = L"Paused";
inline constexpr std::wstring_view kStartPending = L"Start Pending";
inline constexpr std::wstring_view kStopPending = L"Stop Pending";
inline constexpr std::wstring_view kContinuePending = L"Continue Pending";
inline constexpr std::wstring_view kPausePending = L"Pause Pending";

// Methods.
inline constexpr std::wstring_view kStartService = L"StartService";
inline constexpr std::wstring_view kStopService = L"StopService";

// What each kind of query keeps of an instance: a list its texts; a request what finds the service
// and calls it; a look what tells where the service is.
inline constexpr std::wstring_view kListProperties[] = {kDisplayName, kName};
inline constexpr std::wstring_view kRequestProperties[] = {kName, kDisplayName, kState, kPath};
inline constexpr std::wstring_view kLookProperties[] = {kName, kState, kCheckPoint, kWaitHint, kExitCode,
                                                        kServiceSpecificExitCode};

} // namespace quenlow::wmi
