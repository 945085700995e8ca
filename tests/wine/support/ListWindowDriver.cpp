#include "support/ListWindowDriver.h"

#include "common/Text.h"
#include "support/ChildProcess.h"
#include "support/MessageBoxes.h"
#include "support/MessagePump.h"
#include "support/ProgramState.h"
#include "support/RemoteMemory.h"
#include "support/TopLevelWindows.h"
#include "support/UserInput.h"
#include "ui/WindowClassNames.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>

namespace quenlow::testing {

namespace {

// Longer than any display name the tests use.
constexpr std::size_t kTextCapacity = 1024;

[[noreturn]] void Fail(const std::string& what)
{
    throw DriverError(what);
}

std::string Quoted(std::wstring_view text)
{
    return "\"" + Utf8(text) + "\"";
}

// The middle of the first run of places, from `from` on towards `to` (left out), where the test
// holds: how a control is asked where a part of it lies. nullopt when it holds nowhere.
std::optional<LONG> MiddleOfFirstRun(LONG from, LONG to, const std::function<bool(LONG)>& holds)
{
    const LONG step = from < to ? 1 : -1;
    std::optional<LONG> first;
    LONG last = from;
    for (LONG at = from; step > 0 ? at < to : at > to; at += step) {
        if (holds(at)) {
            first = first.value_or(at);
            last = at;
        } else if (first) {
            break;
        }
    }
    return first ? std::optional<LONG>((*first + last) / 2) : std::nullopt;
}

} // namespace

std::wstring_view CaptionOf(ListWindowKind kind)
{
    switch (kind) {
    case ListWindowKind::StoppedServices: return L"Stopped Services";
    case ListWindowKind::ActiveServices: return L"Active Services List";
    case ListWindowKind::AllServices: return L"All Services List";
    }
    return L"?";
}

ListWindowDriver::ListWindowDriver(HWND window, ListWindowKind kind) : m_window(window), m_kind(kind)
{
    ::GetWindowThreadProcessId(window, &m_processId);
}

bool ListWindowDriver::Exists() const
{
    return ::IsWindow(m_window) != FALSE;
}

bool ListWindowDriver::Visible() const
{
    return ::IsWindowVisible(m_window) != FALSE;
}

LRESULT ListWindowDriver::Ask(UINT message, WPARAM wParam, LPARAM lParam, HWND to) const
{
    DWORD_PTR result = 0;
    const HWND target = to ? to : List();
    if (!::SendMessageTimeoutW(target, message, wParam, lParam, SMTO_ABORTIFHUNG,
                               static_cast<UINT>(kReactionComesWithin.count()), &result)) {
        Fail("no answer to message " + std::to_string(message) + " from " + Utf8(CaptionOf(m_kind)));
    }
    return static_cast<LRESULT>(result);
}

bool ListWindowDriver::IsCheckBoxList() const
{
    return m_kind != ListWindowKind::AllServices;
}

void ListWindowDriver::RequireCheckBoxList(const char* what) const
{
    if (!IsCheckBoxList()) {
        Fail(std::string(what) + ": the all services list has no check boxes");
    }
}

HWND ListWindowDriver::List() const
{
    const HWND list = ::FindWindowExW(m_window, nullptr, IsCheckBoxList() ? WC_LISTVIEWW : WC_LISTBOXW, nullptr);
    if (!list) {
        Fail("no list in the window " + Utf8(CaptionOf(m_kind)));
    }
    return list;
}

std::vector<std::wstring> ListWindowDriver::Entries() const
{
    std::vector<std::wstring> entries;
    if (!IsCheckBoxList()) {
        const auto count = Ask(LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            const auto length = Ask(LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
            if (length < 0) {
                Fail("LB_GETTEXTLEN failed");
            }
            // The system carries LB_GETTEXT's buffer across processes.
            std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
            const auto copied = Ask(LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
            text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
            entries.push_back(std::move(text));
        }
        return entries;
    }
    // A ListView's texts need a buffer in the program's own memory.
    RemoteMemory memory(m_processId, sizeof(LVITEMW) + kTextCapacity * sizeof(wchar_t));
    const auto count = Ask(LVM_GETITEMCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LVITEMW item{};
        item.iSubItem = 0;
        item.cchTextMax = static_cast<int>(kTextCapacity);
        item.pszText = static_cast<LPWSTR>(memory.AddressAt(sizeof(LVITEMW)));
        memory.WriteObject(0, item);
        const wchar_t nothing = L'\0';
        memory.Write(sizeof(LVITEMW), &nothing, sizeof(nothing));
        const auto length = Ask(LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(memory.Address()));
        std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
        if (!text.empty()) {
            memory.Read(sizeof(LVITEMW), text.data(), text.size() * sizeof(wchar_t));
        }
        entries.push_back(std::move(text));
    }
    return entries;
}

std::optional<std::size_t> ListWindowDriver::PositionOf(std::wstring_view text) const
{
    const auto entries = Entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i] == text) {
            return i;
        }
    }
    return std::nullopt;
}

