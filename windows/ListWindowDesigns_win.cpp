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
    ButtonDesign{btnStart, L"Start", {4920, 240, 1095, 975}, IDB_START, kPicture20},
    ButtonDesign{btnActiveServices, L"Active Services", {4920, 1440, 1095, 975}, IDB_ACTIVE_SERVICES, kPicture16},
    ButtonDesign{BtnAllServices, L"All Services", {4920, 2640, 1095, 975}, IDB_ALL_SERVICES, kPicture16},
    ButtonDesign{btnClose, L"Close", {4920, 5040, 1095, 975}, IDB_CLOSE, kClosePicture},
    ButtonDesign{btnRefresh, L"Refresh", {4920, 3840, 1095, 975}, IDB_REFRESH, kPicture20},
};

// Tab order: the list, All Services, Stopped Services, Stop, Close, Refresh.
constexpr std::array kActiveButtons{
    ButtonDesign{BtnAllServices, L"All Services", {4680, 2640, 1095, 975}, IDB_ALL_SERVICES, kPicture16},
    ButtonDesign{btnStoppedServices, L"Stopped Services", {4680, 1440, 1095, 975}, IDB_STOPPED_SERVICES,
                 kPicture20},
    ButtonDesign{btnStop, L"Stop", {4680, 240, 1095, 975}, IDB_STOP, kPicture16},
    ButtonDesign{btnClose, L"Close", {4680, 5040, 1095, 975}, IDB_CLOSE, kClosePicture},
    ButtonDesign{btnRefresh, L"Refresh", {4680, 3840, 1095, 975}, IDB_REFRESH, kPicture20},
};

constexpr std::array kTotalButtons{
    ButtonDesign{btnClose, L"Close", {5160, 240, 1095, 855}, IDB_CLOSE, kClosePicture},
};

const ListWindowDesign kStopped{
    WindowId::frmStoppedServicesList,
    L"Stopped Services",
    6315,
    7995,
    Placement::CentredOnWorkArea,
    Frame::Sizable,
    true,
    ListKind::CheckBoxes,
    control_ids::ListStoppedServices,
    {240, 120, 4455, 7710},
    kStoppedButtons,
    btnStart,
};

const ListWindowDesign kActive{
    WindowId::frmActiveServicesList,
    L"Active Services List",
    6120,
    9600,
    Placement::SystemDefault,
    Frame::Sizable,
    true,
    ListKind::CheckBoxes,
    control_ids::ListStartedServices,
    {240, 240, 4095, 9060},
    kActiveButtons,
    btnStop,
};

const ListWindowDesign kTotal{
    WindowId::frmTotalServicesList,
    L"All Services List",
    6465,
    9540,
    Placement::SystemDefault,
    Frame::FixedDialogNoControls,
    false,
    ListKind::Plain,
    control_ids::lbServicesName,
    {240, 120, 4695, 9225},
    kTotalButtons,
    std::nullopt,
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
