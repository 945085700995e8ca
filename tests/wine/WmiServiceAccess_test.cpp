// The WMI layer against Wine's real WMI and service manager: what it lists, what it finds by a
// hostile name, the answers of the methods and the errors it raises. Every result is checked
// against the service manager itself.
#include "services/WmiServiceAccess_win.h"

#include "common/Error.h"
#include "common/UniqueHandle_win.h"
#include "services/ComApartment_win.h"
#include "services/ServiceFollow.h"
#include "services/ServiceJobs.h"
#include "services/WmiWorker_win.h"
#include "services/ServiceOutcome.h"
#include "services/ServiceQuery.h"
#include "services/WmiNames.h"

#include "ServicesTestBase.h"
#include "support/MessagePump.h"
#include "support/ServiceManager.h"
#include "support/TestServices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace quenlow {
namespace {

using namespace quenlow::testing;
using namespace std::string_literals;

constexpr std::int32_t kWbemNotFound = static_cast<std::int32_t>(0x80041002u);
constexpr std::int32_t kWbemInvalidQuery = static_cast<std::int32_t>(0x80041017u);

struct ServiceRow {
    std::wstring name;
    std::optional<std::wstring> displayName;
    std::wstring state;
};

class WmiServiceAccessTest : public ServicesTestBase {
protected:
    void SetUp() override
    {
        // COM as the program's worker sets it up (a second call keeps the first setting).
        InitializeComSecurity();
        ServicesTestBase::SetUp();
    }

    // Runs the query on a fresh connection and reads every instance's Name, DisplayName and State.
    std::vector<ServiceRow> ReadAll(std::wstring_view query)
    {
        std::vector<ServiceRow> rows;
        const auto connection = wmi.fConnectWmi();
        const auto result = connection->ExecQuery(query, wmi::kRequestProperties, kWmiAnswerLimit);
        while (const auto service = result->Next()) {
            rows.push_back({service->ReadText(L"Name").value_or(L"<null>"), service->ReadText(L"DisplayName"),
                            service->ReadText(L"State").value_or(L"<null>")});
        }
        return rows;
    }

    // The one instance whose Name is the text (looked up with the query WQL takes for it), with
    // the properties given.
    std::unique_ptr<IServiceObject> FindByName(IServiceConnection& connection, std::wstring_view name,
                                               std::span<const std::wstring_view> keep = wmi::kRequestProperties)
    {
        const auto result = connection.ExecQuery(BuildServiceQuery(ServiceKey::Name, name).text, keep, kWmiAnswerLimit);
        auto service = result->Next();
        EXPECT_NE(service, nullptr) << "no service named " << std::wstring(name);
        EXPECT_EQ(result->Next(), nullptr) << "more than one service named " << std::wstring(name);
        return service;
    }

