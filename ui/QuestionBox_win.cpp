#include "ui/QuestionBox_win.h"

#include "common/ApplicationTitle.h"
#include "ui/CommonControls_win.h"
#include "ui/Desktop_win.h"

#include <string>

namespace quenlow {

bool AskYesNoBox(HWND owner, std::wstring_view question)
{
    if (!WindowsCanBeSeen()) {
        return false;
    }
    LoadCommonControls(); // its buttons are theirs
    const std::wstring text(question);
    const UINT style = MB_YESNO | MB_DEFBUTTON2 | MB_SETFOREGROUND | (owner ? 0u : MB_TASKMODAL);
    return ::MessageBoxW(owner, text.c_str(), kApplicationTitle, style) == IDYES;
}

} // namespace quenlow
