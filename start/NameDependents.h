#pragma once

#include "services/ServiceWork.h"
#include "start/modStart.h"

#include <string>

namespace quenlow {

// After the command line's stop: a service refused because services that depend on it run is put
// to the user, who may have those stop first and the service again (ServiceDependents.h); where
// nobody can answer, the answer is No and the report names them. The outcome becomes the
// service's final one. Returns what the report says of the dependents; empty when none was asked
// to stop. The look-up has what is left of the command's time; so has the stop after a Yes.
std::wstring StopNameWithDependents(IServiceWork& work, IStartupUi& ui, const std::wstring& serviceName,
                                    const WorkResult& pressed, ServiceOutcome& outcome);

} // namespace quenlow
