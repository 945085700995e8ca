#include "common/ExitStatus.h"
#include "splash/AppInfo_win.h"
#include "start/ArgumentPart.h"
#include "start/Composition_win.h"
#include "start/DllSearch_win.h"
#include "start/modStart.h"
#include "ui/UntrappedError_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    quenlow::RestrictDllSearchToSystemFolder();
    quenlow::InstallUntrappedErrorHandlers();
    try {
        // WMI is reached only from the worker's thread, which starts with the first piece of work.
        quenlow::Composition program(instance, quenlow::ReadAppInfo());
        // The runtime's own argument text drops any control character after the program's
        // name; read the line as the system holds it.
        const int status = quenlow::Main(quenlow::ArgumentPartOf(::GetCommandLineW()), program.Work(), program);
        program.RunUntilTheEnd();
        return status;
    } catch (...) {
        quenlow::ReportCurrentException();
        return quenlow::kExitUntrappedError;
    }
}
