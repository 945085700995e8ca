// Feeds arbitrary argument texts to the command-line dispatch and checks the rules that hold for
// every text, whatever it holds: blanks, letter case, NUL, letters beyond ASCII.
#include "FuzzText.h"
#include "start/CommandLine.h"

#include <clocale>
#include <cstddef>
#include <cstdint>
#include <cwctype>
#include <string>
#include <string_view>

namespace {

using quenlow::Command;
using quenlow::ParseCommandLine;
using quenlow::fuzz::Check;
using Kind = Command::Kind;

// The argument text as the dispatch sees it: only the space is a blank, and letters are lowered
// one by one by the C library, which is the portable build's idea of case.
std::wstring CommandText(std::wstring_view argumentText)
{
    std::size_t first = 0;
    std::size_t end = argumentText.size();
    while (first < end && argumentText[first] == L' ') {
        ++first;
    }
    while (end > first && argumentText[end - 1] == L' ') {
        --end;
    }
    std::wstring text(argumentText.substr(first, end - first));
    for (wchar_t& c : text) {
        c = static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c)));
    }
    return text;
}

std::wstring SwapAsciiCase(std::wstring_view text)
{
    std::wstring swapped(text);
    for (wchar_t& c : swapped) {
        if (c >= L'a' && c <= L'z') {
            c = static_cast<wchar_t>(c - L'a' + L'A');
        } else if (c >= L'A' && c <= L'Z') {
            c = static_cast<wchar_t>(c - L'A' + L'a');
        }
    }
    return swapped;
}

bool Same(const Command& a, const Command& b)
{
    return a.kind == b.kind && a.serviceName == b.serviceName;
}

void CheckCommand(std::wstring_view input)
{
    const Command command = ParseCommandLine(input);
    const std::wstring text = CommandText(input);
    const std::wstring& name = command.serviceName;

    const bool hasStart = text.find(L"/start ") != std::wstring::npos;
    const bool hasStop = text.find(L"/stop") != std::wstring::npos;
    Check((command.kind == Kind::Windowed) == text.empty(), "windowed exactly when the text is blank", input);
    Check((command.kind == Kind::Start) == hasStart, "a start exactly when \"/start \" occurs", input);
    Check((command.kind == Kind::Stop) == (hasStop && !hasStart),
          "a stop exactly when \"/stop\" occurs and \"/start \" does not", input);

    if (command.kind == Kind::Windowed || command.kind == Kind::Unrecognised) {
        Check(name.empty(), "no name without a command", input);
    } else {
        // The name is what follows the first blank of the whole text, or the whole text when it
        // has none; so it is a non-empty suffix, never ends in a blank, and is already lowered.
        Check(!name.empty() && name.size() <= text.size(), "the name is a non-empty part of the text", input);
        const std::size_t start = text.size() - name.size();
        Check(text.compare(start, name.size(), name) == 0, "the name is a suffix of the command text", input);
        const std::size_t firstBlank = text.find(L' ');
        if (firstBlank == std::wstring::npos) {
            Check(start == 0, "with no blank the whole text is the name", input);
        } else {
            Check(start == firstBlank + 1, "the name starts right after the first blank", input);
        }
        Check(command.kind == Kind::Stop || firstBlank != std::wstring::npos, "a start always has a blank", input);
        Check(name.back() != L' ', "the name does not end in a blank", input);
    }

    // Blanks around the text and the case of ASCII letters change nothing.
    std::wstring padded = L" ";
    padded += input;
    padded += L"   ";
    Check(Same(ParseCommandLine(padded), command), "blanks around the text change nothing", input);
    Check(Same(ParseCommandLine(SwapAsciiCase(input)), command), "the case of ASCII letters changes nothing",
          input);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Letters beyond ASCII are lowered by the C library in the portable build, as in the unit tests.
    std::setlocale(LC_ALL, "C.UTF-8");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CheckCommand(quenlow::fuzz::DecodeText(data, size));
    return 0;
}
