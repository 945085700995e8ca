#pragma once

#include <map>
#include <span>
#include <string>
#include <string_view>

// The command line of a benchmark program, read once:
//   PART [--runs=N] [--label=TEXT] [--count=N] [--entries=N] [--service=NAME] [--case=NAME]
//        [--quenlow=PATH] [--window=PATH] [--wmi-command=PATH] [--wmi-window=PATH]
//        [--wmi-list=PATH] [--wmi-same-controls=PATH] [--service-program=PATH]
namespace quenlow::bench {

class Options {
public:
    // Throws std::invalid_argument for an option it does not know or a number it cannot read.
    // --quenlow=PATH is also the program that testing::WindowedRun starts.
    Options(int argc, wchar_t** argv);

    // The part to run: the first argument.
    const std::wstring& Part() const noexcept { return m_part; }
    // The counted rounds: --runs=N, or the part's own default; at least 1.
    int Rounds(int fallback = 7) const;
    // --label=TEXT in UTF-8, added to the figures' names ("+300 services"); empty when not given.
    const std::string& Label() const noexcept { return m_label; }
    // --name=N, or the fallback.
    int Number(std::wstring_view name, int fallback) const;
    // --name=TEXT; throws when it is missing.
    const std::wstring& Text(std::wstring_view name) const;
    // --name=PATH as Windows programs take it (Wine shows the Unix root as Z:); throws when it is missing.
    std::wstring Path(std::wstring_view name) const;

private:
    std::wstring m_part;
    std::string m_label;
    std::map<std::wstring, std::wstring, std::less<>> m_values;
};

// A part of a benchmark program and the function that runs it, printing its figures.
struct Part {
    std::wstring_view name;
    int (*run)(const Options& options);
};

// A benchmark program's main: runs the part its options name and returns its exit status; 2 with
// the usage for a part it does not have, 1 with the error for anything that throws.
int RunPart(int argc, wchar_t** argv, const char* program, std::span<const Part> parts);

} // namespace quenlow::bench
