#pragma once

#include "support/TestOptions.h"
#include "support/TestServices.h"
#include "support/TimeLimits.h"

#include <gtest/gtest.h>

#include <iostream>
#include <ostream>
#include <string>

namespace quenlow::testing {

// Parameterised tests name the service by its short name.
inline void PrintTo(const TestService& service, std::ostream* out)
{
    *out << ::testing::PrintToString(std::wstring(service.name));
}

// The test services that are not as the fixture registered them, a line each; empty when all are.
inline std::wstring TestServicesNotStoppedLines()
{
    std::wstring lines;
    for (const auto& problem : TestServicesNotStopped()) {
        lines += L"\n  " + problem;
    }
    return lines;
}

// For tests that change the test services' states: each starts with all of them stopped (as
// the fixture registered them) and leaves them stopped again, whatever happened.
class ServicesTestBase : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A test program that crashed could not stop what it had started: put that right first.
        for (const auto& leftOver : TestServicesNotStopped()) {
            std::wcout << L"note: " << leftOver << L" before the test; stopping it\n";
        }
        StopAllTestServices();
        const std::wstring problems = TestServicesNotStoppedLines();
        ASSERT_TRUE(problems.empty()) << "test services must be registered and stopped before a test:" << problems;
        // A service stopped by the last test may still be ending its process; starting it again
        // before that has gone fails under Wine.
        ASSERT_TRUE(WaitForTestServiceProcessesToEnd(kServiceStateComesWithin))
            << "a test service's process is still running although its service is stopped";
    }

    void TearDown() override { StopAllTestServices(); }
};

// The same for tests that run quenlow.exe (--quenlow=PATH).
class QuenlowServicesTest : public ServicesTestBase {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(QuenlowProgramPath().empty()) << "pass --quenlow=PATH to quenlow.exe";
        ServicesTestBase::SetUp();
    }
};

} // namespace quenlow::testing
