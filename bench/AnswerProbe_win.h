#pragma once

#include "bench/Stopwatch_win.h"
#include "common/UniqueHandle_win.h"

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace quenlow::bench {

// Calls a function about every `interval` on a thread of its own, from construction until Stop
// (or destruction), which waits for the thread.
class PeriodicThread {
public:
    PeriodicThread(std::function<void()> tick, std::chrono::milliseconds interval);
    ~PeriodicThread();
    PeriodicThread(const PeriodicThread&) = delete;
    PeriodicThread& operator=(const PeriodicThread&) = delete;

    void Stop() noexcept;

private:
    static DWORD WINAPI Main(void* self);

    std::function<void()> m_tick;
    DWORD m_interval;
    UniqueHandle m_stop;
    UniqueHandle m_thread;
};

// How long another process's windows take to answer: about every 20 ms each window that
// `targets` names then is sent an empty message (WM_NULL through SendMessageTimeout), and the
// time until the answer is kept. The window's thread answers when it next looks at its messages,
// so the delay is how long a user would wait for it to react at that moment.
class AnswerProbe {
public:
    using Targets = std::function<std::vector<HWND>()>;

    explicit AnswerProbe(Targets targets, std::chrono::milliseconds interval = std::chrono::milliseconds(20));

    // One answer: when the message was sent (milliseconds from the probe's construction) and how
    // long the answer took.
    struct Answer {
        double sentAt = 0;
        double delay = 0;
        std::wstring windowClass; // of the window asked
    };

    // Stops probing; every answer, in the order the messages were sent.
    std::vector<Answer> Stop();

private:
    void Probe();

    Targets m_targets;
    std::vector<Answer> m_answers;
    double m_start;
    PeriodicThread m_thread;
};

} // namespace quenlow::bench
