#include "windows/frmStoppedServicesList.h"

#include "services/ServiceQuery.h"

namespace quenlow::frmStoppedServicesList {

const ListSource kListSource{kStoppedServicesQuery, L"stopped services"};

void sLoadStoppedServices(WindowContext& context)
{
    LoadServiceList(context, kWindow, kListSource);
}

void sNamesToBeStarted(WindowContext& context)
{
    ActOnTickedEntries(context, kWindow, ServiceMethod::Start, &sLoadStoppedServices);
}

ServiceRequest fStartService(IServiceAccess& services, const std::wstring& ServiceDispName)
{
    return SendByDisplayName(services, ServiceDispName, ServiceMethod::Start);
}

} // namespace quenlow::frmStoppedServicesList
