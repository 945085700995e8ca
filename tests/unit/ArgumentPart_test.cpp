#include "start/ArgumentPart.h"

#include <gtest/gtest.h>

namespace quenlow {
namespace {

TEST(ArgumentPart, FollowsTheProgramNameAsWindowsEndsIt)
{
    EXPECT_EQ(ArgumentPartOf(L"quenlow.exe"), L"");
    EXPECT_EQ(ArgumentPartOf(L"quenlow.exe /start spooler"), L"/start spooler");
    // A quoted name ends at its closing quote, even with no blank after it.
    EXPECT_EQ(ArgumentPartOf(L"\"C:\\Program Files\\quenlow.exe\" /stop x"), L"/stop x");
    EXPECT_EQ(ArgumentPartOf(L"\"C:\\Program Files\\quenlow.exe\"/stop x"), L"/stop x");
    EXPECT_EQ(ArgumentPartOf(L"\"C:\\unclosed quote /stop x"), L"");
    // A tab also ends an unquoted name.
    EXPECT_EQ(ArgumentPartOf(L"quenlow.exe\t/start a"), L"/start a");
}

TEST(ArgumentPart, KeepsQuotesInnerBlanksAndTrailingBlanks)
{
    EXPECT_EQ(ArgumentPartOf(L"q.exe   /start  \"my svc\"  "), L"/start  \"my svc\"  ");
    EXPECT_EQ(ArgumentPartOf(L"q.exe    "), L"");
}

} // namespace
} // namespace quenlow
