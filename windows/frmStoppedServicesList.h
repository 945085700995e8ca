#pragma once

#include "windows/ServiceListProcedures.h"

// The stopped services window: every stopped service, ticked entries are started.
namespace quenlow::frmStoppedServicesList {

inline constexpr WindowId kWindow = WindowId::frmStoppedServicesList;
extern const ListSource kListSource;

void sLoadStoppedServices(WindowContext& context);
void sNamesToBeStarted(WindowContext& context);
// The request of one ticked entry: every service with that display name among those the
// press's one query found.
ServiceRequest fStartService(const PressServices& found, const std::wstring& ServiceDispName);

} // namespace quenlow::frmStoppedServicesList
