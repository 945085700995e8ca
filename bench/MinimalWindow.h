#pragma once

namespace quenlow::bench {

// The window class of the minimal Win32 program, by which the harness finds its window.
inline constexpr wchar_t kMinimalWindowClass[] = L"QuenlowBenchWindow";
// The window class of the bare program that reads the stopped services through WMI and shows
// them in one window.
inline constexpr wchar_t kBareWmiWindowClass[] = L"QuenlowBenchWmiWindow";

} // namespace quenlow::bench
