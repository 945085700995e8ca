#include "services/ServiceFollow.h"

#include "common/Error.h"
#include "common/SystemErrorText.h"
#include "common/Text.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace quenlow {

namespace {

using std::chrono::milliseconds;

// The exit code that means "look at the service-specific one".
constexpr std::uint32_t kServiceSpecificError = 1066;

// The pending states and what the service is doing in each.
struct PendingState {
    std::wstring_view state;
    std::wstring_view doing;
};
constexpr PendingState kPendingStates[] = {
    {L"Start Pending", L"starting"},
    {L"Stop Pending", L"stopping"},
    {L"Continue Pending", L"resuming"},
    {L"Pause Pending", L"pausing"},
};

// "30 s", "3 min", "1 min 5 s".
std::wstring DescribeDuration(milliseconds duration)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(duration).count();
    if (seconds < 60) {
        return std::to_wstring(seconds) + L" s";
    }
    std::wstring text = std::to_wstring(seconds / 60) + L" min";
    if (seconds % 60 != 0) {
        text += L" " + std::to_wstring(seconds % 60) + L" s";
    }
    return text;
}

std::optional<std::wstring_view> PendingActivity(std::wstring_view state)
{
    for (const auto& pending : kPendingStates) {
        if (EqualNoCase(state, pending.state)) {
            return pending.doing;
        }
    }
    return std::nullopt;
}

std::wstring_view Goal(ServiceMethod method)
{
    return method == ServiceMethod::Start ? L"Running" : L"Stopped";
}

std::wstring_view Activity(ServiceMethod method)
{
    return method == ServiceMethod::Start ? L"starting" : L"stopping";
}

// " (exit code 1066: The service has returned a service-specific error code; service-specific
// code 42)", as far as WMI gives them; empty for a clean exit or where WMI has neither.
std::wstring ExitDetails(IServiceObject& service)
{
    const auto exitCode = service.ReadUnsigned(L"ExitCode");
    if (!exitCode || *exitCode == 0) {
        return {};
    }
    std::wstring details = L" (exit code " + std::to_wstring(*exitCode);
    std::wstring words = SystemErrorText(*exitCode);
    while (!words.empty() && words.back() == L'.') {
        words.pop_back();
    }
    if (!words.empty()) {
        details += L": " + words;
    }
    if (*exitCode == kServiceSpecificError) {
        if (const auto specific = service.ReadUnsigned(L"ServiceSpecificExitCode")) {
            details += L"; service-specific code " + std::to_wstring(*specific);
        }
    }
    return details + L")";
}

// Why a service that settled in a state other than the wanted one counts as a failure.
std::wstring SettledElsewhere(ServiceMethod method, const std::wstring& state, IServiceObject& service)
{
    const bool starting = method == ServiceMethod::Start;
    if (starting && EqualNoCase(state, L"Stopped")) {
        return L"it stopped again while starting" + ExitDetails(service);
    }
    if (!starting && EqualNoCase(state, L"Running")) {
        return L"it did not stop; it is running again";
    }
    const std::wstring didNot = starting ? L"it did not start; " : L"it did not stop; ";
    if (EqualNoCase(state, L"Paused")) {
        return didNot + L"it is paused";
    }
    return didNot + L"its state is " + (state.empty() ? std::wstring(L"unknown") : state);
}

// One service being followed.
struct Watch {
    ServiceRequest* request;
    std::wstring name;
    milliseconds progressAt;
    std::optional<std::uint32_t> checkPoint;
    milliseconds allowance;
    bool settled = false;

    void Fail(std::wstring reason)
    {
        RecordFailure(request->outcome, std::move(reason));
        settled = true;
    }
};

class Follower {
public:
    Follower(std::span<ServiceRequest> requests, IClock& clock, const FollowRules& rules)
        : m_requests(requests), m_clock(clock), m_rules(rules), m_start(clock.Now())
    {
        for (auto& request : requests) {
            for (const auto& name : request.toFollow) {
                m_watches.push_back({&request, name, m_start, std::nullopt, rules.withoutProgress});
            }
        }
    }

