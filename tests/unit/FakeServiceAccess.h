#pragma once

#include "common/Error.h"
#include "common/Text.h"
#include "services/ServiceAccess.h"

#include <optional>
#include <string>
#include <vector>

namespace quenlow::testing {

// A service as the fake WMI knows it. A missing display name stands for WMI's null.
struct FakeService {
    std::wstring name;
    std::optional<std::wstring> displayName;
    std::wstring state = L"Stopped";
    std::int32_t startReturns = 0;
    std::int32_t stopReturns = 0;
    bool methodThrows = false;
};

// An in-memory Win32_Service. It understands the query texts the program sends (all, by state,
// by Name or DisplayName with either delimiter) exactly as WQL does, refuses any other text as
// WMI does, records every connection, query and method call, and fails on request.
class FakeServiceAccess final : public IServiceAccess {
public:
    std::vector<FakeService> services;

    int connections = 0;
    std::vector<std::wstring> queries;
    struct Call {
        std::wstring name;
        ServiceMethod method;
    };
    std::vector<Call> calls;

    std::optional<Error> failConnect;
    std::optional<Error> failQuery;

    // Calling StartService / StopService on a fake service moves its state, as a real service would.
    bool methodsChangeState = true;

    std::unique_ptr<IServiceConnection> fConnectWmi() override;

    // Services, in the fake's own order, that a query text selects; throws for a text WQL refuses.
    std::vector<FakeService*> Select(std::wstring_view query);
};

} // namespace quenlow::testing
