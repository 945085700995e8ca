#pragma once

#include "windows/ServiceListProcedures.h"

// The active services window: every running service, ticked entries are stopped.
namespace quenlow::frmActiveServicesList {

inline constexpr WindowId kWindow = WindowId::frmActiveServicesList;
extern const ListSource kListSource;

void sLoadStartedServices(WindowContext& context);
// Same name as in the stopped services window; here it stops the ticked services.
void sNamesToBeStarted(WindowContext& context);
// The request of one ticked entry: every service with that display name among those the
// press's one query found.
ServiceRequest fStopService(const PressServices& found, const std::wstring& ServiceDispName);

} // namespace quenlow::frmActiveServicesList
