// The fairer reference for a list window on screen: the same WMI query as quenlow.exe, and only
// then one window with the same controls as quenlow.exe's list window for that query
// (bench/SameControlsWindow_win.h), written the plain way a Win32 program is: query, create the
// window and its controls, fill the list, show. It gets ready and is clicked as the bare list
// program is (bench/BareListProgram_win.h); it shares nothing with quenlow.exe's window code, only
// the button pictures, the manifest and the owners of handles.
//   quenlow_bench_wmi_same_controls.exe stopped|running|all
#include "bench/BareListProgram_win.h"
#include "bench/SameControlsWindow_win.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    // Declared first, so the font and the pictures outlast the window.
    quenlow::bench::SameControlsWindow window;
    return quenlow::bench::RunBareListProgram(
        instance, [&window, instance](quenlow::bench::ListedServices listed, const std::vector<std::wstring>& names) {
            return window.Show(instance, listed, names, quenlow::bench::SameControlsWindow::Ending::QuitsTheProgram);
        });
}
