// The reference for start-up and memory: the least a Win32 program does to show one window,
// built and linked like quenlow.exe (static runtime). It ends when its window is closed.
#include "bench/MinimalWindow.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    // As large as the splash window.
    return quenlow::bench::ShowWindowUntilClosed(instance, quenlow::bench::kMinimalWindowClass, 0,
                                                 WS_POPUP | WS_DLGFRAME, L"Bench window", 260, 230, 495, 296);
}
