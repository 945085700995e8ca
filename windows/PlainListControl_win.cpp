#include "windows/PlainListControl_win.h"

#include "common/HResultText_win.h"
#include "ui/AccessibleName_win.h"
#include "ui/RedrawOff_win.h"

#include <commctrl.h>

namespace quenlow {

void PlainListControl::Create(HWND parent, int id, const wchar_t* accessibleName)
{
    // Without LBS_NOINTEGRALHEIGHT the list box shows whole entries only; without LBS_SORT it
    // keeps the order in which entries are added.
    CreateChild(parent, id, WC_LISTBOXW, accessibleName, WS_VSCROLL | LBS_NOTIFY);
    NameForScreenReaders(m_window, accessibleName);
}

void PlainListControl::Clear()
{
    ::SendMessageW(m_window, LB_RESETCONTENT, 0, 0);
}

std::size_t PlainListControl::Count() const
{
    const LRESULT count = ::SendMessageW(m_window, LB_GETCOUNT, 0, 0);
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

void PlainListControl::AppendTexts(const std::vector<std::wstring>& texts)
{
    const RedrawOff redrawOff(m_window);
    std::size_t characters = 0;
    for (const auto& text : texts) {
        characters += text.size() + 1;
    }
    // Memory for all entries at once; a failure here only means the list grows step by step.
    ::SendMessageW(m_window, LB_INITSTORAGE, texts.size(), static_cast<LPARAM>(characters * sizeof(wchar_t)));
    for (const auto& text : texts) {
        const LRESULT added = ::SendMessageW(m_window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (added == LB_ERR || added == LB_ERRSPACE) {
            ThrowLastError(L"adding a service to the list");
        }
    }
}

std::wstring PlainListControl::TextAt(int index) const
{
    const LRESULT length = ::SendMessageW(m_window, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) {
        ThrowLastError(L"reading the text of a list entry");
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied =
        ::SendMessageW(m_window, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

bool PlainListControl::CheckedAt(int index) const
{
    return ::SendMessageW(m_window, LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
}

} // namespace quenlow
