#pragma once

namespace quenlow::bench {

// The caption of the bare WMI command program's message box, which the harness answers.
inline constexpr wchar_t kBareWmiCommandTitle[] = L"Bare WMI command";

} // namespace quenlow::bench
