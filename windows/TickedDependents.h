#pragma once

#include "windows/ServiceListProcedures.h"

#include <string>
#include <vector>

namespace quenlow {

// After a list window's stop: the entries refused because services that depend on them run are
// put to the user once, and on Yes those services stop first and the entries are sent again
// (ServiceDependents.h); the results take each entry's final outcome. Returns what the box says
// of the dependents; empty when none was asked to stop. A close of the window kept meanwhile
// counts as No.
std::wstring StopTickedWithDependents(WindowContext& context, WindowId window, EntryRequest send,
                                      std::vector<EntryResult>& results);

} // namespace quenlow
