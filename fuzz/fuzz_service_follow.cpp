// Drives the follow of a start or stop with random services: states in random order and at random
// times, check points, wait hints, exit codes, looks that WMI fails or never answers, services
// that go away, and the user stopping the wait. Whatever happens, a success is only reported when
// the wanted state was seen, the wait for the service ends within its 3 minutes, and the exit
// codes reported are those of the run that was followed (the run before ours ended with codes
// from 900000 up, which must never show).
#include "FakeServiceAccess.h"
#include "FuzzText.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using quenlow::ServiceKey;
using quenlow::ServiceMethod;
using quenlow::ServiceOutcome;
using quenlow::testing::FakeServiceAccess;
using quenlow::testing::Phase;

constexpr const wchar_t* kStates[] = {L"Stopped",       L"Running",        L"Start Pending",   L"Stop Pending",
                                      L"Paused",        L"Pause Pending",  L"Continue Pending"};
constexpr std::uint32_t kOldRunCodes = 900000;

class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::uint8_t Next()
    {
        if (m_size == 0) return 0;
        --m_size;
        return *m_data++;
    }
    template <typename T, std::size_t N>
    T Pick(const T (&choices)[N])
    {
        return choices[Next() % N];
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
};

// Phases one after another, in the given states; the codes they end with come from the given range.
template <std::size_t N>
std::vector<Phase> ReadPhases(Bytes& bytes, std::size_t most, const wchar_t* const (&states)[N], std::uint32_t codesFrom)
{
    std::vector<Phase> phases;
    const std::size_t count = bytes.Next() % (most + 1);
    std::chrono::milliseconds at{0};
    for (std::size_t i = 0; i < count; ++i) {
        // The first phase begins with the call: the service manager has moved the service on
        // by the time the call returns.
        if (i > 0) at += std::chrono::milliseconds(bytes.Next() * 250);
        Phase phase{at, bytes.Pick(states)};
        const std::uint8_t flags = bytes.Next();
        if (flags & 1) phase.checkPoint = bytes.Next();
        if (flags & 2) phase.waitHint = static_cast<std::uint32_t>(bytes.Next()) * 1000;
        if (flags & 4) {
            phase.exitCode = 1066;
            phase.specificExitCode = codesFrom + bytes.Next();
        }
        phase.removed = (flags & 8) != 0 && (flags & 16) != 0;
        phases.push_back(std::move(phase));
    }
    return phases;
}

std::wstring Describe(ServiceMethod method, const ServiceOutcome& outcome)
{
    return std::wstring(method == ServiceMethod::Start ? L"start: " : L"stop: ") +
           std::to_wstring(static_cast<int>(outcome.kind)) + L" " + outcome.reason;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Bytes bytes(data, size);
    const std::uint8_t head = bytes.Next();
    const ServiceMethod method = (head & 1) ? ServiceMethod::Stop : ServiceMethod::Start;

    FakeServiceAccess wmi;
    wmi.services = {{L"svc", L"Service", kStates[(head >> 1) % 4]}};
    auto& service = wmi.services[0];
    service.exitCode = 1066;
    service.specificExitCode = kOldRunCodes;
    // A service already on its way the other way, as someone else asked; that run's codes are
    // not the ones of the run followed.
    constexpr const wchar_t* kStopping[] = {L"Stop Pending", L"Stopped"};
    constexpr const wchar_t* kStarting[] = {L"Start Pending", L"Running", L"Stopped"};
    const auto before = method == ServiceMethod::Start ? ReadPhases(bytes, 3, kStopping, kOldRunCodes)
                                                       : ReadPhases(bytes, 3, kStarting, kOldRunCodes);
    if (!before.empty()) {
        service.following = method == ServiceMethod::Start ? ServiceMethod::Stop : ServiceMethod::Start;
        (method == ServiceMethod::Start ? service.afterStop : service.afterStart) = before;
    }
    (method == ServiceMethod::Start ? service.afterStart : service.afterStop) = ReadPhases(bytes, 6, kStates, 1);
    const std::uint8_t failing = bytes.Next();
    for (std::size_t look = 1; look <= 8; ++look) {
        if (failing & (1u << (look - 1))) wmi.failingQueries.push_back(look);
    }
    if (const std::uint8_t hang = bytes.Next(); hang % 4 == 3) wmi.hangFromQuery = hang / 4;
    if (const std::uint8_t stop = bytes.Next(); stop % 4 == 3) wmi.clock.stopAt = std::chrono::seconds(stop / 4);

    ServiceOutcome outcome;
    try {
        outcome = quenlow::testing::CallOnMatchingServices(wmi, wmi.clock, ServiceKey::Name, L"svc", method);
    } catch (const quenlow::Error&) {
        return 0; // WMI failed while the request was sent: nothing was followed
    }
    const std::wstring report = Describe(method, outcome);

    if (outcome.kind == ServiceOutcome::Kind::Succeeded && !wmi.calls.empty()) {
        // What the looks saw after the request went out (the first row is the one the call found).
        const std::vector<std::wstring> seen(wmi.statesSeen.begin() + 1, wmi.statesSeen.end());
        const bool reached =
            method == ServiceMethod::Start
                ? std::find(seen.begin(), seen.end(), L"Running") != seen.end()
                : std::find(seen.begin(), seen.end(), L"Stopped") != seen.end() || service.removed;
        quenlow::fuzz::Check(reached, "a success was reported without the wanted state seen", report);
    }
    if (!wmi.calls.empty()) {
        quenlow::fuzz::Check(wmi.clock.now - wmi.calls.front().at <= 3min + 1s,
                             "the wait for the service outlasted its 3 minutes", report);
    }
    quenlow::fuzz::Check(outcome.reason.find(std::to_wstring(kOldRunCodes).substr(0, 3)) == std::wstring::npos,
                         "an exit code of an earlier run was reported", report);
    return 0;
}
