#pragma once

#include "services/ServiceFollow.h"
#include "services/ServiceWork.h"

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A stop that Windows refuses because running services depend on the service (return value 3)
// can be carried out once those have stopped. They are read through WMI's Win32_DependentService
// association, all the way down; the user is asked once; on Yes they are stopped, the deepest
// first and each followed to its end before the next, then the refused services again.
namespace quenlow {

// The query for the services that depend directly on the named one; nullopt when no literal can
// hold the name.
std::optional<std::wstring> DependentsQuery(std::wstring_view name);

// What was read of the services that depend on some refused ones, all the way down, by short
// name: each with its label (its display name; its short name where it has none) and the running
// services that depend on it directly. A service whose dependents could not be listed (a query
// failed, or no literal holds its name) says so.
struct ServiceDependents {
    struct Service {
        std::wstring label;
        std::vector<std::wstring> dependents;
        bool unlisted = false;
    };
    std::map<std::wstring, Service> services;
};

// Reads, on a fresh connection, the running dependents of the services named, and theirs in
// turn, into the site's texts (DependentsRead takes them back). A service whose dependents
// cannot be read, or whose turn comes after the wait ended, is unlisted; the work never fails.
Work ReadDependents(std::vector<std::wstring> names);
ServiceDependents DependentsRead(const std::vector<std::wstring>& texts);

// Every running service that depends on the named ones, directly or not, each once, in the order
// read.
std::vector<std::wstring> AllDependents(const ServiceDependents& read, const std::vector<std::wstring>& names);
// Whether the named services' dependents were all listed, and there are some.
bool DependentsListed(const ServiceDependents& read, const std::vector<std::wstring>& names);
// The order in which the dependents of the named services stop: the deepest first, so that each
// comes after every service that depends on it, however it was reached; each once.
std::vector<std::wstring> StopOrder(const ServiceDependents& read, const std::vector<std::wstring>& names);

// One entry of a press whose stop was refused because services that depend on it run.
struct HeldEntry {
    std::wstring label;     // the service as the user named it
    ServiceOutcome outcome; // as the press left it; then as this step leaves it
    SendRequest again;      // sends the entry's stop once more
};

// The question, asked once: true for Yes.
using YesNoQuestion = std::function<bool(std::wstring_view question)>;

// The step after a stop press's own calls, through the worker: reads what depends on each held
// entry's services and asks once whether to stop those too. On Yes they stop, the deepest first,
// each followed to its end before the next, then the held entries are sent again; a dependent
// that does not stop leaves what it holds refused, unasked. On No, or where the dependents could
// not be listed, an entry keeps its refusal with a clause that says which services hold it, or
// that they could not be listed. Each piece of work has the limit given. Returns the dependents'
// board entries with their outcomes, in the order they were asked; none when none was.
std::vector<WorkEntry> StopWithDependents(IServiceWork& work, std::vector<HeldEntry>& held, const YesNoQuestion& ask,
                                          std::optional<std::chrono::milliseconds> limit = {});

// "Other running services depend on Print Spooler:\n\nFax\n\nStop these first, then Print Spooler?"
std::wstring DependentsQuestion(const std::vector<std::wstring>& held, const std::vector<std::wstring>& dependents);
// What a report adds for the dependents that were asked to stop: the heading, then a line each
// (progress window's words); empty when there were none.
std::wstring DependentsReport(std::wstring_view heading, const std::vector<WorkEntry>& dependents);

} // namespace quenlow
