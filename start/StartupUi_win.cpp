#include "start/StartupUi_win.h"

#include "common/ApplicationTitle.h"

#include <string>

namespace quenlow {

void Win32StartupUi::ShowMessage(std::wstring_view text)
{
    const std::wstring message(text);
    // No owner window exists on the command-line path; task-modal keeps any window of the
    // program from taking input while the box is up, as an owned box would. The answer of an
    // OK-only box means nothing.
    ::MessageBoxW(nullptr, message.c_str(), kApplicationTitle, MB_OK | MB_SETFOREGROUND | MB_TASKMODAL);
}

void Win32StartupUi::ShowWindowedPath()
{
    m_showWindowedPath();
}

} // namespace quenlow
