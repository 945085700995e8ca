#pragma once

#include <string_view>

namespace quenlow {

// Whether anyone can see the program's windows: not in session 0 (a service, also one allowed to
// interact with the desktop, and what it starts), nor on a window station without the visible
// flag, as under a scheduled task that runs whether the user is logged on or not or a remote
// shell, where a box would wait for ever for an answer that never comes.
bool WindowsCanBeSeen() noexcept;

// Writes the text as one line (its line breaks made blanks) to the process's standard error,
// where it has a usable one: UTF-16 to a console, UTF-8 to a file or a pipe.
void WriteToStandardError(std::wstring_view text) noexcept;

} // namespace quenlow
