#include "services/ServiceJobs.h"

#include "services/ListOrder.h"
#include "services/ServiceFollow.h"
#include "services/WmiNames.h"

namespace quenlow {

Work ReadServiceList(std::wstring query)
{
    return [query = std::move(query)](WorkSite& site) {
        auto connection = site.services.fConnectWmi();
        auto result = connection->ExecQuery(query, kWmiAnswerLimit);
        while (auto service = result->Next()) {
            auto text = service->ReadText(wmi::kDisplayName);
            if (!text) {
                text = service->ReadText(wmi::kName);
            }
            site.texts.push_back(text.value_or(std::wstring()));
        }
        // One sort and one insertion pass: inserting each entry at its sorted place costs far
        // more on long lists.
        SortListTexts(site.texts);
    };
}

Work ActOnDisplayNames()
{
    return [](WorkSite& site) {
        const ServiceMethod method = MethodOf(site.board);
        ActOnServices(site, [method](IServiceAccess& services, const std::wstring& label) {
            return SendByDisplayName(services, label, method);
        });
    };
}

Work ActOnServiceName()
{
    return [](WorkSite& site) {
        const ServiceMethod method = MethodOf(site.board);
        ActOnServices(site, [method](IServiceAccess& services, const std::wstring& label) {
            return SendToMatchingServices(services, ServiceKey::Name, label, method);
        });
    };
}

} // namespace quenlow
