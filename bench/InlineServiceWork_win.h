#pragma once

#include "services/ServiceWork.h"

#include <memory>
#include <optional>

// Work on the services carried out on the calling thread when it is finished: no worker thread,
// no COM and no WMI client in the process. For figures that want a list window's own share of
// memory, which the worker's warm-up (COM, WMI's client) would hide.
namespace quenlow::bench {

class InlineServiceWork final : public IServiceWork {
public:
    explicit InlineServiceWork(std::shared_ptr<IServiceAccess> services) : m_services(std::move(services)) {}

    void Start(WorkBoard board, Work work) override;
    WorkResult Finish() override;

private:
    struct Piece {
        WorkBoard board;
        Work work;
    };

    std::shared_ptr<IServiceAccess> m_services;
    std::optional<Piece> m_next;
};

} // namespace quenlow::bench
