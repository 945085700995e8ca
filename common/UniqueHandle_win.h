#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

// Owners for kernel handles and a scoped hold on a slim reader/writer lock.
namespace quenlow {

namespace detail {
struct HandleCloser {
    void operator()(HANDLE handle) const noexcept
    {
        if (handle && handle != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle);
        }
    }
};
} // namespace detail

using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, detail::HandleCloser>;

class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK& lock) noexcept : m_lock(lock) { ::AcquireSRWLockExclusive(&m_lock); }
    ~ExclusiveLock() { ::ReleaseSRWLockExclusive(&m_lock); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

private:
    SRWLOCK& m_lock;
};

} // namespace quenlow
