#pragma once

#include <utility>

namespace quenlow {

// Runs the callable when the scope is left, however it is left: for the one step that must
// follow whatever happens in between (a flag put back, a window forgotten).
template <typename Callable>
class [[nodiscard]] ScopeExit {
public:
    explicit ScopeExit(Callable callable) : m_callable(std::move(callable)) {}
    ~ScopeExit() { m_callable(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    Callable m_callable;
};

} // namespace quenlow
