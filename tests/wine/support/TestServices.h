#pragma once

#include <windows.h>

#include <array>
#include <chrono>
#include <optional>
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
};

struct TestService {
    std::wstring_view name;
    // nullopt registers the service without a display name.
    std::optional<std::wstring_view> displayName;
    DWORD startType = SERVICE_DEMAND_START;
    ServiceBehaviour behaviour = ServiceBehaviour::Ordinary;
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

inline constexpr std::array kTestServices = {
    kOrdinary,       kSecond,         kApostrophe,    kDoubleQuote,      kBackslash, kBothQuotes, kNonAscii,
    kApostropheName, kBothQuotesName, kNoDisplayName, kEmptyDisplayName, kDisabled,  kRefusesStop};

// The service program's argument for a behaviour ("" for the ordinary one).
inline constexpr std::wstring_view BehaviourArgument(ServiceBehaviour behaviour)
{
    return behaviour == ServiceBehaviour::RefusesStop ? L"--refuse-stop" : L"";
}

// Brings a test service back to stopped, whatever its behaviour. Throws when it will not stop.
void StopTestService(const TestService& service);

// Stops every test service that is not stopped; a test's last step.
void StopAllTestServices();

// The test services that are missing or not stopped, with their states, for a failure message.
std::vector<std::wstring> TestServicesNotStopped();

// Waits until no process of the test service program runs any more (a stopped service's
// process may still be on its way out); false after the timeout.
bool WaitForTestServiceProcessesToEnd(std::chrono::milliseconds timeout);

} // namespace quenlow::testing
