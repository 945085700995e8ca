#include "bench/FakeServices.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <stdexcept>

namespace quenlow::bench {

namespace {

class FakeService final : public IServiceObject {
public:
    explicit FakeService(const std::wstring& displayName) : m_displayName(displayName) {}

    std::optional<std::wstring> ReadText(std::wstring_view property) override
    {
        if (property == L"DisplayName") {
            return m_displayName;
        }
        return std::nullopt;
    }

    std::optional<std::uint32_t> ReadUnsigned(std::wstring_view) override { return std::nullopt; }

    std::int32_t CallMethod(ServiceMethod, std::chrono::milliseconds) override
    {
        throw std::logic_error("the fake services cannot be called");
    }

private:
    const std::wstring& m_displayName;
};

class FakeResult final : public IServiceResult {
public:
    FakeResult(const std::vector<std::wstring>& names, std::size_t count) : m_names(names), m_count(count) {}

    std::unique_ptr<IServiceObject> Next() override
    {
        if (m_next == m_count) {
            return nullptr;
        }
        return std::make_unique<FakeService>(m_names[m_next++]);
    }

private:
    const std::vector<std::wstring>& m_names;
    std::size_t m_count;
    std::size_t m_next = 0;
};

class FakeConnection final : public IServiceConnection {
public:
    FakeConnection(const std::vector<std::wstring>& names, std::size_t count) : m_names(names), m_count(count) {}

    std::unique_ptr<IServiceResult> ExecQuery(std::wstring_view, std::chrono::milliseconds) override
    {
        return std::make_unique<FakeResult>(m_names, m_count);
    }

private:
    const std::vector<std::wstring>& m_names;
    std::size_t m_count;
};

} // namespace

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

std::unique_ptr<IServiceConnection> FakeServiceAccess::fConnectWmi()
{
    return std::make_unique<FakeConnection>(m_names, m_count);
}

} // namespace quenlow::bench
