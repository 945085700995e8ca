#pragma once

#include "services/ServiceAccess.h"
#include "services/ServiceJobs.h"
#include "services/ServiceOutcome.h"
#include "services/ServiceRequest.h"
#include "services/ServiceWork.h"
#include "ui/UserInterface.h"
#include "ui/WaitSafety.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The procedures the list windows share: fill a list from a query, and start or stop the
// service of every ticked entry. The services are reached through the worker; the lists and the
// boxes are the window thread's.
namespace quenlow {

struct WindowContext {
    IServiceWork& work;
    IUserInterface& ui;
    const WaitSafety& safety;
    // The list read for a window being loaded, from its read until its load procedure fills it.
    std::optional<std::vector<std::wstring>> listRead = {};
};

// What a list window lists: its query, and its name in the progress window.
struct ListSource {
    std::wstring_view query;
    std::wstring_view name;
};

// Reads a list through the worker, waiting for it: the query on a fresh connection, the display
// names found (a service whose display name is null by its short name), in sorted order. When
// the user stops waiting, throws WaitStopped, and when the read fails ListNotRead.
std::vector<std::wstring> ReadList(WindowContext& context, const ListSource& source);
// Clears the window's list and fills it with the names read.
void FillList(WindowContext& context, WindowId window, const std::vector<std::wstring>& names);
// Both: the list read for the window being loaded, or else the list read afresh.
void LoadServiceList(WindowContext& context, WindowId window, const ListSource& source);

struct EntryResult {
    std::wstring displayName;
    ServiceOutcome outcome;
};

// Reads the ticks once, then, on the worker, sends each ticked entry's request in list order and
// follows every service until it got there or settled elsewhere; then reloads the list once and
// shows one message. A reload that fails is told in that message; the program goes on. A window
// closed meanwhile is not reloaded: it goes once the message is answered. Entries whose stop was
// refused for running dependents are put to the user before the message (TickedDependents.h).
void ActOnTickedEntries(WindowContext& context, WindowId window, ServiceMethod method, EntryRequest send,
                        void (*reload)(WindowContext&));

// "Selected Services are Started." / "... Stopped." when nothing failed; otherwise which
// services failed and why, after a sentence on the rights it needs when that is the reason.
std::wstring SelectionReport(ServiceMethod method, const std::vector<EntryResult>& results,
                             bool needsAdministrator = false);

} // namespace quenlow
