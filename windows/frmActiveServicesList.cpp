#include "windows/frmActiveServicesList.h"

#include "services/ServiceQuery.h"

namespace quenlow::frmActiveServicesList {

const ListSource kListSource{kRunningServicesQuery, L"running services"};

void sLoadStartedServices(WindowContext& context)
{
    LoadServiceList(context, kWindow, kListSource);
}

void sNamesToBeStarted(WindowContext& context)
{
    ActOnTickedEntries(context, kWindow, ServiceMethod::Stop, &sLoadStartedServices);
}

ServiceRequest fStopService(IServiceAccess& services, const std::wstring& ServiceDispName)
{
    return SendByDisplayName(services, ServiceDispName, ServiceMethod::Stop);
}

} // namespace quenlow::frmActiveServicesList
