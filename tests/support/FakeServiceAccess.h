#pragma once

#include "common/Clock.h"
#include "common/Error.h"
#include "services/ServiceAccess.h"
#include "services/ServiceRequest.h"
#include "services/ServiceWork.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quenlow::testing {

// Time that moves only when it is waited on (or a fake request takes it), and remembers each
// wait. The user stops waiting at stopAt: a wait across it ends there.
class FakeClock final : public IClock {
public:
    std::chrono::milliseconds now{0};
    std::vector<std::chrono::milliseconds> waits;
    std::optional<std::chrono::milliseconds> stopAt;

    std::chrono::milliseconds Now() override { return now; }
    void WaitFor(std::chrono::milliseconds duration) override
    {
        if (StopRequested()) return;
        waits.push_back(duration);
        now = stopAt && *stopAt < now + duration ? *stopAt : now + duration;
    }
    bool StopRequested() override { return stopAt && now >= *stopAt; }
};

// What a service shows from a moment after a start or stop that was taken on.
struct Phase {
    std::chrono::milliseconds at;
    std::wstring state;
    std::optional<std::uint32_t> checkPoint = {};
    std::optional<std::uint32_t> waitHint = {};
    std::optional<std::uint32_t> exitCode = {};
    std::optional<std::uint32_t> specificExitCode = {};
    bool removed = false;
    std::optional<std::wstring> displayName = {}; // a new one, when it changes
    bool unreadable = false; // reading its State fails, as WMI's Get may for a moment
};

// A service as the fake WMI knows it. A missing display name stands for WMI's null.
struct FakeService {
    std::wstring name;
    std::optional<std::wstring> displayName;
    std::wstring state = L"Stopped";
    std::int32_t startReturns = 0;
    std::int32_t stopReturns = 0;
    bool methodThrows = false;
    // Where the service goes after a start or stop answered 0, phase by phase, each from its
    // time after the call on; the last one stays. Empty: it is there at once.
    std::vector<Phase> afterStart = {};
    std::vector<Phase> afterStop = {};
    // Windows' progress and exit properties; nullopt as in Wine's class, which has none of them.
    std::optional<std::uint32_t> checkPoint = {};
    std::optional<std::uint32_t> waitHint = {};
    std::optional<std::uint32_t> exitCode = {};
    std::optional<std::uint32_t> specificExitCode = {};
    bool removed = false;
    bool unreadable = false;
    // The call is taken as usual, but WMI's answer does not come within its limit.
    bool callUnanswered = false;
    // How long a call on this service takes, beside the access's callTime.
    std::chrono::milliseconds callTakes{0};
    // What a call throws when methodThrows is set.
    std::int32_t methodError = static_cast<std::int32_t>(0x80041001u);
    // The short names of the services it depends on: a stop of one of those is refused with 3
    // while this one is not stopped, and an ASSOCIATORS query of that one finds this one.
    std::vector<std::wstring> dependsOn = {};

    std::optional<ServiceMethod> following = {}; // whose phases are under way
    std::chrono::milliseconds calledAt{0};
};

// An in-memory Win32_Service. It understands the query texts the program sends (all or some
// properties, where each condition is Name, DisplayName or State equal to a literal with either
// delimiter, joined by "or", compared with ASCII letters folded as Wine's WMI does; and the
// dependents of a service through Win32_DependentService, as Windows has them), refuses any
// other text as WMI does, hands out instances that hold only the properties the query kept,
// records every connection, query and method call, and fails on request. Its services change
// state on the time of its clock.
class FakeServiceAccess final : public IServiceAccess {
public:
    std::vector<FakeService> services;
    FakeClock clock;

    int connections = 0;
    std::vector<std::wstring> queries;
    struct Call {
        std::wstring name;
        ServiceMethod method;
        std::chrono::milliseconds at;
    };
    std::vector<Call> calls;
    // Every service each query handed out, in order, by name and state ("(unreadable)" where
    // reading it fails), with the query's place in `queries`.
    struct Seen {
        std::size_t query;
        std::wstring name;
        std::wstring state;
    };
    std::vector<Seen> seen;

    std::optional<Error> failConnect;
    std::optional<Error> failQuery;
    // Queries from this one on (counted from 0) never answer: each takes its whole limit and
    // fails as WMI does then.
    std::optional<std::size_t> hangFromQuery;
    // How long each method call takes.
    std::chrono::milliseconds callTime{0};
    // Run as each call begins, with the service's name, and as each query is answered: a test's
    // way to change the world then.
    std::function<void(const std::wstring& name)> beforeCall;
    std::function<void()> whileQuerying;

    // These queries (counted from 0) fail as WMI does when it restarts.
    std::vector<std::size_t> failingQueries;
    // As Windows does, a query with more "or" keywords than this is refused as beyond WMI's quota.
    std::optional<std::size_t> mostOrKeywords;

    // Whether the program runs with administrator rights.
    bool elevated = true;

    // Calling StartService / StopService on a fake service moves its state, as a real service
    // would, and is refused as the service manager refuses it: a start unless the service is
    // stopped, a stop of a stopped service, and one of a service still starting or stopping.
    bool methodsChangeState = true;

    std::unique_ptr<IServiceConnection> fConnectWmi() override;
    bool CallerIsElevated() override { return elevated; }

    // Services, in the fake's own order, that a query text selects; throws for a text WQL refuses.
    std::vector<FakeService*> Select(std::wstring_view query);
};

// One request sent and followed to its end, as the command line has it done.
ServiceOutcome CallOnMatchingServices(IServiceAccess& access, IClock& clock, ServiceKey key, std::wstring_view value,
                                      ServiceMethod method);

// The worker as the tests have it: a piece of work runs when it is finished, on the calling
// thread, against the services and the clock given (the fake's own by default): no worker
// thread, COM or WMI client in the process. The boards it hands over are kept.
class InlineServiceWork final : public IServiceWork, private IWorkReport {
public:
    explicit InlineServiceWork(FakeServiceAccess& services) : InlineServiceWork(services, services.clock)
    {
        m_fakeClock = &services.clock;
    }
    InlineServiceWork(IServiceAccess& services, IClock& clock) : m_services(services), m_clock(clock) {}

    std::vector<WorkBoard> reports;
    int started = 0;
    // What happens on the window thread while the work runs.
    std::function<void()> meanwhile;

    void Start(WorkBoard board, Work work) override;
    WorkResult Finish() override;
    // With the fake's own clock, the wait for the current work ends at once.
    void StopWaiting() override;

private:
    void Update(const WorkBoard& board) override { reports.push_back(board); }

    IServiceAccess& m_services;
    IClock& m_clock;
    FakeClock* m_fakeClock = nullptr;
    bool m_stopAsked = false;
    std::optional<WorkBoard> m_board;
    Work m_work;
};

} // namespace quenlow::testing
