#pragma once

#include "services/ServiceFollow.h"
#include "services/ServiceRequest.h"
#include "services/ServiceWork.h"

#include <string>

// The pieces of work the worker runs, each made here of the services' own parts: nothing of a
// window runs on the worker. What a piece of work acts on is on its board.
namespace quenlow {

// Reads a list: the query on a fresh connection, the display names found (a service whose
// display name is null by its short name) in sorted order, into the site's texts.
Work ReadServiceList(std::wstring query);

// How a press sends one entry's request, among the services its one query found.
using EntryRequest = ServiceRequest (*)(const PressServices& found, const std::wstring& text);
// Each entry's request in its turn, sent by `send` (the board's method), followed to its end,
// through one connection and one query for all the entries. An entry is a list's text: a display
// name, or a short name where the service has none; an error from WMI is that entry's failure.
Work ActOnDisplayNames(EntryRequest send);

// The same for a short name, as typed on the command line, sent by `send`; an error from WMI
// while the request is sent ends the work.
Work ActOnServiceName(SendRequest send);

} // namespace quenlow
