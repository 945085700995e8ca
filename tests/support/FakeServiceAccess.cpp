#include "FakeServiceAccess.h"

#include "services/ServiceFollow.h"
#include "services/ServiceOutcome.h"

#include <algorithm>
#include <span>
#include <stdexcept>
#include <utility>

namespace quenlow::testing {

namespace {

constexpr std::int32_t kInvalidQuery = static_cast<std::int32_t>(0x80041017u);

// Wine's WQL folds the case of ASCII letters only.
bool EqualAsciiNoCase(std::wstring_view a, std::wstring_view b)
{
    const auto fold = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

// Brings the service to the phase of its script that holds at the time.
void Advance(FakeService& service, std::chrono::milliseconds now)
{
    if (!service.following) return;
    for (const Phase& phase : *service.following == ServiceMethod::Start ? service.afterStart : service.afterStop) {
        if (now - service.calledAt < phase.at) break;
        service.state = phase.state;
        service.checkPoint = phase.checkPoint;
        service.waitHint = phase.waitHint;
        service.exitCode = phase.exitCode;
        service.specificExitCode = phase.specificExitCode;
        service.removed = phase.removed;
        service.unreadable = phase.unreadable;
        if (phase.displayName) service.displayName = phase.displayName;
    }
}

constexpr std::wstring_view kAssociatorsOf = L"ASSOCIATORS OF {Win32_Service.Name=";
constexpr std::wstring_view kDependentsClause = L"} WHERE AssocClass=Win32_DependentService Role=Antecedent";

bool DependsOn(const FakeService& service, std::wstring_view name)
{
    return std::any_of(service.dependsOn.begin(), service.dependsOn.end(),
                       [&](const std::wstring& on) { return EqualAsciiNoCase(on, name); });
}

// Whether a service that depends on the named one is there and not stopped.
bool HasActiveDependents(FakeServiceAccess& owner, const std::wstring& name)
{
    return std::any_of(owner.services.begin(), owner.services.end(), [&](FakeService& s) {
        Advance(s, owner.clock.now);
        return !s.removed && s.state != L"Stopped" && DependsOn(s, name);
    });
}

class FakeObject final : public IServiceObject {
public:
    FakeObject(FakeServiceAccess& owner, FakeService snapshot, FakeService& live, std::span<const std::wstring_view> keep)
        : m_owner(owner), m_snapshot(std::move(snapshot)), m_live(live), m_keep(keep.begin(), keep.end()) {}

    std::optional<std::wstring> ReadText(std::wstring_view property) override
    {
        RequireKept(property);
        if (property == L"Name") return m_snapshot.name;
        if (property == L"DisplayName") return m_snapshot.displayName;
        if (property == L"State") {
            if (m_snapshot.unreadable) throw Error(static_cast<std::int32_t>(0x80041001u), L"Generic failure");
            return m_snapshot.state;
        }
        throw Error(static_cast<std::int32_t>(0x80041002u), L"Not found");
    }

    std::optional<std::uint32_t> ReadUnsigned(std::wstring_view property) override
    {
        RequireKept(property);
        if (property == L"CheckPoint") return m_snapshot.checkPoint;
        if (property == L"WaitHint") return m_snapshot.waitHint;
        if (property == L"ExitCode") return m_snapshot.exitCode;
        if (property == L"ServiceSpecificExitCode") return m_snapshot.specificExitCode;
        return std::nullopt;
    }

    std::int32_t CallMethod(ServiceMethod method, std::chrono::milliseconds limit) override
    {
        RequireKept(L"__PATH");
        if (m_owner.beforeCall) m_owner.beforeCall(m_snapshot.name);
        if (m_live.removed) throw Error(kWmiNotFound, L"Not found");
        m_owner.calls.push_back({m_snapshot.name, method, m_owner.clock.now});
        m_owner.clock.now += m_owner.callTime + m_live.callTakes;
        const std::int32_t value = Answer(method);
        if (m_live.callUnanswered) {
            m_owner.clock.now += limit;
            throw NoAnswerFromWmi(limit);
        }
        return value;
    }

private:
    std::int32_t Answer(ServiceMethod method)
    {
        if (m_live.methodThrows) {
            throw Error(m_live.methodError, L"Generic failure");
        }
        const bool starting = method == ServiceMethod::Start;
        std::int32_t value = starting ? m_live.startReturns : m_live.stopReturns;
        if (value == 0 && m_owner.methodsChangeState) {
            Advance(m_live, m_owner.clock.now);
            const bool stopped = m_live.state == L"Stopped";
            const bool pending = m_live.state == L"Start Pending" || m_live.state == L"Stop Pending";
            value = starting ? (stopped ? 0 : 10) : (stopped ? 6 : pending ? 5 : 0);
            if (value == 0 && !starting && HasActiveDependents(m_owner, m_live.name)) {
                value = 3; // the service manager's answer while a dependent is not stopped
            }
        }
        if (value == 0 && m_owner.methodsChangeState) {
            const auto& script = starting ? m_live.afterStart : m_live.afterStop;
            if (starting) {
                // A new run: the service manager forgets how the last one ended.
                m_live.exitCode.reset();
                m_live.specificExitCode.reset();
            }
            if (script.empty()) {
                m_live.state = starting ? L"Running" : L"Stopped";
                m_live.following.reset();
            } else {
                m_live.following = method;
                m_live.calledAt = m_owner.clock.now;
                Advance(m_live, m_owner.clock.now);
            }
        }
        return value;
    }

    // WMI's objects hold only what the query kept: reading more is the caller's mistake.
    void RequireKept(std::wstring_view property) const
    {
        if (std::find(m_keep.begin(), m_keep.end(), property) == m_keep.end()) {
            throw Error(kWmiNotFound, L"Not found: the query did not keep " + std::wstring(property));
        }
    }

    FakeServiceAccess& m_owner;
    FakeService m_snapshot; // WMI hands out a copy taken when the query ran
    FakeService& m_live;
    std::vector<std::wstring_view> m_keep;
};

class FakeResult final : public IServiceResult {
public:
    FakeResult(FakeServiceAccess& owner, std::vector<FakeService*> rows, std::span<const std::wstring_view> keep)
        : m_owner(owner), m_rows(std::move(rows)), m_keep(keep) {}

    std::unique_ptr<IServiceObject> Next() override
    {
        if (m_next >= m_rows.size()) return nullptr;
        FakeService& live = *m_rows[m_next++];
        m_owner.seen.push_back({m_owner.queries.size() - 1, live.name, live.unreadable ? L"(unreadable)" : live.state});
        return std::make_unique<FakeObject>(m_owner, live, live, m_keep);
    }

private:
    FakeServiceAccess& m_owner;
    std::vector<FakeService*> m_rows;
    std::span<const std::wstring_view> m_keep;
    std::size_t m_next = 0;
};

class FakeConnection final : public IServiceConnection {
public:
    explicit FakeConnection(FakeServiceAccess& owner) : m_owner(owner) {}

    std::unique_ptr<IServiceResult> ExecQuery(std::wstring_view query, std::span<const std::wstring_view> keep,
                                              std::chrono::milliseconds limit) override
    {
        m_owner.queries.emplace_back(query);
        if (m_owner.whileQuerying) m_owner.whileQuerying();
        if (m_owner.hangFromQuery && m_owner.queries.size() > *m_owner.hangFromQuery) {
            m_owner.clock.now += limit;
            throw NoAnswerFromWmi(limit);
        }
        if (m_owner.failQuery) throw *m_owner.failQuery;
        for (const std::size_t failing : m_owner.failingQueries) {
            if (failing + 1 == m_owner.queries.size()) throw Error(static_cast<std::int32_t>(0x80041001u), L"Generic failure");
        }
        return std::make_unique<FakeResult>(m_owner, m_owner.Select(query), keep);
    }

private:
    FakeServiceAccess& m_owner;
};

} // namespace

std::unique_ptr<IServiceConnection> FakeServiceAccess::fConnectWmi()
{
    ++connections;
    if (failConnect) throw *failConnect;
    return std::make_unique<FakeConnection>(*this);
}

namespace {

// One "Property=<literal>" of a where clause, the literal without escapes: it ends at the first
// delimiter (this is how a hostile text would show up). Throws as WMI does for anything else.
struct Condition {
    std::wstring_view property;
    std::wstring_view value;
};

Condition ReadCondition(std::wstring_view& rest)
{
    const auto equals = rest.find(L'=');
    if (equals == std::wstring_view::npos || equals + 1 >= rest.size()) throw Error(kInvalidQuery, L"Invalid query");
    const Condition condition{rest.substr(0, equals), {}};
    const wchar_t delimiter = rest[equals + 1];
    if (delimiter != L'\'' && delimiter != L'"') throw Error(kInvalidQuery, L"Invalid query");
    const std::wstring_view afterOpen = rest.substr(equals + 2);
    const auto close = afterOpen.find(delimiter);
    if (close == std::wstring_view::npos) throw Error(kInvalidQuery, L"Invalid query");
    rest = afterOpen.substr(close + 1);
    return {condition.property, afterOpen.substr(0, close)};
}

std::optional<std::wstring> Field(const FakeService& service, std::wstring_view property)
{
    if (property == L"Name") return service.name;
    if (property == L"DisplayName") return service.displayName;
    if (property == L"State") return service.state;
    throw Error(kInvalidQuery, L"Invalid query");
}

// The services that depend on the one a dependents query names.
std::vector<FakeService*> SelectDependents(std::vector<FakeService*> present, std::wstring_view query)
{
    std::wstring_view rest = query.substr(kAssociatorsOf.size() - std::wstring_view(L"Name=").size());
    const Condition condition = ReadCondition(rest);
    if (condition.property != L"Name" || rest != kDependentsClause) throw Error(kInvalidQuery, L"Invalid query");
    std::erase_if(present, [&](FakeService* s) { return !DependsOn(*s, condition.value); });
    return present;
}

} // namespace

std::vector<FakeService*> FakeServiceAccess::Select(std::wstring_view query)
{
    // "SELECT <*, or properties> FROM Win32_Service" and an optional " where A='x' or B='y' ...".
    constexpr std::wstring_view kSelect = L"SELECT ";
    constexpr std::wstring_view kFrom = L" FROM Win32_Service";
    const auto from = query.find(kFrom);
    std::vector<FakeService*> present;
    for (auto& s : services) {
        Advance(s, clock.now);
        if (!s.removed) present.push_back(&s);
    }
    if (query.starts_with(kAssociatorsOf)) return SelectDependents(std::move(present), query);
    if (query.substr(0, kSelect.size()) != kSelect || from == std::wstring_view::npos) {
        throw Error(kInvalidQuery, L"Invalid query");
    }
    std::wstring_view rest = query.substr(from + kFrom.size());
    if (rest.empty()) return present;
    constexpr std::wstring_view kWhere = L" where ";
    constexpr std::wstring_view kOr = L" or ";
    if (rest.substr(0, kWhere.size()) != kWhere) throw Error(kInvalidQuery, L"Invalid query");
    rest.remove_prefix(kWhere.size());
    std::vector<Condition> conditions{ReadCondition(rest)};
    while (!rest.empty()) {
        if (rest.substr(0, kOr.size()) != kOr) throw Error(kInvalidQuery, L"Invalid query");
        rest.remove_prefix(kOr.size());
        conditions.push_back(ReadCondition(rest));
    }
    if (mostOrKeywords && conditions.size() - 1 > *mostOrKeywords) {
        throw Error(static_cast<std::int32_t>(0x8004106Cu), L"Quota violation");
    }
    std::vector<FakeService*> rows;
    for (FakeService* s : present) {
        const bool selected = std::any_of(conditions.begin(), conditions.end(), [&](const Condition& condition) {
            const auto field = Field(*s, condition.property);
            return field && EqualAsciiNoCase(*field, condition.value);
        });
        if (selected) rows.push_back(s);
    }
    return rows;
}

ServiceOutcome CallOnMatchingServices(IServiceAccess& access, IClock& clock, ServiceKey key, std::wstring_view value,
                                      ServiceMethod method)
{
    struct : IWorkReport {
        void Update(const WorkBoard&) override {}
    } ignored;
    WorkBoard board = ServiceActionBoard(method, {std::wstring(value)});
    MarkBegun(board, clock.Now());
    WorkSite site(access, clock, ignored, std::move(board));
    ActOnServices(site, [&](IServiceAccess& services, const std::wstring& label) {
        return SendToMatchingServices(services, key, label, method);
    });
    return site.board.entries.front().outcome;
}

void InlineServiceWork::Start(WorkBoard board, Work work)
{
    ++started;
    MarkBegun(board, m_clock.Now());
    m_board = std::move(board);
    m_work = std::move(work);
}

void InlineServiceWork::StopWaiting()
{
    m_stopAsked = true;
}

WorkResult InlineServiceWork::Finish()
{
    if (!m_board) throw std::logic_error("no work was started");
    WorkSite site(m_services, m_clock, *this, *std::exchange(m_board, std::nullopt));
    if (meanwhile) meanwhile();
    // A stop asked for meanwhile holds for this piece of work only.
    const bool stopHere = std::exchange(m_stopAsked, false) && m_fakeClock && !m_fakeClock->stopAt;
    if (stopHere) m_fakeClock->stopAt = m_fakeClock->now;
    m_work(site);
    WorkResult result{std::move(site.board), std::move(site.texts), m_clock.StopRequested()};
    if (stopHere) m_fakeClock->stopAt.reset();
    return result;
}

} // namespace quenlow::testing
