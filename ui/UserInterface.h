#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// What the window procedures need of the user-interface toolkit, in portable types. The
// Win32 implementation draws the windows from their designs; the unit tests use a fake.
namespace quenlow {

// frmTotalServicesList is the last: tables of every window count on it.
enum class WindowId { frmSplash, frmStoppedServicesList, frmActiveServicesList, frmTotalServicesList };
inline constexpr std::size_t kWindowCount = 4;

// The window's place in a table of every window, from 0 to kWindowCount - 1.
constexpr std::size_t IndexOf(WindowId window) noexcept
{
    return static_cast<std::size_t>(window);
}

static_assert(IndexOf(WindowId::frmTotalServicesList) + 1 == kWindowCount,
              "kWindowCount must count every WindowId, up to the last one");

// The window's name in its design ("frmSplash"), for reports that name a window, such as a
// failed test's message.
constexpr std::wstring_view NameOf(WindowId window) noexcept
{
    switch (window) {
    case WindowId::frmSplash: return L"frmSplash";
    case WindowId::frmStoppedServicesList: return L"frmStoppedServicesList";
    case WindowId::frmActiveServicesList: return L"frmActiveServicesList";
    case WindowId::frmTotalServicesList: return L"frmTotalServicesList";
    }
    return L"?";
}

// Controls that raise events the program handles.
enum class ControlId {
    btnStart,
    btnStop,
    btnActiveServices,
    btnStoppedServices,
    BtnAllServices,
    btnRefresh,
    btnClose,
    Frame1,
};

// Labels whose captions the program sets.
enum class LabelId { lblVersion, lblProductName };

class IUserInterface {
public:
    virtual ~IUserInterface() = default;

    // Creates the window and its controls from the window's design, not yet visible.
    virtual void CreateFromDesign(WindowId window) = 0;
    // Makes a created window visible (and brings it to the front) or invisible.
    virtual void SetVisible(WindowId window, bool visible) = 0;
    // Destroys the window and its controls.
    virtual void Destroy(WindowId window) = 0;

    // The list of a list window. Positions run from 0 to count - 1, top to bottom.
    virtual void ClearList(WindowId window) = 0;
    // Appends the texts, in the order given, below the existing entries, with redrawing
    // suspended; the caller has put them in their sorted order.
    virtual void AppendToList(WindowId window, const std::vector<std::wstring>& texts) = 0;
    virtual std::size_t ListCount(WindowId window) = 0;
    virtual std::wstring ListText(WindowId window, std::size_t position) = 0;
    // Whether the entry's check box is ticked (list windows with check boxes only).
    virtual bool ListChecked(WindowId window, std::size_t position) = 0;

    virtual void SetLabelCaption(WindowId window, LabelId label, std::wstring_view caption) = 0;

    // A modal box with the text, an OK button, no icon and the application title as caption.
    virtual void ShowMessage(std::wstring_view text) = 0;
    // A modal box with the question, Yes and No buttons and the application title as caption,
    // owned as ShowMessage's box is; true for Yes. Where nobody could answer it, it is not shown,
    // and the answer is No.
    virtual bool AskYesNo(std::wstring_view question) = 0;

    // Leaves the message loop once the current event has been handled.
    virtual void EndProgram() = 0;
};

} // namespace quenlow
