#pragma once

#include <windows.h>

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The services of our own that the Wine fixtures register for the tests. Their display names
// hold every character that has broken service queries: apostrophes, double quotes, backslashes,
// both quote kinds at once and letters beyond ASCII.
namespace quenlow::testing {

// How the service program behaves, passed on its command line.
enum class ServiceBehaviour {
    Ordinary,     // runs until told to stop
    RefusesStop,  // does not accept STOP; ends only on kQuitControl
    // Never connects to the service manager, so a start waits until the manager gives up
    // (Wine: 10 s, Windows: 30 s) and fails with "no timely response".
    NeverConnects,
    // Registered with a program that does not exist: every start fails at once.
    MissingProgram,
    // Start pending for a while (kSlowStartTime unless told otherwise), reporting a growing
    // check point every half second, then running; stops normally.
    SlowStart,
    // Start pending for kPendingPhase, then stopped with the service-specific exit code
    // kFailedStartExitCode.
    FailsWhileStarting,
    // Runs; a STOP makes it stop pending for kPendingPhase and then running again. Ends only
    // when told to quit.
    TakesStopBack,
    // Start pending and never further: ends when told to quit through its quit event (the
    // service manager passes no control to a service that is starting), or by itself after
    // kPendingForEverLimit.
    PendsForEver,
    // Start pending for kPendingPhase, then deletes its own service and stops. Only the tests
    // that use it register it (ScopedTestService).
    RemovesItselfWhileStarting,
    // Takes a STOP without a word, still running, and reports it kPendingPhase later: then stop
    // pending for kSlowStopTime, then stopped.
    StopsLate,
};

struct TestService {
    std::wstring_view name;
    // nullopt registers the service without a display name.
    std::optional<std::wstring_view> displayName;
    DWORD startType = SERVICE_DEMAND_START;
    ServiceBehaviour behaviour = ServiceBehaviour::Ordinary;
    // The short name of a service this one depends on; empty for none.
    std::wstring_view dependsOn = {};
};

// A user-defined control that ends the service whatever its behaviour, where the service
// manager passes it on: not while the service is starting or stopping.
inline constexpr DWORD kQuitControl = 200;

// The name of the event that ends the service program running as the process, in every state:
// the tests' way to end what the service manager passes no control to.
inline std::wstring QuitEventName(DWORD processId)
{
    return L"Global\\QuenlowTestQuit-" + std::to_wstring(processId);
}

// How long the slow services stay in their pending states.
inline constexpr std::chrono::milliseconds kSlowStartTime{3000};
inline constexpr std::chrono::milliseconds kPendingPhase{1000};
inline constexpr std::chrono::milliseconds kSlowStopTime{3000};
// A service that pends for ever gives up by itself after this, so that none outlives a test run.
inline constexpr std::chrono::milliseconds kPendingForEverLimit{200'000};
// The service-specific exit code of a service that fails while starting: easy to recognise.
inline constexpr DWORD kFailedStartExitCode = 42;

inline constexpr TestService kOrdinary{L"QuenlowTestA", L"Quenlow Test Ordinary"};
inline constexpr TestService kSecond{L"QuenlowTestB", L"Quenlow Test Second"};
inline constexpr TestService kApostrophe{L"QuenlowTestApos", L"Quenlow Test Bob's"};
inline constexpr TestService kDoubleQuote{L"QuenlowTestQuote", L"Quenlow Test \"Quoted\""};
inline constexpr TestService kBackslash{L"QuenlowTestBackslash", L"Quenlow Test Back\\slash"};
inline constexpr TestService kBothQuotes{L"QuenlowTestBoth", L"Quenlow Test 'Both' \"Kinds\""};
inline constexpr TestService kNonAscii{L"QuenlowTestUnicode", L"Quenlow Test \u00DCn\u00EFc\u00F8d\u00E9 \u03A9"};
inline constexpr TestService kApostropheName{L"QuenlowTest'Name", L"Quenlow Test Apostrophe In Name"};
// Wine cannot call a method on this one (it refuses its own unescaped object path): WMI errors.
inline constexpr TestService kBothQuotesName{L"QuenlowTest'Both\"Name", L"Quenlow Test Both Quotes In Name"};
// Odd display names: none at all (Wine's WMI then holds null) and an empty one.
inline constexpr TestService kNoDisplayName{L"QuenlowTestNoDisplay", std::nullopt};
inline constexpr TestService kEmptyDisplayName{L"QuenlowTestEmptyDisplay", L""};
inline constexpr TestService kDisabled{L"QuenlowTestDisabled", L"Quenlow Test Disabled", SERVICE_DISABLED};
inline constexpr TestService kRefusesStop{L"QuenlowTestNoStop", L"Quenlow Test Refuses Stop", SERVICE_DEMAND_START,
                                          ServiceBehaviour::RefusesStop};

// Services that fail in the ways a user meets: they never answer, their program is gone, or
// another service depends on them.
inline constexpr TestService kNeverResponds{L"QuenlowTestNoResponse", L"Quenlow Test Never Responds",
                                            SERVICE_DEMAND_START, ServiceBehaviour::NeverConnects};
inline constexpr TestService kMissingProgram{L"QuenlowTestMissing", L"Quenlow Test Missing Program",
                                             SERVICE_DEMAND_START, ServiceBehaviour::MissingProgram};
inline constexpr TestService kDependedOn{L"QuenlowTestBase", L"Quenlow Test Depended On"};
inline constexpr TestService kDependent{L"QuenlowTestDependent", L"Quenlow Test Dependent", SERVICE_DEMAND_START,
                                        ServiceBehaviour::Ordinary, kDependedOn.name};

// Services that take their time or change their minds: what a start or stop must follow to its end.
inline constexpr TestService kSlowStart{L"QuenlowTestSlowStart", L"Quenlow Test Slow Start", SERVICE_DEMAND_START,
                                        ServiceBehaviour::SlowStart};
inline constexpr TestService kFailsWhileStarting{L"QuenlowTestFailsStarting", L"Quenlow Test Fails While Starting",
                                                 SERVICE_DEMAND_START, ServiceBehaviour::FailsWhileStarting};
inline constexpr TestService kTakesStopBack{L"QuenlowTestTakesStopBack", L"Quenlow Test Takes Stop Back",
                                            SERVICE_DEMAND_START, ServiceBehaviour::TakesStopBack};
inline constexpr TestService kPendsForEver{L"QuenlowTestPendsForEver", L"Quenlow Test Pends For Ever",
                                           SERVICE_DEMAND_START, ServiceBehaviour::PendsForEver};
inline constexpr TestService kStopsLate{L"QuenlowTestStopsLate", L"Quenlow Test Stops Late", SERVICE_DEMAND_START,
                                        ServiceBehaviour::StopsLate};
// Not registered by the fixture, as it deletes itself: see ScopedTestService.
inline constexpr TestService kRemovedWhileStarting{L"QuenlowTestRemovedStarting",
                                                   L"Quenlow Test Removed While Starting", SERVICE_DEMAND_START,
                                                   ServiceBehaviour::RemovesItselfWhileStarting};

// A dependent comes before what it depends on: stopping them in this order always works.
inline constexpr std::array kTestServices = {
    kOrdinary,       kSecond,         kApostrophe,    kDoubleQuote,      kBackslash, kBothQuotes,   kNonAscii,
    kApostropheName, kBothQuotesName, kNoDisplayName, kEmptyDisplayName, kDisabled,  kRefusesStop,  kNeverResponds,
    kMissingProgram, kDependent,      kDependedOn,    kSlowStart,        kFailsWhileStarting,       kTakesStopBack,
    kPendsForEver,   kStopsLate};

// Registered while the program runs, to tell a list read afresh from a kept one; only listed,
// never started.
inline constexpr TestService kAddedLater{L"QuenlowTestAddedLater", L"Quenlow Test Added Later", SERVICE_DEMAND_START,
                                         ServiceBehaviour::MissingProgram};

// Running services whose display names the list's width test chooses at run time (these are
// placeholders): one that just shows whole in the list's column, one a letter longer.
inline constexpr TestService kWidthFits{L"QuenlowTestWidthFits", L"Quenlow Test Width Fits"};
inline constexpr TestService kWidthCut{L"QuenlowTestWidthCut", L"Quenlow Test Width Cut"};

// The test services that the tests register themselves (ScopedTestService); the fixture
// removes any left behind.
inline constexpr std::array kSelfRegisteredTestServices = {kRemovedWhileStarting, kAddedLater, kWidthFits,
                                                           kWidthCut};

// The service program's argument for a behaviour ("" for the ordinary one). The program of a
// service that never connects also gets the service's name, to learn when the manager gave up;
// a slow start's argument is followed by its time in milliseconds (SlowStartArgument).
inline constexpr std::wstring_view BehaviourArgument(ServiceBehaviour behaviour)
{
    switch (behaviour) {
    case ServiceBehaviour::RefusesStop:
        return L"--refuse-stop";
    case ServiceBehaviour::NeverConnects:
        return L"--never-connect";
    case ServiceBehaviour::SlowStart:
        return L"--start-ms=";
    case ServiceBehaviour::FailsWhileStarting:
        return L"--fail-while-starting";
    case ServiceBehaviour::TakesStopBack:
        return L"--take-stop-back";
    case ServiceBehaviour::PendsForEver:
        return L"--pend-for-ever";
    case ServiceBehaviour::RemovesItselfWhileStarting:
        return L"--remove-while-starting";
    case ServiceBehaviour::StopsLate:
        return L"--stop-late";
    case ServiceBehaviour::Ordinary:
    case ServiceBehaviour::MissingProgram:
        break;
    }
    return L"";
}

// The program path registered for a service that has no program.
inline constexpr std::wstring_view kMissingProgramPath = L"C:\\quenlow-test-missing\\no-such-service.exe";

// Services whose names hold what breaks careless queries: 256 characters, both quote kinds,
// backslashes, the LIKE wildcards % _ [ ] ^, letters beyond ASCII, leading and trailing
// blanks. Each has near-miss neighbours among the others (prefixes, names that such a name
// would match as a LIKE pattern, the same text with other quotes or without accents), so a
// request that reaches any service but its own shows. Only the tests that use them register
// them; the fixture removes any that a failed run left behind.
struct HostileService {
    std::wstring name;
    std::wstring displayName;
    bool byDisplayName = false; // a target of the list windows
    bool byName = false;        // a target of the command line
};
const std::vector<HostileService>& HostileServices();

// Registers every hostile service with the test service program (already registered ones
// are replaced), or stops and deletes them. Both throw quenlow::Error on failure.
void RegisterHostileServices(const std::wstring& programPath);
void RemoveHostileServices();

// Brings a test service back to stopped (or gone, for one that deletes itself), whatever its
// behaviour and whatever state it is in. Throws when it will not stop.
void StopTestService(const TestService& service);

// Stops every test service that is not stopped, the self-registered ones included; a test's
// last step.
void StopAllTestServices();

// The test services that are missing or not stopped, and the self-registered ones that are
// there but not stopped, with their states, for a failure message.
std::vector<std::wstring> TestServicesNotStopped();

// Registers the test service with the program, or stops and deletes it (nothing when it is not
// there). Both throw quenlow::Error on failure.
void RegisterTestService(const TestService& service, const std::wstring& programPath);
void RemoveTestService(const TestService& service);

// A test service registered for the length of one test, for those that the fixture does not
// register (one of kSelfRegisteredTestServices, so that the fixture's clean-up removes it after
// a crash too): whatever is left of it is stopped and deleted when the object ends.
class ScopedTestService {
public:
    explicit ScopedTestService(const TestService& service);
    ~ScopedTestService();
    ScopedTestService(const ScopedTestService&) = delete;
    ScopedTestService& operator=(const ScopedTestService&) = delete;

private:
    TestService m_service;
};

// Waits until no process of the test service program runs any more (a stopped service's
// process may still be on its way out); false after the timeout.
bool WaitForTestServiceProcessesToEnd(std::chrono::milliseconds timeout);

// quenlow_test_service.exe, which sits next to the running program.
std::wstring TestServiceProgramPath();

} // namespace quenlow::testing
