#pragma once

#include "ui/Dpi_win.h"
#include "ui/UserInterface.h"

#include <windows.h>

#include <optional>
#include <span>

// The designs of the three list windows: captions, frames, and every control's place and size
// in twips relative to the client area. Controls are listed in tab order.
namespace quenlow {

enum class ListKind {
    CheckBoxes, // a check box in front of every entry, any number ticked
    Plain,      // plain entries, one selected at a time
};

enum class Placement { CentredOnWorkArea, SystemDefault };

enum class Frame {
    Sizable,              // caption, minimise, maximise and close buttons
    FixedDialogNoControls // caption only: no system menu, no buttons in the title bar
};

struct ButtonDesign {
    ControlId control;
    const wchar_t* caption;
    TwipsRect rect;
    int pictureId;     // a bitmap of resources/buttons.rc
    SIZE pictureSize;  // pixels at 96 DPI
};

struct ListWindowDesign {
    WindowId window;
    const wchar_t* caption;
    int clientWidth;  // twips
    int clientHeight; // twips
    Placement placement;
    Frame frame;
    bool inTaskbar;
    ListKind listKind;
    // The list's name for screen readers.
    const wchar_t* listName;
    int listId;
    TwipsRect listRect;
    std::span<const ButtonDesign> buttons;
    std::optional<ControlId> defaultButton;
};

// The design of a list window; nullptr for the splash window, which has its own.
const ListWindowDesign* ListWindowDesignOf(WindowId window) noexcept;

} // namespace quenlow
