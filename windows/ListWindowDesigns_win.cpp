#include "windows/ListWindowDesigns_win.h"

#include "resources/button_ids.h"
#include "windows/ControlIds_win.h"

#include <array>

namespace quenlow {

namespace {

using enum ControlId;

constexpr SIZE kPicture20{20, 20};
constexpr SIZE kPicture16{16, 16};
constexpr SIZE kClosePicture{13, 14};

// Tab order: the list, Start, Active Services, All Services, Close, Refresh.
constexpr std::array kStoppedButtons{
    ButtonDesign{.control = btnStart,
                 .caption = L"Start",
                 .rect = {.left = 4920, .top = 240, .width = 1095, .height = 975},
                 .pictureId = IDB_START,
                 .pictureSize = kPicture20},
    ButtonDesign{.control = btnActiveServices,
                 .caption = L"Active Services",
                 .rect = {.left = 4920, .top = 1440, .width = 1095, .height = 975},
                 .pictureId = IDB_ACTIVE_SERVICES,
                 .pictureSize = kPicture16},
    ButtonDesign{.control = BtnAllServices,
                 .caption = L"All Services",
                 .rect = {.left = 4920, .top = 2640, .width = 1095, .height = 975},
                 .pictureId = IDB_ALL_SERVICES,
                 .pictureSize = kPicture16},
    ButtonDesign{.control = btnClose,
                 .caption = L"Close",
                 .rect = {.left = 4920, .top = 5040, .width = 1095, .height = 975},
                 .pictureId = IDB_CLOSE,
                 .pictureSize = kClosePicture},
    ButtonDesign{.control = btnRefresh,
                 .caption = L"Refresh",
                 .rect = {.left = 4920, .top = 3840, .width = 1095, .height = 975},
                 .pictureId = IDB_REFRESH,
                 .pictureSize = kPicture20},
};

// Tab order: the list, All Services, Stopped Services, Stop, Close, Refresh.
constexpr std::array kActiveButtons{
    ButtonDesign{.control = BtnAllServices,
                 .caption = L"All Services",
                 .rect = {.left = 4680, .top = 2640, .width = 1095, .height = 975},
                 .pictureId = IDB_ALL_SERVICES,
                 .pictureSize = kPicture16},
    ButtonDesign{.control = btnStoppedServices,
                 .caption = L"Stopped Services",
                 .rect = {.left = 4680, .top = 1440, .width = 1095, .height = 975},
                 .pictureId = IDB_STOPPED_SERVICES,
                 .pictureSize = kPicture20},
    ButtonDesign{.control = btnStop,
                 .caption = L"Stop",
                 .rect = {.left = 4680, .top = 240, .width = 1095, .height = 975},
                 .pictureId = IDB_STOP,
                 .pictureSize = kPicture16},
    ButtonDesign{.control = btnClose,
                 .caption = L"Close",
                 .rect = {.left = 4680, .top = 5040, .width = 1095, .height = 975},
                 .pictureId = IDB_CLOSE,
                 .pictureSize = kClosePicture},
    ButtonDesign{.control = btnRefresh,
                 .caption = L"Refresh",
                 .rect = {.left = 4680, .top = 3840, .width = 1095, .height = 975},
                 .pictureId = IDB_REFRESH,
                 .pictureSize = kPicture20},
};

constexpr std::array kTotalButtons{
    ButtonDesign{.control = btnClose,
                 .caption = L"Close",
                 .rect = {.left = 5160, .top = 240, .width = 1095, .height = 855},
                 .pictureId = IDB_CLOSE,
                 .pictureSize = kClosePicture},
};

const ListWindowDesign kStopped{
    .window = WindowId::frmStoppedServicesList,
    .caption = L"Stopped Services",
    .clientWidth = 6315,
    .clientHeight = 7995,
    .placement = Placement::CentredOnWorkArea,
    .frame = Frame::Sizable,
    .inTaskbar = true,
    .listKind = ListKind::CheckBoxes,
    .listName = L"Stopped Services",
    .listId = control_ids::ListStoppedServices,
    .listRect = {.left = 240, .top = 120, .width = 4455, .height = 7710},
    .buttons = kStoppedButtons,
    .defaultButton = btnStart,
};

const ListWindowDesign kActive{
    .window = WindowId::frmActiveServicesList,
    .caption = L"Active Services List",
    .clientWidth = 6120,
    .clientHeight = 9600,
    .placement = Placement::SystemDefault,
    .frame = Frame::Sizable,
    .inTaskbar = true,
    .listKind = ListKind::CheckBoxes,
    .listName = L"Active Services List",
    .listId = control_ids::ListStartedServices,
    .listRect = {.left = 240, .top = 240, .width = 4095, .height = 9060},
    .buttons = kActiveButtons,
    .defaultButton = btnStop,
};

const ListWindowDesign kTotal{
    .window = WindowId::frmTotalServicesList,
    .caption = L"All Services List",
    .clientWidth = 6465,
    .clientHeight = 9540,
    .placement = Placement::SystemDefault,
    .frame = Frame::FixedDialogNoControls,
    .inTaskbar = false,
    .listKind = ListKind::Plain,
    .listName = L"All Services",
    .listId = control_ids::lbServicesName,
    .listRect = {.left = 240, .top = 120, .width = 4695, .height = 9225},
    .buttons = kTotalButtons,
    .defaultButton = std::nullopt,
};

} // namespace

const ListWindowDesign* ListWindowDesignOf(WindowId window) noexcept
{
    switch (window) {
    case WindowId::frmStoppedServicesList: return &kStopped;
    case WindowId::frmActiveServicesList: return &kActive;
    case WindowId::frmTotalServicesList: return &kTotal;
    case WindowId::frmSplash: break;
    }
    return nullptr;
}

} // namespace quenlow
