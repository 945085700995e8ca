#include "start/CommandLine.h"

#include <gtest/gtest.h>

namespace quenlow {
namespace {

using Kind = Command::Kind;

struct Case {
    const wchar_t* argumentText;
    Kind kind;
    const wchar_t* name;
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << ::testing::PrintToString(std::wstring(c.argumentText));
}

class CommandLineTest : public ::testing::TestWithParam<Case> {};

TEST_P(CommandLineTest, ChoosesPathAndName)
{
    const Case& c = GetParam();
    const Command command = ParseCommandLine(c.argumentText);
    EXPECT_EQ(command.kind, c.kind);
    if (c.kind == Kind::Start || c.kind == Kind::Stop) {
        EXPECT_EQ(command.serviceName, c.name);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Dispatch, CommandLineTest,
    ::testing::Values(
        // Empty or blank: the windowed path.
        Case{L"", Kind::Windowed, L""}, Case{L"   ", Kind::Windowed, L""},
        // Ordinary use, any letter case; the name reaches the service layer lowered.
        Case{L"/start spooler", Kind::Start, L"spooler"}, Case{L"/STOP Spooler", Kind::Stop, L"spooler"},
        Case{L"  /Start  PlugPlay  ", Kind::Start, L" plugplay"},
        // Only the space is a blank: a tab is part of the text.
        Case{L"/start\tx", Kind::Unrecognised, L""},
        // "/start" with nothing after it loses its blank to the trim and is not a command.
        Case{L"/start", Kind::Unrecognised, L""}, Case{L"/start   ", Kind::Unrecognised, L""},
        // "/stop" alone has no blank: the whole text is the name.
        Case{L"/stop", Kind::Stop, L"/stop"}, Case{L"/stopx", Kind::Stop, L"/stopx"},
        // Blanks inside the name stay; a word before the command word becomes part of the name.
        Case{L"/stop print spooler", Kind::Stop, L"print spooler"},
        Case{L"please /start spooler", Kind::Start, L"/start spooler"},
        // "/start " is tested before "/stop", in whichever order they stand.
        Case{L"/stop a /start b", Kind::Start, L"a /start b"}, Case{L"/start a/stop", Kind::Start, L"a/stop"},
        // A "/start" at the very end has no blank after it: only "/stop" counts then.
        Case{L"/stop x/start", Kind::Stop, L"x/start"},
        // Quotes stay in the name.
        Case{L"/start \"my service\"", Kind::Start, L"\"my service\""},
        // Anything else is not understood.
        Case{L"-start spooler", Kind::Unrecognised, L""}, Case{L"hello", Kind::Unrecognised, L""}));

TEST(CommandLine, LowersLettersBeyondAscii)
{
    EXPECT_EQ(ParseCommandLine(L"/START ÄBC").serviceName, L"äbc");
}

} // namespace
} // namespace quenlow
