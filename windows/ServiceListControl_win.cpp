#include "windows/ServiceListControl_win.h"

#include "common/Error.h"
#include "common/HResultText_win.h"
#include "windows/CheckListControl_win.h"
#include "windows/PlainListControl_win.h"

#include <climits>

namespace quenlow {

std::unique_ptr<ServiceListControl> ServiceListControl::Make(ListKind kind)
{
    if (kind == ListKind::CheckBoxes) {
        return std::make_unique<CheckListControl>();
    }
    return std::make_unique<PlainListControl>();
}

void ServiceListControl::CreateChild(HWND parent, int id, const wchar_t* className, const wchar_t* accessibleName,
                                     DWORD style)
{
    const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    m_window = ::CreateWindowExW(WS_EX_CLIENTEDGE, className, accessibleName, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style,
                                 0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                                 nullptr);
    if (!m_window) {
        ThrowLastError(L"creating the list of services");
    }
}

void ServiceListControl::SetBounds(const RECT& bounds, HFONT font)
{
    ::SendMessageW(m_window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ::SetWindowPos(m_window, nullptr, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    // Seen in the old font until it paints again; a hidden window paints when it is shown.
    if (::IsWindowVisible(m_window)) {
        ::InvalidateRect(m_window, nullptr, TRUE);
    }
}

void ServiceListControl::Append(const std::vector<std::wstring>& texts)
{
    if (texts.empty()) {
        return;
    }
    if (texts.size() > static_cast<std::size_t>(INT_MAX) - Count()) {
        throw Error(static_cast<std::int32_t>(E_OUTOFMEMORY), L"The list cannot hold so many services.");
    }
    AppendTexts(texts);
}

int ServiceListControl::Index(std::size_t position) const
{
    if (position >= Count()) {
        throw Error(static_cast<std::int32_t>(E_INVALIDARG), L"The list has no entry at position " +
                                                                 std::to_wstring(position) + L".");
    }
    return static_cast<int>(position);
}

std::optional<LRESULT> ServiceListControl::OnNotify(const NMHDR&)
{
    return std::nullopt;
}

} // namespace quenlow
