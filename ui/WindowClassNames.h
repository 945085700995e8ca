#pragma once

// The window classes of the program's own windows: the program registers them, and tests and
// benchmarks find a running program's windows by them.
namespace quenlow {

inline constexpr wchar_t kSplashClassName[] = L"QuenlowSplash";
inline constexpr wchar_t kSplashFrameClassName[] = L"QuenlowSplashFrame";
inline constexpr wchar_t kListWindowClassName[] = L"QuenlowListWindow";

} // namespace quenlow
