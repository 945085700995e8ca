#pragma once

#include <string_view>

namespace quenlow {

// The argument part of a whole process command line: what follows the program's own name
// and the separator after it, as one text, unsplit, with its quotes. The name ends as
// Windows ends it: at the closing quote when it starts with one (no escapes), else at the
// first blank or tab.
std::wstring_view ArgumentPartOf(std::wstring_view commandLine);

} // namespace quenlow
