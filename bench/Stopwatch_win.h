#pragma once

#include <windows.h>

namespace quenlow::bench {

// Milliseconds on the performance counter from an arbitrary origin, the same for every thread.
inline double TimestampMs() noexcept
{
    LARGE_INTEGER now{};
    LARGE_INTEGER frequency{};
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Elapsed wall-clock time from construction, from the performance counter.
class Stopwatch {
public:
    Stopwatch() noexcept { ::QueryPerformanceCounter(&m_start); }

    double ElapsedMs() const noexcept
    {
        LARGE_INTEGER now{};
        LARGE_INTEGER frequency{};
        ::QueryPerformanceCounter(&now);
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(now.QuadPart - m_start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
    }

private:
    LARGE_INTEGER m_start{};
};

} // namespace quenlow::bench
