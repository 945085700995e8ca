#pragma once

#include "windows/ServiceListProcedures.h"

// The all services window: every service whatever its state, for viewing only.
namespace quenlow::frmTotalServicesList {

inline constexpr WindowId kWindow = WindowId::frmTotalServicesList;
extern const ListSource kListSource;

void loadservices(WindowContext& context);

} // namespace quenlow::frmTotalServicesList
