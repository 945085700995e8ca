#pragma once

#include <string>
#include <vector>

namespace quenlow {

// Puts list texts in alphabetical order without regard to case. Equal texts are all kept,
// in the order they came.
void SortListTexts(std::vector<std::wstring>& texts);

} // namespace quenlow
