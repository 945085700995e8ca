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
    ActOnTickedEntries(context, kWindow, ServiceMethod::Start, &fStartService, &sLoadStoppedServices);
}

ServiceRequest fStartService(const PressServices& found, const std::wstring& ServiceDispName)
{
    return SendToEntry(found, ServiceDispName, ServiceMethod::Start);
}

} // namespace quenlow::frmStoppedServicesList
