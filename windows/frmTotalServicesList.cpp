#include "windows/frmTotalServicesList.h"

#include "services/ServiceQuery.h"

namespace quenlow::frmTotalServicesList {

const ListSource kListSource{kAllServicesQuery, L"all services"};

void loadservices(WindowContext& context)
{
    LoadServiceList(context, kWindow, kListSource);
}

} // namespace quenlow::frmTotalServicesList
