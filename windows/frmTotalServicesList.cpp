#include "windows/frmTotalServicesList.h"

#include "services/ServiceQuery.h"

namespace quenlow::frmTotalServicesList {

void loadservices(WindowContext& context)
{
    LoadServiceList(context, kWindow, kAllServicesQuery);
}

} // namespace quenlow::frmTotalServicesList
