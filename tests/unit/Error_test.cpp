// The program's error: its number written as the report shows it, and the report itself.
#include "common/Error.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace quenlow {
namespace {

TEST(UntrappedError, ReportGivesNumberAndDescription)
{
    const std::wstring text = UntrappedErrorText(static_cast<std::int32_t>(0x80041017u), L"Invalid query");
    EXPECT_NE(text.find(L"0x80041017"), std::wstring::npos);
    EXPECT_NE(text.find(L"Invalid query"), std::wstring::npos);
    EXPECT_EQ(FormatErrorNumber(5), L"5");
}

TEST(Error, WhatGivesNumberAndDescriptionInUtf8)
{
    const Error error(static_cast<std::int32_t>(0x80070005u), L"Zugriff verweigert \u00FC");
    EXPECT_STREQ(error.what(), "0x80070005: Zugriff verweigert \xC3\xBC");
}

} // namespace
} // namespace quenlow
