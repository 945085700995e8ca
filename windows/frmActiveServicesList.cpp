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
    ActOnTickedEntries(context, kWindow, ServiceMethod::Stop, &fStopService, &sLoadStartedServices);
}

ServiceRequest fStopService(const PressServices& found, const std::wstring& ServiceDispName)
{
    return SendToEntry(found, ServiceDispName, ServiceMethod::Stop);
}

} // namespace quenlow::frmActiveServicesList