std::size_t ListWindowDriver::RequirePosition(std::wstring_view text) const
{
    const auto position = PositionOf(text);
    if (!position) {
        Fail(Utf8(CaptionOf(m_kind)) + " does not list " + Quoted(text));
    }
    return *position;
}

bool ListWindowDriver::IsTicked(std::size_t position) const
{
    RequireCheckBoxList("IsTicked");
    const auto state = static_cast<UINT>(Ask(LVM_GETITEMSTATE, position, LVIS_STATEIMAGEMASK));
    // State image 1 is the empty box, 2 the ticked one.
    return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

std::vector<std::wstring> ListWindowDriver::TickedEntries() const
{
    RequireCheckBoxList("TickedEntries");
    std::vector<std::wstring> ticked;
    const auto entries = Entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (IsTicked(i)) {
            ticked.push_back(entries[i]);
        }
    }
    return ticked;
}

RECT ListWindowDriver::ListItemRect(std::size_t position, int part) const
{
    RemoteMemory memory(m_processId, sizeof(RECT));
    RECT rect{};
    rect.left = part;
    memory.WriteObject(0, rect);
    if (!Ask(LVM_GETITEMRECT, position, reinterpret_cast<LPARAM>(memory.Address()))) {
        Fail("LVM_GETITEMRECT failed");
    }
    return memory.ReadObject<RECT>(0);
}

POINT ListWindowDriver::CheckBoxPoint(std::size_t position) const
{
    // Scrolled into view as a user would, then the box found by asking the list what lies
    // under each point of the entry's left end.
    Ask(LVM_ENSUREVISIBLE, position, FALSE);
    const RECT bounds = ListItemRect(position, LVIR_BOUNDS);
    const LONG middle = (bounds.top + bounds.bottom) / 2;
    RemoteMemory memory(m_processId, sizeof(LVHITTESTINFO));
    const auto x = MiddleOfFirstRun(std::max<LONG>(bounds.left, 0), std::min(bounds.left + 64, bounds.right), [&](LONG at) {
        LVHITTESTINFO hit{};
        hit.pt = POINT{at, middle};
        memory.WriteObject(0, hit);
        const auto item = Ask(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(memory.Address()));
        hit = memory.ReadObject<LVHITTESTINFO>(0);
        return item == static_cast<LRESULT>(position) && (hit.flags & LVHT_ONITEMSTATEICON);
    });
    if (!x) {
        Fail("no check box found in the entry at position " + std::to_string(position));
    }
    POINT point{*x, middle};
    ::ClientToScreen(List(), &point);
    return point;
}

void ListWindowDriver::BringToFront() const
{
    if (!Visible()) {
        Fail(Utf8(CaptionOf(m_kind)) + " is not visible");
    }
    if (!BringToForeground(m_window)) {
        Fail(Utf8(CaptionOf(m_kind)) + " did not come to the front");
    }
}

void ListWindowDriver::ReadyToClick(HWND control, POINT screen) const
{
    BringToFront();
    // A window that waits for the program's worker takes no input until the wait is over.
    if (!PumpUntil([&] { return ::IsWindowEnabled(m_window) != FALSE; }, kReactionComesWithin)) {
        Fail(Utf8(CaptionOf(m_kind)) + " stays disabled:" + DescribeProgramState(m_processId));
    }
    const bool uncovered = PumpUntil([&] { return ::WindowFromPoint(screen) == control; }, kReactionComesWithin);
    if (!uncovered) {
        Fail("something covers the point to click in " + Utf8(CaptionOf(m_kind)));
    }
}

void ListWindowDriver::ClickInside(HWND control, POINT screen) const
{
    ReadyToClick(control, screen);
    ClickAt(screen);
}

bool ListWindowDriver::WaitForTick(std::size_t position, bool ticked) const
{
    return PumpUntil([&] { return IsTicked(position) == ticked; }, kReactionComesWithin);
}

void ListWindowDriver::ClickCheckBox(std::wstring_view text)
{
    RequireCheckBoxList("ClickCheckBox");
    const std::size_t position = RequirePosition(text);
    const bool before = IsTicked(position);
    ClickInside(List(), CheckBoxPoint(position));
    if (!WaitForTick(position, !before)) {
        Fail("a click on the box of " + Quoted(text) + " did not " + (before ? "clear" : "tick") + " it");
    }
}

