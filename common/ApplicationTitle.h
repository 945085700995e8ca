#pragma once

namespace quenlow {

// The caption of every message box; the same name the executable's version data declares.
inline constexpr wchar_t kApplicationTitle[] = L"Quenlow";

} // namespace quenlow
