#include "support/ListWindowDriver.h"

#include "common/Text.h"
#include "support/ChildProcess.h"
#include "support/MessageBoxes.h"
#include "support/Polling.h"
#include "support/RemoteMemory.h"
#include "support/TopLevelWindows.h"
#include "support/UserInput.h"
#include "ui/WindowClassNames.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

namespace quenlow::testing {

namespace {

constexpr std::chrono::milliseconds kAnswerTimeout{10'000};
constexpr std::chrono::milliseconds kReactionTimeout{5'000};
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
                               static_cast<UINT>(kAnswerTimeout.count()), &result)) {
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
    std::optional<LONG> first;
    LONG last = 0;
    for (LONG x = std::max<LONG>(bounds.left, 0); x < bounds.left + 64 && x < bounds.right; ++x) {
        LVHITTESTINFO hit{};
        hit.pt = POINT{x, middle};
        memory.WriteObject(0, hit);
        const auto item = Ask(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(memory.Address()));
        hit = memory.ReadObject<LVHITTESTINFO>(0);
        if (item == static_cast<LRESULT>(position) && (hit.flags & LVHT_ONITEMSTATEICON)) {
            if (!first) {
                first = x;
            }
            last = x;
        } else if (first) {
            break;
        }
    }
    if (!first) {
        Fail("no check box found in the entry at position " + std::to_string(position));
    }
    POINT point{(*first + last) / 2, middle};
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

void ListWindowDriver::ClickInside(HWND control, POINT screen) const
{
    BringToFront();
    const bool uncovered = PollUntil([&] { return ::WindowFromPoint(screen) == control; }, kReactionTimeout);
    if (!uncovered) {
        Fail("something covers the point to click in " + Utf8(CaptionOf(m_kind)));
    }
    ClickAt(screen);
}

bool ListWindowDriver::WaitForTick(std::size_t position, bool ticked) const
{
    return PollUntil([&] { return IsTicked(position) == ticked; }, kReactionTimeout);
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
    const bool focused = PollUntil(
        [&] {
            return Focus() == List() &&
                   Ask(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED) == static_cast<LRESULT>(position);
        },
        kReactionTimeout);
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
    if (!PollUntil([&] { return SelectedPosition() == position; }, kReactionTimeout)) {
        Fail("a click on " + Quoted(text) + " did not select it");
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

void ListWindowDriver::ClickButtonOnce(std::wstring_view caption)
{
    const HWND button = Button(caption);
    ClickInside(button, CentreOf(button));
}

void ListWindowDriver::ClickButton(std::wstring_view caption)
{
    const HWND button = Button(caption);
    BringToFront();
    const HWND focusBefore = Focus();
    if (focusBefore == button) {
        // Pressed before (Start once more, for the next entry): the focus cannot tell whether a
        // real press arrived, and one that went missing would only show as a missing result
        // minutes later. The button is clicked the way assistive tools click it; the real
        // press of this button has been made and checked already.
        PostButtonClick(caption);
        return;
    }
    ClickInside(button, CentreOf(button));
    if (focusBefore == nullptr) {
        return; // the focus cannot tell whether the press arrived
    }
    // A button takes the focus when it is pressed, before it acts; what it does then may hide
    // this window, open another or show a message box. Under load an injected click has been
    // seen to go missing now and then (the program then sat idle until a test's timeout): a
    // press that provably never arrived - nothing of that happened - is made once more, and
    // said so.
    DWORD processId = 0;
    ::GetWindowThreadProcessId(m_window, &processId);
    const auto arrived = [&] {
        return Focus() != focusBefore || !Visible() || (::SendMessageW(button, BM_GETSTATE, 0, 0) & BST_PUSHED) ||
               !FindTopLevelWindows({processId, std::wstring(kDialogClass), std::nullopt, true}).empty();
    };
    if (PollUntil(arrived, kReactionTimeout)) {
        return;
    }
    std::fprintf(stderr, "note: the click on %s did not reach it (focus on %s); clicking again\n",
                 Quoted(caption).c_str(), Utf8(FocusName()).c_str());
    ClickInside(button, CentreOf(button));
    if (!PollUntil(arrived, kReactionTimeout)) {
        Fail("two clicks on " + Quoted(caption) + " did not reach it; the focus is on " + Utf8(FocusName()));
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
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(m_window, nullptr), &info) || !info.hwndFocus) {
        return nullptr;
    }
    return ::GetAncestor(info.hwndFocus, GA_ROOT) == m_window ? info.hwndFocus : nullptr;
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
    std::optional<LONG> right;
    LONG left = 0;
    for (LONG x = window.right - 1; x > window.right - 80; --x) {
        const auto hit = Ask(WM_NCHITTEST, 0, MAKELPARAM(x, y), m_window);
        if (hit == HTCLOSE) {
            if (!right) {
                right = x;
            }
            left = x;
        } else if (right) {
            break;
        }
    }
    if (!right) {
        Fail(Utf8(CaptionOf(m_kind)) + " has no close box in its title bar");
    }
    const POINT point{(left + *right) / 2, y};
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
