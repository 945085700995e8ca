#pragma once

#include "services/ServiceAccess.h"
#include "services/ServiceOutcome.h"

#include <string>
#include <string_view>

// How a start or a stop is put into words, written once for every report: the command line's
// box, the list windows' box and the progress window's lines.
namespace quenlow {

struct ActionWords {
    std::wstring_view verb;     // "start": "it was asked to start"
    std::wstring_view doing;    // "starting": "it was still starting"
    std::wstring_view done;     // "started": "NAME has started."
    std::wstring_view doneCaps; // "Started": "Selected Services are Started."
    std::wstring_view arrived;  // "running": where a service that did as asked is now
    std::wstring_view heading;  // "Starting": the progress window's headline
};

const ActionWords& WordsOf(ServiceMethod method);

// Where an outcome is told: each has its own sentence for it (in this order: the sentences'
// table counts on it).
enum class OutcomeVoice {
    ProgressLine, // "Print Spooler: could not be started: access is denied (return value 2)"
    CommandLine,  // "spooler could not be started: access is denied (return value 2)."
    Selection,    // "Print Spooler: access is denied (return value 2)." (the box says which failed)
};

// The outcome of the method for the service the user called `name`, in that voice. A service
// that got there has no line in the list windows' box: empty then.
std::wstring DescribeOutcome(OutcomeVoice voice, ServiceMethod method, const std::wstring& name,
                             const ServiceOutcome& outcome);

} // namespace quenlow
