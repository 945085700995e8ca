#pragma once

#include <string>
#include <string_view>

namespace quenlow {

struct Command {
    enum class Kind { Windowed, Start, Stop, Unrecognised };
    Kind kind = Kind::Windowed;
    std::wstring serviceName; // for Start and Stop
};

// Reads the argument part of the command line: trimmed of blanks, lowered, then
// "/start " (with its blank) is looked for before "/stop"; the name is everything after
// the first blank of the whole text, or the whole text when it has no blank.
Command ParseCommandLine(std::wstring_view argumentText);

} // namespace quenlow
