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

// A user-defined control that ends the service whatever its behaviour.
inline constexpr DWORD kQuitControl = 200;

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

// A dependent comes before what it depends on: stopping them in this order always works.
inline constexpr std::array kTestServices = {
    kOrdinary,       kSecond,         kApostrophe,    kDoubleQuote,      kBackslash, kBothQuotes,   kNonAscii,
    kApostropheName, kBothQuotesName, kNoDisplayName, kEmptyDisplayName, kDisabled,  kRefusesStop,  kNeverResponds,
    kMissingProgram, kDependent,      kDependedOn};

// The service program's argument for a behaviour ("" for the ordinary one). The program of a
// service that never connects also gets the service's name, to learn when the manager gave up.
inline constexpr std::wstring_view BehaviourArgument(ServiceBehaviour behaviour)
{
    switch (behaviour) {
    case ServiceBehaviour::RefusesStop:
        return L"--refuse-stop";
    case ServiceBehaviour::NeverConnects:
        return L"--never-connect";
    case ServiceBehaviour::Ordinary:
    case ServiceBehaviour::MissingProgram:
        break;
    }
    return L"";
}

// The program path registered for a service that has no program.
inline constexpr std::wstring_view kMissingProgramPath = L"C:\\quenlow-test-missing\\no-such-service.exe";

// The command line the service manager runs for a test service.
std::wstring ServiceCommandLine(const TestService& service, const std::wstring& programPath);

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
// are replaced), or stops and deletes them. Both throw std::system_error on failure.
void RegisterHostileServices(const std::wstring& programPath);
void RemoveHostileServices();

// Brings a test service back to stopped, whatever its behaviour. Throws when it will not stop.
void StopTestService(const TestService& service);

// Stops every test service that is not stopped; a test's last step.
void StopAllTestServices();

// The test services that are missing or not stopped, with their states, for a failure message.
std::vector<std::wstring> TestServicesNotStopped();

// Waits until no process of the test service program runs any more (a stopped service's
// process may still be on its way out); false after the timeout.
bool WaitForTestServiceProcessesToEnd(std::chrono::milliseconds timeout);

// quenlow_test_service.exe, which sits next to the running program.
std::wstring TestServiceProgramPath();

} // namespace quenlow::testing
