#pragma once

#include "services/ServiceAccess.h"

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

// A service source without WMI, for timing what the windows do with a result: every query gives
// the first `count` display names of a fixed set, in a scrambled order. The program's worker
// thread reads it; the benchmark sets the count between two pieces of work.
namespace quenlow::bench {

// n distinct display names, mixed in case and scrambled the same way on every run.
std::vector<std::wstring> MakeDisplayNames(std::size_t n);

class FakeServiceAccess final : public IServiceAccess {
public:
    explicit FakeServiceAccess(std::vector<std::wstring> displayNames) : m_names(std::move(displayNames)) {}

    // How many of the names the next queries give.
    void SetCount(std::size_t count) noexcept { m_count = count < m_names.size() ? count : m_names.size(); }

    std::unique_ptr<IServiceConnection> fConnectWmi() override;

private:
    std::vector<std::wstring> m_names;
    std::atomic<std::size_t> m_count = 0;
};

} // namespace quenlow::bench
