#include "bench/Options.h"

#include "common/Text.h"
#include "support/HostPath.h"
#include "support/TestOptions.h"

#include <array>
#include <cstdio>
#include <cwchar>
#include <exception>
#include <stdexcept>

namespace quenlow::bench {

namespace {

constexpr std::array<std::wstring_view, 3> kNumbers = {L"runs", L"count", L"entries"};
constexpr std::array<std::wstring_view, 10> kTexts = {
    L"label", L"service", L"case", L"quenlow", L"window", L"wmi-command", L"wmi-window", L"wmi-list",
    L"wmi-same-controls", L"service-program",
};

bool OneOf(std::wstring_view name, const auto& names)
{
    for (const std::wstring_view known : names) {
        if (known == name) {
            return true;
        }
    }
    return false;
}

int ReadNumber(std::wstring_view name, const std::wstring& text)
{
    wchar_t* end = nullptr;
    const long value = std::wcstol(text.c_str(), &end, 10);
    if (text.empty() || end == text.c_str() || *end != L'\0' || value < 0 || value > 1'000'000) {
        throw std::invalid_argument("a number is expected after --" + Utf8(name));
    }
    return static_cast<int>(value);
}

} // namespace

Options::Options(int argc, wchar_t** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::wstring_view argument(argv[i]);
        if (i == 1 && !argument.starts_with(L"--")) {
            m_part = argument;
            continue;
        }
        const auto equals = argument.find(L'=');
        const std::wstring_view name =
            argument.starts_with(L"--") ? argument.substr(2, equals == std::wstring_view::npos ? equals : equals - 2)
                                        : std::wstring_view();
        if (equals == std::wstring_view::npos || !(OneOf(name, kNumbers) || OneOf(name, kTexts))) {
            throw std::invalid_argument("unknown option " + Utf8(argument));
        }
        const std::wstring value(argument.substr(equals + 1));
        if (OneOf(name, kNumbers)) {
            ReadNumber(name, value);
        }
        m_values[std::wstring(name)] = value;
    }
    if (const auto label = m_values.find(L"label"); label != m_values.end()) {
        m_label = Utf8(label->second);
    }
    if (m_values.contains(L"quenlow")) {
        testing::SetQuenlowProgramPath(Path(L"quenlow"));
    }
}

int Options::Rounds(int fallback) const
{
    const int rounds = Number(L"runs", fallback);
    if (rounds < 1) {
        throw std::invalid_argument("--runs must be at least 1");
    }
    return rounds;
}

int Options::Number(std::wstring_view name, int fallback) const
{
    const auto found = m_values.find(name);
    return found == m_values.end() ? fallback : ReadNumber(name, found->second);
}

const std::wstring& Options::Text(std::wstring_view name) const
{
    const auto found = m_values.find(name);
    if (found == m_values.end() || found->second.empty()) {
        throw std::invalid_argument("--" + Utf8(name) + "=... is required");
    }
    return found->second;
}

std::wstring Options::Path(std::wstring_view name) const
{
    return testing::HostPathToWindows(Text(name));
}

int RunPart(int argc, wchar_t** argv, const char* program, std::span<const Part> parts)
{
    try {
        const Options options(argc, argv);
        for (const Part& part : parts) {
            if (part.name == options.Part()) {
                return part.run(options);
            }
        }
        std::string names;
        for (const Part& part : parts) {
            names += (names.empty() ? "" : "|") + Utf8(part.name);
        }
        std::fprintf(stderr, "usage: %s %s [--OPTION=VALUE ...] (bench/Options.h)\n", program, names.c_str());
        return 2;
    } catch (const std::exception& error) {
        // quenlow::Error says its number and description too.
        std::fprintf(stderr, "%s: %s\n", program, error.what());
    }
    return 1;
}

} // namespace quenlow::bench
