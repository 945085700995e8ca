#pragma once

#include "windows/ListWindowDesigns_win.h"

#include <windows.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quenlow {

// The list of a list window, of either kind: with check boxes (CheckListControl_win.h) or plain
// (PlainListControl_win.h). Neither sorts: the program hands over the texts in their sorted
// order, which is far faster than letting the control place each entry.
class ServiceListControl {
public:
    static std::unique_ptr<ServiceListControl> Make(ListKind kind);

    virtual ~ServiceListControl() = default;
    ServiceListControl(const ServiceListControl&) = delete;
    ServiceListControl& operator=(const ServiceListControl&) = delete;

    // A child of the parent with the identifier; placed later by SetBounds.
    virtual void Create(HWND parent, int id, const wchar_t* accessibleName) = 0;
    HWND Window() const noexcept { return m_window; }

    virtual void SetBounds(const RECT& bounds, HFONT font);

    virtual void Clear() = 0;
    // Adds the texts below the existing entries, in the order given, with redrawing off.
    void Append(const std::vector<std::wstring>& texts);
    virtual std::size_t Count() const = 0;
    std::wstring Text(std::size_t position) const { return TextAt(Index(position)); }
    // The check mark of an entry; in a plain list, whether the entry is selected.
    bool Checked(std::size_t position) const { return CheckedAt(Index(position)); }

    // A notification from the control to its parent; a result when it was handled here.
    virtual std::optional<LRESULT> OnNotify(const NMHDR& header);

protected:
    ServiceListControl() = default;

    // Makes the control; throws when it cannot.
    void CreateChild(HWND parent, int id, const wchar_t* className, const wchar_t* accessibleName, DWORD style);
    virtual void AppendTexts(const std::vector<std::wstring>& texts) = 0;
    virtual std::wstring TextAt(int index) const = 0;
    virtual bool CheckedAt(int index) const = 0;

    HWND m_window = nullptr; // destroyed with its parent

private:
    // The control's index of a position; throws for one past the end.
    int Index(std::size_t position) const;
};

} // namespace quenlow