    // A request sent and followed to its end by the program's worker, as the command line has it.
    ServiceOutcome CallOnMatchingServices(ServiceKey key, std::wstring_view value, ServiceMethod method)
    {
        worker.Start(ServiceActionBoard(method, {std::wstring(value)}), [=](WorkSite& site) {
            ActOnServices(site, [=](IServiceAccess& services, const std::wstring& label) {
                return SendToMatchingServices(services, key, label, method);
            });
        });
        EXPECT_EQ(::WaitForSingleObject(worker.EndedEvent(), 120'000), WAIT_OBJECT_0) << "the worker did not end";
        return worker.TakeResult().board.entries.front().outcome;
    }

    ComApartment com;
    WmiServiceAccess wmi;
    WmiWorker worker;
};

const ServiceRow* FindRow(const std::vector<ServiceRow>& rows, std::wstring_view name)
{
    const auto found = std::find_if(rows.begin(), rows.end(), [&](const ServiceRow& row) { return row.name == name; });
    return found == rows.end() ? nullptr : &*found;
}

bool ListsDisplayName(const std::vector<ServiceRow>& rows, std::wstring_view displayName)
{
    return std::any_of(rows.begin(), rows.end(), [&](const ServiceRow& row) { return row.displayName == displayName; });
}

TEST_F(WmiServiceAccessTest, AllServicesQueryListsEveryTestServiceWithItsExactDisplayName)
{
    const auto rows = ReadAll(kAllServicesQuery);
    // Wine's own services come first; ours are among them.
    EXPECT_GT(rows.size(), kTestServices.size());
    for (const auto& service : kTestServices) {
        SCOPED_TRACE(std::wstring(service.name));
        const ServiceRow* row = FindRow(rows, service.name);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [&](const ServiceRow& r) { return r.name == service.name; }),
                  1);
        if (service.displayName) {
            EXPECT_EQ(row->displayName, std::wstring(*service.displayName));
        }
        EXPECT_EQ(row->state, L"Stopped"s);
    }
}

TEST_F(WmiServiceAccessTest, StateQueriesSeparateRunningFromStoppedServices)
{
    StartServiceDirectly(kOrdinary.name);
    StartServiceDirectly(kNonAscii.name);

    const auto running = ReadAll(kRunningServicesQuery);
    const auto stopped = ReadAll(kStoppedServicesQuery);
    EXPECT_TRUE(ListsDisplayName(running, *kOrdinary.displayName));
    EXPECT_TRUE(ListsDisplayName(running, *kNonAscii.displayName));
    EXPECT_FALSE(ListsDisplayName(running, *kSecond.displayName));
    EXPECT_TRUE(ListsDisplayName(stopped, *kSecond.displayName));
    EXPECT_TRUE(ListsDisplayName(stopped, *kBothQuotes.displayName));
    EXPECT_FALSE(ListsDisplayName(stopped, *kOrdinary.displayName));
    EXPECT_FALSE(ListsDisplayName(stopped, *kNonAscii.displayName));

    for (const auto& row : running) {
        EXPECT_EQ(row.state, L"Running") << row.name;
    }
    for (const auto& row : stopped) {
        EXPECT_EQ(row.state, L"Stopped") << row.name;
    }
    // Each test service is in exactly the list that the service manager's state says.
    for (const auto& service : kTestServices) {
        const bool isRunning = QueryServiceState(service.name) == SERVICE_RUNNING;
        EXPECT_EQ(FindRow(running, service.name) != nullptr, isRunning) << std::wstring(service.name);
        EXPECT_EQ(FindRow(stopped, service.name) != nullptr, !isRunning) << std::wstring(service.name);
    }
}

// Start and stop by display name, once for every kind of character that has broken queries.
class DisplayNameLookupTest : public WmiServiceAccessTest, public ::testing::WithParamInterface<TestService> {};

TEST_P(DisplayNameLookupTest, StartsAndStopsExactlyThatService)
{
    const TestService& target = GetParam();
    const std::wstring displayName(*target.displayName);

    const ServiceOutcome started =
        CallOnMatchingServices(ServiceKey::DisplayName, displayName, ServiceMethod::Start);
    EXPECT_EQ(started.kind, ServiceOutcome::Kind::Succeeded) << started.reason;
    EXPECT_EQ(started.matched, 1);
    // Success is reported once the service runs, not before.
    EXPECT_EQ(QueryServiceState(target.name), SERVICE_RUNNING);
    for (const auto& other : kTestServices) {
        if (other.name != target.name) {
            EXPECT_EQ(QueryServiceState(other.name), SERVICE_STOPPED) << std::wstring(other.name) << " was touched";
        }
    }

    const ServiceOutcome stopped =
        CallOnMatchingServices(ServiceKey::DisplayName, displayName, ServiceMethod::Stop);
    EXPECT_EQ(stopped.kind, ServiceOutcome::Kind::Succeeded) << stopped.reason;
    EXPECT_EQ(stopped.matched, 1);
    EXPECT_EQ(QueryServiceState(target.name), SERVICE_STOPPED);
}

std::string ParamName(const ::testing::TestParamInfo<TestService>& info)
{
    std::string name;
    for (const wchar_t c : info.param.name) {
        if ((c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9')) {
            name += static_cast<char>(c);
        }
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(HostileDisplayNames, DisplayNameLookupTest,
                         ::testing::Values(kOrdinary, kApostrophe, kDoubleQuote, kBackslash, kBothQuotes, kNonAscii,
                                           kEmptyDisplayName),
                         ParamName);

TEST_F(WmiServiceAccessTest, NameLookupIgnoresCaseAndTakesAnApostrophe)
{
    const ServiceOutcome lowered =
        CallOnMatchingServices(ServiceKey::Name, L"quenlowtesta", ServiceMethod::Start);
    EXPECT_EQ(lowered.kind, ServiceOutcome::Kind::Succeeded) << lowered.reason;
    EXPECT_TRUE(WaitForServiceState(kOrdinary.name, SERVICE_RUNNING));

    const ServiceOutcome apostrophe =
        CallOnMatchingServices(ServiceKey::Name, L"quenlowtest'name", ServiceMethod::Start);
    EXPECT_EQ(apostrophe.kind, ServiceOutcome::Kind::Succeeded) << apostrophe.reason;
    EXPECT_EQ(apostrophe.matched, 1);
    EXPECT_TRUE(WaitForServiceState(kApostropheName.name, SERVICE_RUNNING));
}

// A press of more entries than one query may compare: several queries on its one connection find
// them all, and each gets the outcome it gets alone.
TEST_F(WmiServiceAccessTest, APressBeyondOneQuerysLimitReachesEveryEntry)
{
    const TestService services[] = {kOrdinary,       kSecond,     kApostrophe,   kDoubleQuote, kNonAscii,
                                    kApostropheName, kDependedOn, kRefusesStop,  kSlowStart,   kDisabled};
    std::vector<std::wstring> labels;
    for (const auto& service : services) labels.emplace_back(*service.displayName);
    ASSERT_GT(BuildPressQueries(labels).texts.size(), 1u);
    const auto start = [](const PressServices& found, const std::wstring& text) {
        return SendToEntry(found, text, ServiceMethod::Start);
    };
    worker.Start(ServiceActionBoard(ServiceMethod::Start, labels), ActOnDisplayNames(start));
    ASSERT_EQ(::WaitForSingleObject(worker.EndedEvent(), 120'000), WAIT_OBJECT_0) << "the worker did not end";
    const WorkBoard board = worker.TakeResult().board;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const bool disabled = services[i].name == kDisabled.name;
        const auto expected = disabled ? ServiceOutcome::Kind::Failed : ServiceOutcome::Kind::Succeeded;
        EXPECT_EQ(board.entries[i].outcome.kind, expected) << labels[i] << ": " << board.entries[i].outcome.reason;
        EXPECT_EQ(QueryServiceState(services[i].name), disabled ? SERVICE_STOPPED : SERVICE_RUNNING) << labels[i];
    }
}

TEST_F(WmiServiceAccessTest, InjectedConditionsMatchNothing)
{
    StartServiceDirectly(kOrdinary.name);
    StartServiceDirectly(kSecond.name);

    for (const auto& [key, text] : {std::pair{ServiceKey::Name, L"x' or Name<>'"},
                                    std::pair{ServiceKey::Name, L"x\" or Name<>\""},
                                    std::pair{ServiceKey::DisplayName, L"x' or DisplayName<>'"},
                                    std::pair{ServiceKey::DisplayName, L"x' or \"a\"<>\"b"}}) {
        const ServiceOutcome outcome = CallOnMatchingServices(key, text, ServiceMethod::Stop);
        EXPECT_EQ(outcome.kind, ServiceOutcome::Kind::NotFound) << text;
        EXPECT_EQ(outcome.matched, 0) << text;
    }
    EXPECT_EQ(QueryServiceState(kOrdinary.name), SERVICE_RUNNING);
    EXPECT_EQ(QueryServiceState(kSecond.name), SERVICE_RUNNING);
}

TEST_F(WmiServiceAccessTest, MethodsReturnWhatTheServiceManagerAnswered)
{
    const auto connection = wmi.fConnectWmi();
    const auto service = FindByName(*connection, kOrdinary.name);
    ASSERT_NE(service, nullptr);

    EXPECT_EQ(service->CallMethod(ServiceMethod::Stop, kWmiAnswerLimit), 6) << "stopping a stopped service";
    EXPECT_EQ(service->CallMethod(ServiceMethod::Start, kWmiAnswerLimit), 0);
    EXPECT_TRUE(WaitForServiceState(kOrdinary.name, SERVICE_RUNNING));
    EXPECT_EQ(service->CallMethod(ServiceMethod::Start, kWmiAnswerLimit), 10) << "starting a running service";
    EXPECT_EQ(service->CallMethod(ServiceMethod::Stop, kWmiAnswerLimit), 0);
    EXPECT_TRUE(WaitForServiceState(kOrdinary.name, SERVICE_STOPPED));
}

// StartService and StopService return once the service has reported its first step, not when
// it has got there; the State read afterwards tells where it is.
TEST_F(WmiServiceAccessTest, MethodsReturnBeforeTheServiceHasGotThere)
{
    using namespace std::chrono_literals;
    const auto connection = wmi.fConnectWmi();
    const auto state = [&](const TestService& service) {
        const auto result = connection->ExecQuery(BuildServiceQuery(ServiceKey::Name, service.name).text,
                                                   wmi::kRequestProperties, kWmiAnswerLimit);
        const auto found = result->Next();
        return found ? found->ReadText(L"State").value_or(L"<null>") : L"<missing>"s;
    };
    const auto becomes = [&](const TestService& service, const std::wstring& wanted) {
        return PumpUntil([&] { return state(service) == wanted; }, kServiceStateComesWithin, 100ms);
    };

    // A start returns at the first "start pending" report, and a service that is starting
    // takes no second start (10) and no stop (Wine answers 4, "invalid service control").
    const auto pending = FindByName(*connection, kPendsForEver.name);
    ASSERT_NE(pending, nullptr);
    EXPECT_EQ(pending->CallMethod(ServiceMethod::Start, kWmiAnswerLimit), 0);
    EXPECT_EQ(state(kPendsForEver), L"Start Pending");
    EXPECT_EQ(pending->CallMethod(ServiceMethod::Start, kWmiAnswerLimit), 10);
    EXPECT_NE(pending->CallMethod(ServiceMethod::Stop, kWmiAnswerLimit), 0);
    EXPECT_EQ(state(kPendsForEver), L"Start Pending");

    // A start that fails after its first report succeeds all the same.
    const auto failing = FindByName(*connection, kFailsWhileStarting.name);
    ASSERT_NE(failing, nullptr);
    EXPECT_EQ(failing->CallMethod(ServiceMethod::Start, kWmiAnswerLimit), 0);
    EXPECT_TRUE(becomes(kFailsWhileStarting, L"Stopped"));

    // So does a stop that the service takes back: it runs again.
    StartServiceDirectly(kTakesStopBack.name);
    const auto takesBack = FindByName(*connection, kTakesStopBack.name);
    ASSERT_NE(takesBack, nullptr);
    EXPECT_EQ(takesBack->CallMethod(ServiceMethod::Stop, kWmiAnswerLimit), 0);
    EXPECT_EQ(QueryServiceState(kTakesStopBack.name), SERVICE_STOP_PENDING);
    EXPECT_TRUE(becomes(kTakesStopBack, L"Running"));
}

TEST_F(WmiServiceAccessTest, RefusalsAreFailuresAndChangeNothing)
{
    // A disabled service cannot start (Wine answers 8, Windows 14).
    const ServiceOutcome disabled =
        CallOnMatchingServices(ServiceKey::Name, kDisabled.name, ServiceMethod::Start);
    EXPECT_EQ(disabled.kind, ServiceOutcome::Kind::Failed);
    EXPECT_EQ(disabled.matched, 1);
    EXPECT_NE(disabled.returnValue.value_or(0), 0);
    EXPECT_FALSE(disabled.reason.empty());
    EXPECT_EQ(QueryServiceState(kDisabled.name), SERVICE_STOPPED);

    // A running service that does not accept STOP keeps running.
    StartServiceDirectly(kRefusesStop.name);
    const ServiceOutcome refused =
        CallOnMatchingServices(ServiceKey::Name, kRefusesStop.name, ServiceMethod::Stop);
    EXPECT_EQ(refused.kind, ServiceOutcome::Kind::Failed);
    EXPECT_NE(refused.returnValue.value_or(0), 0);
    EXPECT_EQ(QueryServiceState(kRefusesStop.name), SERVICE_RUNNING);
}

TEST_F(WmiServiceAccessTest, OddPropertiesAreReadAsTheyAre)
{
    const auto connection = wmi.fConnectWmi();

    // Registered without a display name: Wine's WMI holds null for it (Windows would show the name).
    const auto noDisplayName = FindByName(*connection, kNoDisplayName.name);
    ASSERT_NE(noDisplayName, nullptr);
    EXPECT_EQ(noDisplayName->ReadText(L"DisplayName"), std::nullopt);
    EXPECT_EQ(noDisplayName->ReadText(L"Name"), std::wstring(kNoDisplayName.name));

    const auto emptyDisplayName = FindByName(*connection, kEmptyDisplayName.name);
    ASSERT_NE(emptyDisplayName, nullptr);
    EXPECT_EQ(emptyDisplayName->ReadText(L"DisplayName"), std::wstring());

    // A number is read as its text: the process that the service manager reports.
    StartServiceDirectly(kOrdinary.name);
    const auto status = QueryServiceStatus(kOrdinary.name);
    ASSERT_TRUE(status.has_value());
    constexpr std::wstring_view kWithProcess[] = {wmi::kName, wmi::kState, L"ProcessID", L"NoSuchProperty"};
    const auto running = FindByName(*connection, kOrdinary.name, kWithProcess);
    ASSERT_NE(running, nullptr);
    EXPECT_EQ(running->ReadText(L"ProcessID"), std::to_wstring(status->dwProcessId));
    EXPECT_EQ(running->ReadUnsigned(L"ProcessID"), status->dwProcessId);
    // Windows' progress properties, which Wine's class lacks, read as absent, not as errors.
    EXPECT_EQ(running->ReadUnsigned(L"NoSuchProperty"), std::nullopt);
    EXPECT_EQ(running->ReadText(L"State"), L"Running"s);

    try {
        running->ReadText(L"NoSuchProperty");
        ADD_FAILURE() << "reading a property that does not exist succeeded";
    } catch (const Error& error) {
        EXPECT_EQ(error.Number(), kWbemNotFound) << FormatErrorNumber(error.Number());
        EXPECT_FALSE(error.Description().empty());
    }
}

TEST_F(WmiServiceAccessTest, ARefusedQueryRaisesWmisOwnErrorNumberAndText)
{
    const auto connection = wmi.fConnectWmi();
    try {
        // The error may come with the query or, as WMI answers at once, with the walk.
        const auto result = connection->ExecQuery(L"SELECT * FROM Win32_Service where Name='a'b'",
                                                  wmi::kRequestProperties, kWmiAnswerLimit);
        result->Next();
        ADD_FAILURE() << "WMI accepted a malformed query";
    } catch (const Error& error) {
        EXPECT_EQ(error.Number(), kWbemInvalidQuery) << FormatErrorNumber(error.Number());
        EXPECT_NE(error.Description().find(L"query"), std::wstring::npos) << error.Description();
    }
}

TEST_F(WmiServiceAccessTest, ResultsAndInstancesOutliveWhatProducedThem)
{
    auto connection = wmi.fConnectWmi();
    auto result = connection->ExecQuery(BuildServiceQuery(ServiceKey::Name, kOrdinary.name).text,
                                        wmi::kRequestProperties, kWmiAnswerLimit);
    connection.reset();
    auto service = result->Next();
    ASSERT_NE(service, nullptr);
    result.reset();

    EXPECT_EQ(service->ReadText(L"Name"), std::wstring(kOrdinary.name));
    EXPECT_EQ(service->CallMethod(ServiceMethod::Start, kWmiAnswerLimit), 0);
    EXPECT_TRUE(WaitForServiceState(kOrdinary.name, SERVICE_RUNNING));
}

// One call at a time at WMI's service table. While a walk holds it, a query and a method call of
// another thread wait, say so, and end their wait with nothing sent when their own wait ends; the
// walk, given up, stops at the next instance and lets the table go.
TEST_F(WmiServiceAccessTest, OneCallAtATimeAtTheTableAndAGivenUpWalkStopsAtOnce)
{
    const UniqueHandle stop(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    int waits = 0;
    const WmiWorkEvents events{stop.get(), nullptr, [&](bool waiting) {
                                   waits += waiting ? 1 : 0;
                                   ::SetEvent(stop.get()); // the user stops waiting at once
                               }};
    WmiServiceAccess stoppable(&events);
    const auto connection = stoppable.fConnectWmi();
    const auto service = FindByName(*connection, kOrdinary.name);

    const UniqueHandle walking(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const UniqueHandle goOn(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    int visited = 0;
    worker.Start(ListReadBoard(L"every service"), [&](WorkSite& site) {
        const auto walk = site.services.fConnectWmi();
        walk->VisitQuery(kAllServicesQuery, wmi::kListProperties, kWmiAnswerLimit, [&](IServiceObject&) {
            if (++visited == 1) {
                ::SetEvent(walking.get());
                ::WaitForSingleObject(goOn.get(), INFINITE);
            }
        });
    });
    ASSERT_EQ(::WaitForSingleObject(walking.get(), 10'000), WAIT_OBJECT_0);
    EXPECT_THROW(connection->ExecQuery(kAllServicesQuery, wmi::kListProperties, kWmiAnswerLimit), RequestNotSent);
    ::ResetEvent(stop.get());
    EXPECT_THROW(service->CallMethod(ServiceMethod::Start, kWmiAnswerLimit), RequestNotSent);
    EXPECT_EQ(waits, 2);

    worker.GiveUp();
    ::SetEvent(goOn.get());
    EXPECT_FALSE(ReadAll(kAllServicesQuery).empty()); // once the walk has let the table go
    EXPECT_EQ(visited, 1);
    EXPECT_EQ(QueryServiceState(kOrdinary.name), SERVICE_STOPPED);
}

} // namespace
} // namespace quenlow
