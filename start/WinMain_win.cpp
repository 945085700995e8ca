#include "start/StartupUi_win.h"

#include "ui/UiThreadClock_win.h"
#include "services/WmiServiceAccess_win.h"
#include "splash/AppInfo_win.h"
#include "start/ArgumentPart.h"
#include "start/ComApartment_win.h"
#include "start/DllSearch_win.h"
#include "start/modStart.h"
#include "ui/UntrappedError_win.h"
#include "windows/Program.h"
#include "windows/Win32UserInterface_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    quenlow::RestrictDllSearchToSystemFolder();
    quenlow::InstallUntrappedErrorHandlers();
    try {
        const quenlow::ComApartment com;
        quenlow::InitializeComSecurity();

        quenlow::WmiServiceAccess wmi;
        quenlow::UiThreadClock clock;
        const quenlow::AppInfo app = quenlow::ReadAppInfo();
        quenlow::Win32UserInterface windows(instance, app.title);
        quenlow::Program program(wmi, windows, clock, app);
        windows.Attach(program);
        quenlow::Win32StartupUi ui([&] { program.ShowWindowedPath(); });

        // The runtime's own argument text drops any control character after the program's
        // name; read the line as the system holds it.
        const int status = quenlow::Main(quenlow::ArgumentPartOf(::GetCommandLineW()), wmi, clock, ui);
        // As after every event: with no window on screen the program ends. The loop runs the
        // windows (with the dialog keys) until then.
        program.EndIfNothingVisible();
        windows.RunMessageLoop();
        return status;
    } catch (...) {
        quenlow::ReportCurrentException();
        return quenlow::kExitUntrappedError;
    }
}
