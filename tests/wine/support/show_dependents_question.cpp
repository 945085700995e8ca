// Shows, for the README's picture (scripts/screenshots.sh), the question that a stop refused for
// running dependents asks: the real program's windows and box, in-process, on made-up services.
// The active services window opens, Print Spooler is ticked and Stop pressed; the fake refuses
// that stop with 3 while Fax and Printer Extensions and Notifications, which depend on it, run.
// The program ends once the question and the report have been answered.
#include "FakeServiceAccess.h"
#include "splash/AppInfo_win.h"
#include "start/Composition_win.h"

#include <windows.h>
#include <commctrl.h>

#include <memory>

namespace {

using namespace quenlow;

// Ticks the entry of the window's list, as a user's Space would.
void Tick(HWND window, const wchar_t* text)
{
    const HWND list = ::FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr);
    LVFINDINFOW find{};
    find.flags = LVFI_STRING;
    find.psz = text;
    ListView_SetCheckState(list, ListView_FindItem(list, -1, &find), TRUE);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    auto services = std::make_shared<testing::FakeServiceAccess>();
    services->services = {{L"Spooler", L"Print Spooler", L"Running"},
                          {L"Fax", L"Fax", L"Running"},
                          {L"PrintNotify", L"Printer Extensions and Notifications", L"Running"},
                          {L"W32Time", L"Windows Time", L"Running"}};
    services->services[1].dependsOn = {L"Spooler"};
    services->services[2].dependsOn = {L"Spooler"};
    Composition program(instance, ReadAppInfo(), Composition::Parts{services, nullptr, {}});
    program.Rules().ShowWindowedPath();
    program.Rules().SplashMarginMouseMove();
    program.Rules().Click(WindowId::frmStoppedServicesList, ControlId::btnActiveServices);
    Tick(program.Windows().Handle(WindowId::frmActiveServicesList), L"Print Spooler");
    program.Rules().Click(WindowId::frmActiveServicesList, ControlId::btnStop);
    return 0;
}
