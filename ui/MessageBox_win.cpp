#include "ui/MessageBox_win.h"

#include "common/ApplicationTitle.h"
#include "ui/CommonControls_win.h"
#include "ui/Desktop_win.h"

#include <string>

namespace quenlow {

void ShowMessageBox(HWND owner, std::wstring_view text, UINT icon)
{
    if (!WindowsCanBeSeen()) {
        WriteToStandardError(text);
        return;
    }
    LoadCommonControls(); // its buttons are theirs
    const std::wstring message(text);
    ::MessageBoxW(owner, message.c_str(), kApplicationTitle, MB_OK | MB_SETFOREGROUND | icon | (owner ? 0u : MB_TASKMODAL));
}

} // namespace quenlow
