#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The controls a list window's list is made of, on their own: what the system itself does
// with the same texts, handed over already sorted.
namespace quenlow::bench {

enum class BareList {
    CheckBoxListView, // report-view ListView with check boxes, one column, no header, no sort style
    ListBox,          // list box without its sort style
};

// A visible top-level window holding one empty list of the kind, as large as the stopped
// services window's list. Destroyed with the object.
class BareListHost {
public:
    BareListHost(HINSTANCE instance, BareList kind, HFONT font);
    ~BareListHost();
    BareListHost(const BareListHost&) = delete;
    BareListHost& operator=(const BareListHost&) = delete;

    // Adds the texts in the order given with redrawing off, then redraws and paints the list.
    void Fill(const std::vector<std::wstring>& sortedTexts);
    std::size_t Count() const;

private:
    BareList m_kind;
    HWND m_host = nullptr;
    HWND m_list = nullptr;
};

} // namespace quenlow::bench
