// The rules of an outcome: which return values are a success, and the words for each.
#include "services/ServiceOutcome.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <set>
#include <string>

namespace quenlow {
namespace {

TEST(ReturnValues, SuccessMeansTheServiceIsAsWanted)
{
    EXPECT_TRUE(IsSuccessfulReturn(ServiceMethod::Start, 0, L""));
    EXPECT_TRUE(IsSuccessfulReturn(ServiceMethod::Start, 10, L"Running"));
    EXPECT_FALSE(IsSuccessfulReturn(ServiceMethod::Start, 6, L"Stopped"));
    EXPECT_TRUE(IsSuccessfulReturn(ServiceMethod::Stop, 0, L"Running"));
    EXPECT_TRUE(IsSuccessfulReturn(ServiceMethod::Stop, 6, L"Stopped"));
    EXPECT_FALSE(IsSuccessfulReturn(ServiceMethod::Stop, 10, L"Running"));
    // 5 means "already stopped" only for a service that was stopped when it was found.
    EXPECT_TRUE(IsSuccessfulReturn(ServiceMethod::Stop, 5, L"Stopped"));
    EXPECT_FALSE(IsSuccessfulReturn(ServiceMethod::Stop, 5, L"Start Pending"));
    EXPECT_FALSE(IsSuccessfulReturn(ServiceMethod::Start, 5, L"Stopped"));
    for (const std::int32_t failure : {1, 2, 3, 7, 8, 14, 24, 25, -1}) {
        EXPECT_FALSE(IsSuccessfulReturn(ServiceMethod::Start, failure, L"Stopped")) << failure;
    }
}

// StartService and StopService document the return values 0 to 24: each has words of its own,
// never the fallback that names a number; every other value is named by its number.
TEST(ReturnValues, EveryDocumentedValueHasPlainWords)
{
    const std::wstring fallback = L"the service answered with return value ";
    std::set<std::wstring> descriptions;
    for (std::int32_t value = 0; value <= 24; ++value) {
        const std::wstring text = DescribeReturnValue(value);
        EXPECT_FALSE(text.empty()) << value;
        EXPECT_FALSE(text.starts_with(fallback)) << value;
        EXPECT_EQ(text.find_first_of(L"0123456789"), std::wstring::npos) << value << ": a number, not words";
        descriptions.insert(text);
    }
    EXPECT_EQ(descriptions.size(), 25u) << "two values share their words";
    // The reasons users meet most, as the reports word them.
    EXPECT_EQ(DescribeReturnValue(2), L"access is denied");
    EXPECT_EQ(DescribeReturnValue(7), L"the service did not respond in time");
    EXPECT_EQ(DescribeReturnValue(14), L"the service is disabled");
    for (const std::int32_t value : {25, 26, std::numeric_limits<std::int32_t>::max()}) {
        EXPECT_EQ(DescribeReturnValue(value), fallback + std::to_wstring(value));
    }
    // From 2^31 on, a value is a code (CIM's uint32 arrives negative), written as one.
    EXPECT_EQ(DescribeReturnValue(-1), fallback + L"0xFFFFFFFF");
    EXPECT_EQ(DescribeReturnValue(std::numeric_limits<std::int32_t>::min()), fallback + L"0x80000000");
}

// A call refused for want of rights is one thing, whether WMI says so with return value 2 or with
// an error (COM's or its own): the same words, the same answer to RefusedForRights.
TEST(ReturnValues, EveryFormOfAccessDeniedIsARefusalForRights)
{
    ServiceOutcome byValue, byCom, byWmi, disabled, failed, large;
    RecordFailure(byValue, DescribeReturnValue(kAccessDenied), kAccessDenied);
    RecordRefusedForRights(byCom, Error(kComAccessDenied, L"Access is denied."));
    RecordRefusedForRights(byWmi, Error(kWmiAccessDenied, L"Access denied"));
    EXPECT_EQ(DescribeFailure(byWmi), L"access is denied (error 0x80041003)");
    RecordFailure(disabled, DescribeReturnValue(14), 14);
    RecordFailure(failed, ErrorReason(Error(static_cast<std::int32_t>(0x80041001u), L"Generic failure")));
    for (const auto* outcome : {&byValue, &byCom, &byWmi, &disabled, &failed}) {
        EXPECT_EQ(RefusedForRights(*outcome), outcome != &disabled && outcome != &failed);
    }
    RecordFailure(large, L"refused", static_cast<std::int32_t>(0x80070422u));
    EXPECT_EQ(DescribeFailure(large), L"refused (return value 0x80070422)");
}

// A request WMI did not answer in time has a number of the program's own, never one of WMI's
// (0x80043001 is WMI's "retry later"), and is told in words alone.
TEST(NoAnswerFromWmi, HasANumberOfItsOwnAndWordsAlone)
{
    const Error error = NoAnswerFromWmi(std::chrono::seconds(60));
    EXPECT_EQ(error.Number(), kNoAnswerFromWmi);
    EXPECT_EQ(static_cast<std::uint32_t>(error.Number()) & 0x20000000u, 0x20000000u) << "not a customer code";
    EXPECT_NE(static_cast<std::uint32_t>(error.Number()) >> 16, 0x8004u) << "a WMI code";
    EXPECT_TRUE(IsNoAnswerFromWmi(error));
    EXPECT_FALSE(IsNoAnswerFromWmi(Error(static_cast<std::int32_t>(0x80043001u), L"retry later")));
    EXPECT_EQ(ErrorReason(error), L"WMI did not answer within 1 min");
}

} // namespace
} // namespace quenlow
