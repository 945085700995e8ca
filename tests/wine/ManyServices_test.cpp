// The services that make the system larger, as the tests get them: registered where nothing can
// run them, and gone again afterwards together with what an earlier run left behind.
#include "support/ManyServices.h"
#include "support/ServiceManager.h"
#include "support/TestServices.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace quenlow {
namespace {

using namespace quenlow::testing;

struct RegisteredAs {
    std::wstring displayName;
    std::wstring commandLine;
    DWORD startType = 0;
};

RegisteredAs ConfigurationOf(const std::wstring& name)
{
    const auto manager = OpenServiceManager(SC_MANAGER_CONNECT);
    const auto service = OpenServiceByName(manager.get(), name, SERVICE_QUERY_CONFIG);
    if (!service) {
        return {};
    }
    DWORD needed = 0;
    ::QueryServiceConfigW(service.get(), nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (!::QueryServiceConfigW(service.get(), config, needed, &needed)) {
        return {};
    }
    return {config->lpDisplayName, config->lpBinaryPathName, config->dwStartType};
}

bool StartRefused(const std::wstring& name)
{
    const auto manager = OpenServiceManager(SC_MANAGER_CONNECT);
    const auto service = OpenServiceByName(manager.get(), name, SERVICE_START);
    return service && !::StartServiceW(service.get(), 0, nullptr);
}

TEST(ScopedManyServicesTest, RegistersServicesThatCannotRunAndRemovesThemWithALeftOverRun)
{
    constexpr int kCount = 30;
    // What a crashed run left behind: more of them, with a program that would run.
    InstallManyServices(kCount + 5, TestServiceProgramPath());
    {
        const ScopedManyServices many(kCount);
        EXPECT_EQ(CountManyServices(), kCount);

        const std::wstring last = ManyServiceName(kCount);
        const RegisteredAs registered = ConfigurationOf(last);
        EXPECT_EQ(registered.displayName, ManyServiceDisplayName(kCount));
        EXPECT_EQ(registered.startType, static_cast<DWORD>(SERVICE_DEMAND_START));
        EXPECT_EQ(registered.commandLine, L"\"" + std::wstring(kMissingProgramPath) + L"\"");
        EXPECT_TRUE(StartRefused(last));
        EXPECT_EQ(QueryServiceState(last), static_cast<DWORD>(SERVICE_STOPPED));
    }
    EXPECT_EQ(CountManyServices(), 0);
}

} // namespace
} // namespace quenlow
