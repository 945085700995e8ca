#include "services/ActionWords.h"

#include <algorithm>
#include <array>

namespace quenlow {

namespace {

constexpr ActionWords kStartWords{L"start", L"starting", L"started", L"Started", L"running", L"Starting"};
constexpr ActionWords kStopWords{L"stop", L"stopping", L"stopped", L"Stopped", L"stopped", L"Stopping"};

// Each outcome's sentence in each voice, in the order of their enumerations. In a pattern, {n} is
// the service's name, {f} the failure with its return value, {r} the bare reason, and {verb},
// {done} and {arrived} are the action's words. Only the pattern is scanned: a name holding
// braces is copied as it is.
constexpr std::wstring_view kFailedSentences[] = {L"{n}: could not be {done}: {f}", L"{n} could not be {done}: {f}.",
                                                  L"{n}: {f}."};
constexpr std::wstring_view kSentences[][3] = {
    /* Succeeded */ {L"{n}: {arrived}", L"{n} has {done}.", L""},
    /* NotFound */
    {L"{n}: not found", L"No service is named \"{n}\", so nothing was {done}.",
     L"{n}: not found; no service has this name any more."},
    /* Failed */ {kFailedSentences[0], kFailedSentences[1], kFailedSentences[2]},
    /* StillPending */ {kFailedSentences[0], kFailedSentences[1], kFailedSentences[2]},
    /* Unconfirmed */ {L"{n}: asked to {verb}, but {r}", L"{n} was asked to {verb}, but {r}.", L"{n}: {r}."},
};
static_assert(static_cast<std::size_t>(ServiceOutcome::Kind::Unconfirmed) + 1 == std::size(kSentences));

} // namespace

const ActionWords& WordsOf(ServiceMethod method)
{
    return method == ServiceMethod::Start ? kStartWords : kStopWords;
}

std::wstring DescribeOutcome(OutcomeVoice voice, ServiceMethod method, const std::wstring& name,
                             const ServiceOutcome& outcome)
{
    const ActionWords& words = WordsOf(method);
    const std::wstring failure = DescribeFailure(outcome);
    const std::array<std::pair<std::wstring_view, std::wstring_view>, 6> values = {{
        {L"{n}", name},
        {L"{f}", failure},
        {L"{r}", outcome.reason},
        {L"{verb}", words.verb},
        {L"{done}", words.done},
        {L"{arrived}", words.arrived},
    }};
    const std::wstring_view pattern =
        kSentences[static_cast<std::size_t>(outcome.kind)][static_cast<std::size_t>(voice)];
    std::wstring text;
    for (std::size_t at = 0; at < pattern.size();) {
        const auto value = std::find_if(values.begin(), values.end(),
                                        [&](const auto& pair) { return pattern.substr(at, pair.first.size()) == pair.first; });
        if (value == values.end()) {
            text += pattern[at++];
        } else {
            text += value->second;
            at += value->first.size();
        }
    }
    return text;
}

} // namespace quenlow
