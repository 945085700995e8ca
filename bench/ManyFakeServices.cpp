#include "bench/ManyFakeServices.h"

#include <algorithm>
#include <array>
#include <random>

namespace quenlow::bench {

std::vector<std::wstring> MakeDisplayNames(std::size_t n)
{
    static constexpr std::array<const wchar_t*, 16> kWords = {
        L"Remote", L"network", L"Print",  L"update",   L"Windows", L"audio",  L"Device",   L"time",
        L"Event",  L"backup",  L"Search", L"security", L"Storage", L"plug-in", L"Display", L"telemetry"};
    std::vector<std::wstring> names;
    names.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        std::wstring name = kWords[i % kWords.size()];
        name += L' ';
        name += kWords[(i / kWords.size()) % kWords.size()];
        name += L" Service ";
        name += std::to_wstring(i);
        names.push_back(std::move(name));
    }
    // The order in which a result set delivers them is not the list's order.
    std::mt19937 scramble(20240607u);
    std::shuffle(names.begin(), names.end(), scramble);
    return names;
}

std::vector<testing::FakeService> ManyStoppedServices(std::size_t n)
{
    std::vector<testing::FakeService> services;
    services.reserve(n);
    for (std::wstring& displayName : MakeDisplayNames(n)) {
        services.push_back({L"s" + std::to_wstring(services.size()), std::move(displayName), L"Stopped"});
    }
    return services;
}

} // namespace quenlow::bench
