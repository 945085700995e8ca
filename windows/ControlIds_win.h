#pragma once

#include "ui/UserInterface.h"

// The child-window identifiers of the list windows' controls, named as the controls are.
// They stay clear of IDOK (1) and IDCANCEL (2), which the dialog keys send.
namespace quenlow::control_ids {

inline constexpr int btnStart = 101;
inline constexpr int btnStop = 102;
inline constexpr int btnActiveServices = 103;
inline constexpr int btnStoppedServices = 104;
inline constexpr int BtnAllServices = 105;
inline constexpr int btnRefresh = 106;
inline constexpr int btnClose = 107;

inline constexpr int ListStoppedServices = 110;
inline constexpr int ListStartedServices = 111;
inline constexpr int lbServicesName = 112;

constexpr int ButtonId(ControlId control) noexcept
{
    switch (control) {
    case ControlId::btnStart: return btnStart;
    case ControlId::btnStop: return btnStop;
    case ControlId::btnActiveServices: return btnActiveServices;
    case ControlId::btnStoppedServices: return btnStoppedServices;
    case ControlId::BtnAllServices: return BtnAllServices;
    case ControlId::btnRefresh: return btnRefresh;
    case ControlId::btnClose: return btnClose;
    case ControlId::Frame1: break;
    }
    return 0;
}

} // namespace quenlow::control_ids
