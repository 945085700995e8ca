#include "start/StartupUi_win.h"

#include "services/WmiWorker_win.h"
#include "splash/AppInfo_win.h"
#include "start/ArgumentPart.h"
#include "start/DllSearch_win.h"
#include "start/modStart.h"
#include "ui/ServiceWorkWait_win.h"
#include "ui/UntrappedError_win.h"
#include "windows/Program.h"
#include "windows/Win32UserInterface_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    quenlow::RestrictDllSearchToSystemFolder();
    quenlow::InstallUntrappedErrorHandlers();
    try {
        const quenlow::AppInfo app = quenlow::ReadAppInfo();
        // WMI is reached only from the worker's thread, which starts with the first piece of work.
        quenlow::WmiWorker worker;
        quenlow::Win32UserInterface windows(instance, app.title);
        // On the command line the progress window stands alone; once the windows are open it
        // belongs to the window whose event started the work.
        quenlow::Win32ServiceWork work(instance, app.title, worker, {{}, {}, quenlow::kExitStillPending});
        quenlow::Program program(work, windows, app);
        windows.Attach(program);
        quenlow::Win32StartupUi ui([&] {
            work.SetHost({[&] { return windows.DialogOwner(); }, [&] { return windows.VisibleWindows(); },
                          quenlow::kExitSucceeded});
            program.ShowWindowedPath();
            worker.Warm();
        });

        // The runtime's own argument text drops any control character after the program's
        // name; read the line as the system holds it.
        const int status = quenlow::Main(quenlow::ArgumentPartOf(::GetCommandLineW()), work, ui);
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