    void Run()
    {
        milliseconds interval = m_rules.firstInterval;
        for (;;) {
            const milliseconds lookedAt = m_clock.Now();
            for (auto& request : m_requests) {
                LookAt(request);
            }
            std::erase_if(m_watches, [](const Watch& watch) { return watch.settled; });
            if (m_watches.empty()) {
                return;
            }
            // The next round after the interval, counted from the start of this one, but never
            // after the moment a service must be given up.
            milliseconds next = lookedAt + interval;
            for (const auto& watch : m_watches) {
                next = std::min(next, Deadline(watch));
            }
            const milliseconds now = m_clock.Now();
            if (next > now) {
                m_clock.WaitFor(next - now);
            }
            interval = std::min(interval * 3 / 2, m_rules.longestInterval);
        }
    }

private:
    milliseconds Deadline(const Watch& watch) const
    {
        return std::min(watch.progressAt + watch.allowance, m_start + m_rules.inAll);
    }

    void LookAt(ServiceRequest& request)
    {
        const auto pending = [&](const Watch& watch) { return watch.request == &request && !watch.settled; };
        if (std::none_of(m_watches.begin(), m_watches.end(), pending)) {
            return;
        }
        try {
            auto result = request.connection->ExecQuery(request.query.text);
            const auto found = MatchingServices(*result, request.query, request.key, request.alsoRequire);
            const milliseconds now = m_clock.Now();
            for (auto& watch : m_watches) {
                if (pending(watch)) {
                    Judge(watch, FindByName(found, watch.name), now);
                }
            }
        } catch (const Error& error) {
            for (auto& watch : m_watches) {
                if (pending(watch)) {
                    watch.Fail(ErrorReason(error));
                }
            }
        }
    }

    static IServiceObject* FindByName(const std::vector<std::unique_ptr<IServiceObject>>& services,
                                      const std::wstring& name)
    {
        for (const auto& service : services) {
            if (service->ReadText(L"Name") == name) {
                return service.get();
            }
        }
        return nullptr;
    }

    void Judge(Watch& watch, IServiceObject* service, milliseconds now)
    {
        const ServiceMethod method = watch.request->method;
        if (!service) {
            watch.Fail(L"it was removed while " + std::wstring(Activity(method)));
            return;
        }
        const std::wstring state = service->ReadText(L"State").value_or(L"");
        if (EqualNoCase(state, Goal(method))) {
            watch.settled = true;
            return;
        }
        const auto doing = PendingActivity(state);
        if (!doing) {
            watch.Fail(SettledElsewhere(method, state, *service));
            return;
        }
        const auto checkPoint = service->ReadUnsigned(L"CheckPoint");
        if (checkPoint && watch.checkPoint && *checkPoint != *watch.checkPoint) {
            watch.progressAt = now;
        }
        watch.checkPoint = checkPoint;
        if (const auto waitHint = service->ReadUnsigned(L"WaitHint")) {
            watch.allowance = std::max(m_rules.withoutProgress, milliseconds(*waitHint));
        }
        if (now >= Deadline(watch)) {
            watch.Fail(L"it was still " + std::wstring(*doing) + L" after " + DescribeDuration(now - m_start));
        }
    }

    std::span<ServiceRequest> m_requests;
    IClock& m_clock;
    const FollowRules& m_rules;
    milliseconds m_start;
    std::vector<Watch> m_watches;
};

} // namespace

void FollowUntilSettled(std::span<ServiceRequest> requests, IClock& clock, const FollowRules& rules)
{
    Follower(requests, clock, rules).Run();
}

ServiceOutcome CallOnMatchingServices(IServiceAccess& access, IClock& clock, ServiceKey key, std::wstring_view value,
                                      ServiceMethod method, ServiceFilter alsoRequire)
{
    ServiceRequest request = SendToMatchingServices(access, key, value, method, std::move(alsoRequire));
    FollowUntilSettled(std::span(&request, 1), clock);
    return std::move(request.outcome);
}

} // namespace quenlow
