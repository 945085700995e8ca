#pragma once

namespace quenlow::bench {

// The window class of the minimal Win32 program, by which the harness finds its window.
inline constexpr wchar_t kMinimalWindowClass[] = L"QuenlowBenchWindow";

} // namespace quenlow::bench
