#pragma once

#include "common/Clock.h"
#include "services/ServiceAccess.h"
#include "services/ServiceOutcome.h"
#include "services/ServiceRequest.h"
#include "ui/UserInterface.h"

#include <string>
#include <string_view>
#include <vector>

// The procedures the list windows share: fill a list from a query, and start or stop the
// service of every ticked entry.
namespace quenlow {

struct WindowContext {
    IServiceAccess& services;
    IUserInterface& ui;
    IClock& clock;
};

// Runs the query on a fresh connection, clears the list and fills it with the display names
// found, in sorted order. A service whose display name is null is listed by its short name.
void LoadServiceList(WindowContext& context, WindowId window, std::wstring_view query);

// Calls the method on every service whose display name is the entry text; the services are
// followed afterwards, together with those of the other ticked entries. An error from WMI
// becomes this entry's failure rather than ending the program.
ServiceRequest CallByDisplayName(IServiceAccess& services, const std::wstring& displayName, ServiceMethod method);

struct EntryResult {
    std::wstring displayName;
    ServiceOutcome outcome;
};

// Walks the entries once, from the first to the last position counted at the start, and calls
// the method for each ticked one; then waits, for all of them at once, until every service has
// got there or settled elsewhere, reloads the list once and shows one message.
void ActOnTickedEntries(WindowContext& context, WindowId window, ServiceMethod method,
                        void (*reload)(WindowContext&),
                        ServiceRequest (*perEntry)(IServiceAccess&, const std::wstring&));

// "Selected Services are Started." / "... Stopped." when nothing failed; otherwise which
// services failed and why.
std::wstring SelectionReport(ServiceMethod method, const std::vector<EntryResult>& results);

} // namespace quenlow
