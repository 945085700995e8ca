#include "bench/ServiceTimeline_win.h"

#include "bench/Figures.h"

#include "common/Text.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace quenlow::bench {

ServiceTimeline::ServiceTimeline(const std::vector<std::wstring>& names, const Stopwatch& watch)
    : m_watch(watch), m_manager(testing::OpenServiceManager(SC_MANAGER_CONNECT))
{
    for (const auto& name : names) {
        m_services.push_back(testing::OpenServiceByName(m_manager.get(), name, SERVICE_QUERY_STATUS));
        if (!m_services.back()) {
            throw std::runtime_error("a benchmark service cannot be opened: " + Utf8(name));
        }
    }
    m_starting.resize(names.size());
    m_running.resize(names.size());
    m_thread.emplace([this] { Look(); }, std::chrono::milliseconds(5));
}

ServiceTimeline::Seen ServiceTimeline::Stop()
{
    m_thread.reset();
    return {m_starting, m_running};
}

void ServiceTimeline::Look()
{
    for (std::size_t i = 0; i < m_services.size(); ++i) {
        SERVICE_STATUS status{};
        if (!::QueryServiceStatus(m_services[i].get(), &status)) {
            continue;
        }
        const double now = m_watch.ElapsedMs();
        if (status.dwCurrentState != SERVICE_STOPPED && !m_starting[i]) {
            m_starting[i] = now;
        }
        if (status.dwCurrentState == SERVICE_RUNNING && !m_running[i]) {
            m_running[i] = now;
        }
    }
}

double ServiceTimeline::Seen::AllRunning() const
{
    double last = 0;
    for (const auto& seen : running) {
        if (!seen) {
            return kFailedRound;
        }
        last = std::max(last, *seen);
    }
    return last;
}

} // namespace quenlow::bench
