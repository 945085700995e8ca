#include "services/ServiceJobs.h"

#include "services/ListOrder.h"
#include "services/ServiceFollow.h"
#include "services/WmiNames.h"

#include <optional>
#include <vector>

namespace quenlow {

Work ReadServiceList(std::wstring query)
{
    return [query = std::move(query)](WorkSite& site) {
        try {
            auto connection = site.services.fConnectWmi();
            connection->VisitQuery(query, wmi::kListProperties, kWmiAnswerLimit, [&site](IServiceObject& service) {
                auto text = service.ReadText(wmi::kDisplayName);
                if (!text) {
                    text = service.ReadText(wmi::kName);
                }
                site.texts.push_back(text.value_or(std::wstring()));
            });
        } catch (const RequestNotSent&) {
            throw WaitStopped(); // a list read in part is of no use
        }
        // One sort and one insertion pass: inserting each entry at its sorted place costs far
        // more on long lists.
        SortListTexts(site.texts);
    };
}

Work ActOnDisplayNames(EntryRequest send)
{
    return [send](WorkSite& site) {
        std::vector<std::wstring> texts;
        for (const auto& entry : site.board.entries) {
            texts.push_back(entry.label);
        }
        // One connection and one query find every entry's services, while the first entry is
        // being asked for; the calls still go out one after another, in list order.
        std::optional<PressServices> found;
        ActOnServices(site, [&](IServiceAccess& services, const std::wstring& label) {
            if (!found) {
                found = FindPressServices(services, texts);
            }
            return send(*found, label);
        });
    };
}

Work ActOnServiceName(SendRequest send)
{
    return [send = std::move(send)](WorkSite& site) { ActOnServices(site, send); };
}

} // namespace quenlow
