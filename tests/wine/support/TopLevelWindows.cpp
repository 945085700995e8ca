#include "support/TopLevelWindows.h"

#include "support/ChildProcess.h"
#include "support/MessagePump.h"

namespace quenlow::testing {

namespace {

constexpr std::chrono::milliseconds kPollInterval{20};

struct Search {
    const WindowQuery* query;
    std::vector<HWND> found;
};

bool Matches(HWND window, const WindowQuery& query)
{
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (query.processId && owner != *query.processId) {
        return false;
    }
    if (query.visibleOnly && !::IsWindowVisible(window)) {
        return false;
    }
    if (query.className && WindowClassName(window) != *query.className) {
        return false;
    }
    if (query.caption && WindowText(window) != *query.caption) {
        return false;
    }
    return !query.also || query.also(window);
}

BOOL CALLBACK CollectMatching(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<Search*>(context);
    if (Matches(window, *search->query)) {
        search->found.push_back(window);
    }
    return TRUE;
}

} // namespace

std::vector<HWND> FindTopLevelWindows(const WindowQuery& query)
{
    Search search{&query, {}};
    ::EnumWindows(CollectMatching, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForTopLevelWindow(const ChildProcess& process, WindowQuery query, std::chrono::milliseconds timeout,
                           std::chrono::milliseconds interval)
{
    query.processId = process.Id();
    HWND found = nullptr;
    PumpUntil(
        [&] {
            const auto windows = FindTopLevelWindows(query);
            found = windows.empty() ? nullptr : windows.front();
            return found != nullptr || process.HasExited();
        },
        timeout, interval);
    return found;
}

bool WaitUntilClosed(HWND window, std::chrono::milliseconds timeout)
{
    return PumpUntil([&] { return !::IsWindow(window); }, timeout, kPollInterval);
}

std::wstring WindowText(HWND window)
{
    // WM_GETTEXT through SendMessageTimeout: a hung window must not hang the test.
    std::wstring text(1024, L'\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                               SMTO_ABORTIFHUNG, 5000, &copied)) {
        return {};
    }
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

std::wstring WindowClassName(HWND window)
{
    wchar_t name[256] = {};
    const int length = ::GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return std::wstring(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

} // namespace quenlow::testing