void ListWindowDriver::ToggleWithSpace(std::wstring_view text)
{
    RequireCheckBoxList("ToggleWithSpace");
    const std::size_t position = RequirePosition(text);
    const bool before = IsTicked(position);
    Ask(LVM_ENSUREVISIBLE, position, FALSE);
    const RECT label = ListItemRect(position, LVIR_LABEL);
    POINT point{label.left + 12, (label.top + label.bottom) / 2};
    ::ClientToScreen(List(), &point);
    ClickInside(List(), point);
    const bool focused = PumpUntil(
        [&] {
            return Focus() == List() &&
                   Ask(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED) == static_cast<LRESULT>(position);
        },
        kReactionComesWithin);
    if (!focused) {
        Fail("a click on the text of " + Quoted(text) + " did not make it the focused entry");
    }
    if (IsTicked(position) != before) {
        Fail("a click on the text of " + Quoted(text) + " changed its box");
    }
    ::quenlow::testing::PressKeys({VK_SPACE});
    if (!WaitForTick(position, !before)) {
        Fail("Space on " + Quoted(text) + " did not " + (before ? "clear" : "tick") + " it");
    }
}

void ListWindowDriver::SetTickFromOutside(std::wstring_view text, bool ticked)
{
    RequireCheckBoxList("SetTickFromOutside");
    const std::size_t position = RequirePosition(text);
    RemoteMemory memory(m_processId, sizeof(LVITEMW));
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(ticked ? 2u : 1u);
    memory.WriteObject(0, item);
    if (!Ask(LVM_SETITEMSTATE, position, reinterpret_cast<LPARAM>(memory.Address()))) {
        Fail("LVM_SETITEMSTATE failed on " + Quoted(text));
    }
    if (!WaitForTick(position, ticked)) {
        Fail("the list does not report " + Quoted(text) + " as " + (ticked ? "ticked" : "cleared") +
             " after LVM_SETITEMSTATE");
    }
}

bool ListWindowDriver::HasHorizontalScrollBar() const
{
    return (::GetWindowLongPtrW(List(), GWL_STYLE) & WS_HSCROLL) != 0;
}

int ListWindowDriver::StringWidth(std::wstring_view text) const
{
    RequireCheckBoxList("StringWidth");
    const std::wstring terminated(text);
    const std::size_t size = (terminated.size() + 1) * sizeof(wchar_t);
    RemoteMemory memory(m_processId, size);
    memory.Write(0, terminated.c_str(), size);
    return static_cast<int>(Ask(LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(memory.Address())));
}

