#include "start/CommandLine.h"

#include "common/Text.h"

namespace quenlow {

namespace {

std::wstring_view TrimBlanks(std::wstring_view text)
{
    const auto first = text.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(L' ');
    return text.substr(first, last - first + 1);
}

std::wstring AfterFirstBlank(const std::wstring& text)
{
    const auto blank = text.find(L' ');
    return blank == std::wstring::npos ? text : text.substr(blank + 1);
}

} // namespace

Command ParseCommandLine(std::wstring_view argumentText)
{
    const std::wstring text = LowerCase(TrimBlanks(argumentText));
    if (text.empty()) {
        return {Command::Kind::Windowed, {}};
    }
    if (text.find(L"/start ") != std::wstring::npos) {
        return {Command::Kind::Start, AfterFirstBlank(text)};
    }
    if (text.find(L"/stop") != std::wstring::npos) {
        return {Command::Kind::Stop, AfterFirstBlank(text)};
    }
    return {Command::Kind::Unrecognised, {}};
}

} // namespace quenlow
