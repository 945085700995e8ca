#pragma once

// Read ahead of every GoogleTest header in the Windows build (CMakeLists.txt forces it in).
// This toolchain's libstdc++ uses the win32 thread model, which has no std::mutex or
// std::condition_variable, and GoogleTest needs them only for its Notification; it lets a
// build bring its own, and this one waits on a Win32 event instead.
#ifdef __cplusplus

#include <windows.h>

namespace testing::internal {

class Notification {
public:
    Notification() : m_event(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { ::CloseHandle(m_event); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { ::SetEvent(m_event); }
    void WaitForNotification() { ::WaitForSingleObject(m_event, INFINITE); }

private:
    HANDLE m_event;
};

} // namespace testing::internal

#define GTEST_HAS_NOTIFICATION_ 1

#endif
