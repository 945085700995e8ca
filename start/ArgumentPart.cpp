#include "start/ArgumentPart.h"

namespace quenlow {

namespace {

constexpr std::wstring_view kSeparators = L" \t";

} // namespace

std::wstring_view ArgumentPartOf(std::wstring_view commandLine)
{
    std::size_t nameEnd = 0;
    if (commandLine.starts_with(L'"')) {
        const auto closingQuote = commandLine.find(L'"', 1);
        if (closingQuote == std::wstring_view::npos) {
            return {};
        }
        nameEnd = closingQuote + 1;
    } else {
        nameEnd = commandLine.find_first_of(kSeparators);
        if (nameEnd == std::wstring_view::npos) {
            return {};
        }
    }
    // The blanks and tabs between the name and the first argument separate them and belong to
    // neither; everything after them, trailing blanks and tabs included, is the argument part.
    const auto argumentStart = commandLine.find_first_not_of(kSeparators, nameEnd);
    return argumentStart == std::wstring_view::npos ? std::wstring_view() : commandLine.substr(argumentStart);
}

} // namespace quenlow