std::optional<std::size_t> ListWindowDriver::SelectedPosition() const
{
    if (IsCheckBoxList()) {
        const auto selected = Ask(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
        return selected < 0 ? std::nullopt : std::optional<std::size_t>(static_cast<std::size_t>(selected));
    }
    const auto selected = Ask(LB_GETCURSEL, 0, 0);
    return selected < 0 ? std::nullopt : std::optional<std::size_t>(static_cast<std::size_t>(selected));
}

void ListWindowDriver::ClickEntry(std::wstring_view text)
{
    if (IsCheckBoxList()) {
        Fail("ClickEntry is for the all services list");
    }
    const std::size_t position = RequirePosition(text);
    // Only plain numbers are asked, so nothing depends on how pointers cross processes.
    RECT client{};
    ::GetClientRect(List(), &client);
    const auto height = Ask(LB_GETITEMHEIGHT, 0, 0);
    if (height <= 0) {
        Fail("LB_GETITEMHEIGHT failed");
    }
    const auto visible = std::max<LRESULT>(1, (client.bottom - client.top) / height);
    auto top = Ask(LB_GETTOPINDEX, 0, 0);
    const auto index = static_cast<LRESULT>(position);
    if (index < top || index >= top + visible) {
        Ask(LB_SETTOPINDEX, position, 0);
        top = Ask(LB_GETTOPINDEX, 0, 0);
    }
    POINT point{10, static_cast<LONG>((index - top) * height + height / 2)};
    ::ClientToScreen(List(), &point);
    ClickInside(List(), point);
    // A list box follows the pointer while the button is down: the selection counts once the
    // list has let go of the mouse.
    const auto released = [&] { return InputStateOfThreadOf(List()).hwndCapture != List(); };
    if (!PumpUntil([&] { return released() && SelectedPosition() == position; }, kReactionComesWithin)) {
        const auto selected = SelectedPosition();
        Fail("a click on " + Quoted(text) + " did not select it; the selected position is " +
             (selected ? std::to_string(*selected) : std::string("none")) + ", not " + std::to_string(position));
    }
}

HWND ListWindowDriver::Button(std::wstring_view caption) const
{
    const HWND button = ::FindWindowExW(m_window, nullptr, WC_BUTTONW, std::wstring(caption).c_str());
    if (!button) {
        Fail(Utf8(CaptionOf(m_kind)) + " has no button " + Quoted(caption));
    }
    return button;
}

void ListWindowDriver::ClickButton(std::wstring_view caption)
{
    const HWND button = Button(caption);
    const POINT centre = CentreOf(button);
    ReadyToClick(button, centre);
    // A button takes the focus when it is pressed, before it acts: that is how the press is seen
    // to arrive. One that has the focus already (pressed just before) first gives it to the
    // control before it, as Shift+Tab does.
    if (Focus() == button) {
        ::quenlow::testing::PressKeys({VK_SHIFT, VK_TAB});
        if (!PumpUntil([&] { return Focus() != button; }, kReactionComesWithin)) {
            Fail("Shift+Tab did not take the focus off " + Quoted(caption) + ":" + DescribeProgramState(m_processId));
        }
    }
    const HWND focusBefore = Focus();
    ClickAt(centre);
    // What the press does next may hide or unload this window, open another, show a message box
    // or disable the window while the program waits: each of them shows it arrived as well.
    const auto arrived = [&] {
        return !Exists() || Focus() != focusBefore || !Visible() || !::IsWindowEnabled(m_window) ||
               !FindTopLevelWindows({m_processId, std::wstring(kDialogClass), std::nullopt, true}).empty();
    };
    if (!PumpUntil(arrived, kReactionComesWithin)) {
        Fail("a press on " + Quoted(caption) + " did not reach it:" + DescribeProgramState(m_processId));
    }
}

void ListWindowDriver::PostButtonClick(std::wstring_view caption)
{
    if (!::PostMessageW(Button(caption), BM_CLICK, 0, 0)) {
        Fail("PostMessageW(BM_CLICK) failed");
    }
}

void ListWindowDriver::PressKeys(std::initializer_list<WORD> keys)
{
    BringToFront();
    ::quenlow::testing::PressKeys(keys);
}

HWND ListWindowDriver::Focus() const
{
    const HWND focus = InputStateOfThreadOf(m_window).hwndFocus;
    return focus && ::GetAncestor(focus, GA_ROOT) == m_window ? focus : nullptr;
}

std::wstring ListWindowDriver::FocusName() const
{
    const HWND focus = Focus();
    if (!focus) {
        return L"(none)";
    }
    if (focus == List()) {
        return L"list";
    }
    return WindowText(focus);
}

void ListWindowDriver::ClickTitleBarCloseBox()
{
    // The close box is where the window says it is: ask what lies under the points of the
    // caption's right end.
    RECT window{};
    ::GetWindowRect(m_window, &window);
    const LONG y = window.top + ::GetSystemMetrics(SM_CYFRAME) + ::GetSystemMetrics(SM_CYCAPTION) / 2;
    const auto x = MiddleOfFirstRun(window.right - 1, window.right - 80,
                                    [&](LONG at) { return Ask(WM_NCHITTEST, 0, MAKELPARAM(at, y), m_window) == HTCLOSE; });
    if (!x) {
        Fail(Utf8(CaptionOf(m_kind)) + " has no close box in its title bar");
    }
    const POINT point{*x, y};
    BringToFront();
    if (!WaitUntilUncovered(m_window, point)) {
        Fail("something covers the close box of " + Utf8(CaptionOf(m_kind)));
    }
    ClickAt(point);
}

void ListWindowDriver::PostSystemClose()
{
    if (!::PostMessageW(m_window, WM_SYSCOMMAND, SC_CLOSE, 0)) {
        Fail("PostMessageW(WM_SYSCOMMAND) failed");
    }
}

void ListWindowDriver::PressAltF4()
{
    PressKeys({VK_MENU, VK_F4});
}

std::optional<ListWindowDriver> FindListWindow(DWORD processId, ListWindowKind kind)
{
    const auto found = FindTopLevelWindows({processId, kListWindowClassName, std::wstring(CaptionOf(kind)), false});
    if (found.empty()) {
        return std::nullopt;
    }
    if (found.size() > 1) {
        Fail("more than one window " + Utf8(CaptionOf(kind)));
    }
    return ListWindowDriver(found.front(), kind);
}

ListWindowDriver WaitForListWindow(const ChildProcess& process, ListWindowKind kind, std::chrono::milliseconds timeout)
{
    const HWND window =
        WaitForTopLevelWindow(process, {0, kListWindowClassName, std::wstring(CaptionOf(kind)), true}, timeout);
    if (!window) {
        Fail(Utf8(CaptionOf(kind)) +
             (process.HasExited() ? ": the program ended before the window appeared" : ": the window did not appear"));
    }
    return ListWindowDriver(window, kind);
}

} // namespace quenlow::testing
