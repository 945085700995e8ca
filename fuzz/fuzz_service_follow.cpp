// Drives the follow of a start or stop with random services: states in random order and at random
// times, check points, wait hints, exit codes, states WMI leaves empty or cannot read, looks that
// WMI fails or never answers, a call it does not answer, services that go away, a second request
// whose call takes long (so that the first look at the service comes late), and the user stopping
// the wait. Whatever happens, a success is only reported when the wanted state was seen, the wait
// for the service ends within its 3 minutes, the exit codes reported are those of the run that
// was followed (the run before ours ended with codes from 900000 up, which must never show), a
// service is never given up at the first look that finds it on its way, a state WMI could not
// tell is never taken for one, and a call WMI did not answer is only called failed when the
// service never got there.
#include "FakeServiceAccess.h"
#include "FuzzText.h"
#include "services/ServiceFollow.h"
#include "services/ServiceJobs.h"
#include "start/modStart.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
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
        if (flags & 32) phase.state.clear();
        phase.unreadable = (flags & 64) != 0;
        phases.push_back(std::move(phase));
    }
    return phases;
}

std::wstring Describe(ServiceMethod method, const ServiceOutcome& outcome)
{
    return std::wstring(method == ServiceMethod::Start ? L"start: " : L"stop: ") +
           std::to_wstring(static_cast<int>(outcome.kind)) + L" " + outcome.reason;
}

// The states the looks after its call saw of the service; an empty one where a look that asked
// for it did not find it (it had gone).
std::vector<std::wstring> StatesSeen(const FakeServiceAccess& wmi)
{
    std::vector<std::wstring> states;
    for (std::size_t query = 1; query < wmi.queries.size(); ++query) {
        // Only the queries that asked for it: the other's own request finds the other alone.
        if (wmi.queries[query].find(L"Name='svc'") == std::wstring::npos) continue;
        const auto row = std::find_if(wmi.seen.begin(), wmi.seen.end(), [&](const FakeServiceAccess::Seen& seen) {
            return seen.query == query && seen.name == L"svc";
        });
        const bool failed = std::find(wmi.failingQueries.begin(), wmi.failingQueries.end(), query) != wmi.failingQueries.end();
        if (row != wmi.seen.end()) {
            states.push_back(row->state);
        } else if (!failed && (!wmi.hangFromQuery || query < *wmi.hangFromQuery)) {
            states.push_back(L"gone");
        }
    }
    return states;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Bytes bytes(data, size);
    const std::uint8_t head = bytes.Next();
    const ServiceMethod method = (head & 1) ? ServiceMethod::Stop : ServiceMethod::Start;

    FakeServiceAccess wmi;
    wmi.services = {{L"svc", L"Service", kStates[(head >> 1) % 4]},
                    {L"other", L"Other", method == ServiceMethod::Start ? L"Stopped" : L"Running"}};
    auto& service = wmi.services[0];
    service.exitCode = 1066;
    service.specificExitCode = kOldRunCodes;
    service.callUnanswered = (head & 32) != 0;
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
    wmi.services[1].callTakes = std::chrono::milliseconds(bytes.Next() * 250);
    const std::uint8_t failing = bytes.Next();
    for (std::size_t look = 1; look <= 8; ++look) {
        if (failing & (1u << (look - 1))) wmi.failingQueries.push_back(look);
    }
    if (const std::uint8_t hang = bytes.Next(); hang % 4 == 3) wmi.hangFromQuery = hang / 4;
    if (const std::uint8_t stop = bytes.Next(); stop % 4 == 3) wmi.clock.stopAt = std::chrono::seconds(stop / 4);

    struct : quenlow::IWorkReport {
        void Update(const quenlow::WorkBoard&) override {}
    } ignored;
    quenlow::WorkBoard board = quenlow::ServiceActionBoard(method, {L"svc", L"other"});
    quenlow::MarkBegun(board, wmi.clock.Now());
    quenlow::WorkSite site(wmi, wmi.clock, ignored, std::move(board));
    try {
        quenlow::ActOnServiceName(method == ServiceMethod::Start ? &quenlow::fStartServiceByName
                                                                  : &quenlow::fStopServiceByName)(site);
    } catch (const quenlow::Error&) {
        return 0; // WMI failed while a request was sent: nothing was followed
    }
    const ServiceOutcome outcome = site.board.entries[0].outcome;
    const std::wstring report = Describe(method, outcome);
    const std::vector<std::wstring> seen = StatesSeen(wmi);
    const auto sawState = [&](const wchar_t* state) { return std::find(seen.begin(), seen.end(), state) != seen.end(); };
    const bool reached = method == ServiceMethod::Start ? sawState(L"Running") : sawState(L"Stopped") || sawState(L"gone");

    if (outcome.kind == ServiceOutcome::Kind::Succeeded && !wmi.calls.empty()) {
        quenlow::fuzz::Check(reached, "a success was reported without the wanted state seen", report);
    }
    if (!wmi.calls.empty()) {
        quenlow::fuzz::Check(wmi.clock.now - wmi.calls.front().at <= 3min + 1min + 1s,
                             "the wait for the service outlasted its 3 minutes", report);
    }
    quenlow::fuzz::Check(outcome.reason.find(std::to_wstring(kOldRunCodes).substr(0, 3)) == std::wstring::npos,
                         "an exit code of an earlier run was reported", report);
    if (outcome.kind == ServiceOutcome::Kind::StillPending && outcome.reason.find(L" after ") != std::wstring::npos) {
        const auto onItsWay = std::count_if(seen.begin(), seen.end(), [](const std::wstring& state) {
            return state.find(L"Pending") != std::wstring::npos;
        });
        quenlow::fuzz::Check(onItsWay >= 2, "a service was given up at the first look that found it on its way",
                             report);
    }
    quenlow::fuzz::Check(outcome.reason.find(L"its state is unknown") == std::wstring::npos,
                         "a state WMI could not tell was taken for one", report);
    if (outcome.kind == ServiceOutcome::Kind::Failed && outcome.reason.find(L"WMI did not answer") == 0) {
        quenlow::fuzz::Check(!reached || !service.callUnanswered, "a call WMI did not answer was failed although the "
                                                                 "service got there", report);
    }
    return 0;
}
