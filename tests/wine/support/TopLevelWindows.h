#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quenlow::testing {

class ChildProcess;

// Which top-level windows to look for. Unset fields match anything.
struct WindowQuery {
    std::optional<DWORD> processId;
    std::optional<std::wstring> className;
    std::optional<std::wstring> caption;
    bool visibleOnly = true;
    // A further test the window must pass, such as having a certain child.
    std::function<bool(HWND)> also = {};
};

// The top-level windows that match, in Z order.
std::vector<HWND> FindTopLevelWindows(const WindowQuery& query);

// Polls until a matching window exists. Returns nullptr after the timeout, or as soon as the
// process has ended, so a program that dies early does not cost the whole timeout.
HWND WaitForTopLevelWindow(const ChildProcess& process, WindowQuery query, std::chrono::milliseconds timeout,
                           std::chrono::milliseconds interval = std::chrono::milliseconds(20));

// Polls until the window no longer exists; false after the timeout.
bool WaitUntilClosed(HWND window, std::chrono::milliseconds timeout);

std::wstring WindowText(HWND window);
std::wstring WindowClassName(HWND window);

} // namespace quenlow::testing
