#pragma once

#include "windows/ServiceListProcedures.h"

// The stopped services window: every stopped service, ticked entries are started.
namespace quenlow::frmStoppedServicesList {

inline constexpr WindowId kWindow = WindowId::frmStoppedServicesList;
extern const ListSource kListSource;

void sLoadStoppedServices(WindowContext& context);
void sNamesToBeStarted(WindowContext& context);
ServiceRequest fStartService(IServiceAccess& services, const std::wstring& ServiceDispName);

} // namespace quenlow::frmStoppedServicesList
