#include "support/UserInput.h"

#include "common/HResultText_win.h"
#include "support/MessagePump.h"
#include "support/TimeLimits.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace quenlow::testing {

namespace {

INPUT MouseInput(POINT screen, DWORD flags)
{
    // Absolute positions run from 0 to 65535 across the primary screen.
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = ::MulDiv(screen.x, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = ::MulDiv(screen.y, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return input;
}

INPUT KeyInput(WORD key, DWORD flags)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = flags;
    return input;
}

void Send(std::vector<INPUT>& inputs)
{
    const UINT sent = ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    if (sent != inputs.size()) {
        ThrowLastError(L"SendInput");
    }
}

} // namespace

void MovePointer(POINT screen)
{
    std::vector<INPUT> inputs{MouseInput(screen, 0)};
    Send(inputs);
}

void ClickAt(POINT screen)
{
    // Under Wine every pointer move also reaches the program that owns the window beneath as an
    // X event, read when that program next looks: an old one read while the button is down moves
    // a list's selection to where the pointer was before. So the pointer goes there first, and
    // the window's thread answers once (it has read what was pending) before the press.
    MovePointer(screen);
    PumpUntilPointerAt(screen);
    if (const HWND under = ::WindowFromPoint(screen)) {
        DWORD_PTR answer = 0;
        ::SendMessageTimeoutW(under, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, static_cast<UINT>(kReactionComesWithin.count()),
                              &answer);
    }
    std::vector<INPUT> inputs{MouseInput(screen, MOUSEEVENTF_LEFTDOWN), MouseInput(screen, MOUSEEVENTF_LEFTUP)};
    Send(inputs);
}

void PressKeys(std::initializer_list<WORD> keys)
{
    std::vector<INPUT> inputs;
    for (const WORD key : keys) {
        inputs.push_back(KeyInput(key, 0));
    }
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) {
        inputs.push_back(KeyInput(*key, KEYEVENTF_KEYUP));
    }
    Send(inputs);
}

bool BringToForeground(HWND window, std::chrono::milliseconds timeout)
{
    if (::GetForegroundWindow() == window) {
        return true;
    }
    ::SetForegroundWindow(window);
    return PumpUntil([&] { return ::GetForegroundWindow() == window; }, timeout);
}

bool WaitUntilUncovered(HWND window, POINT screen, std::chrono::milliseconds timeout)
{
    return PumpUntil(
        [&] {
            const HWND under = ::WindowFromPoint(screen);
            return under != nullptr && ::GetAncestor(under, GA_ROOT) == ::GetAncestor(window, GA_ROOT);
        },
        timeout);
}

POINT CentreOf(HWND window)
{
    RECT rect{};
    if (!::GetWindowRect(window, &rect)) {
        ThrowLastError(L"GetWindowRect");
    }
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

POINT OutOfTheWay()
{
    return POINT{::GetSystemMetrics(SM_CXSCREEN) - 2, ::GetSystemMetrics(SM_CYSCREEN) - 2};
}

bool PumpUntilPointerAt(POINT screen)
{
    return PumpUntil(
        [&] {
            POINT now{};
            return ::GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
        },
        kReactionComesWithin);
}

namespace {

// The mouse messages this thread's windows took, in order, with where; a hook procedure has no
// context of its own. Wine may deliver an echo of an earlier move after the latest one, so a
// message counts as arrived when it is anywhere among them, not only last.
thread_local std::vector<std::pair<UINT, POINT>> t_taken;

LRESULT CALLBACK NoteMouseMessage(int code, WPARAM message, LPARAM lParam)
{
    if (code == HC_ACTION) {
        t_taken.emplace_back(static_cast<UINT>(message), reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam)->pt);
    }
    return ::CallNextHookEx(nullptr, code, message, lParam);
}

} // namespace

OwnMouseInput::OwnMouseInput()
    : m_hook(::SetWindowsHookExW(WH_MOUSE, NoteMouseMessage, nullptr, ::GetCurrentThreadId()))
{
    t_taken.clear();
}

OwnMouseInput::~OwnMouseInput()
{
    if (m_hook) {
        ::UnhookWindowsHookEx(m_hook);
    }
}

bool OwnMouseInput::PumpUntilArrived(UINT message, POINT screen)
{
    return PumpUntil(
        [&] {
            const auto taken = std::find_if(t_taken.begin(), t_taken.end(), [&](const auto& entry) {
                return entry.first == message && entry.second.x == screen.x && entry.second.y == screen.y;
            });
            if (taken == t_taken.end()) {
                return false;
            }
            t_taken.erase(t_taken.begin(), taken + 1);
            return true;
        },
        kReactionComesWithin);
}

} // namespace quenlow::testing
