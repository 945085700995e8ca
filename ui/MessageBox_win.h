#pragma once

#include <windows.h>

#include <string_view>

namespace quenlow {

// The program's one message box: the text, an OK button and the application's title as
// caption. With an owner it is modal for that window; without one, for the whole program, so
// that no window of ours takes input until it is closed. Its answer means nothing. Where nobody
// can see a window, the text goes to standard error instead and nobody is waited for.
void ShowMessageBox(HWND owner, std::wstring_view text, UINT icon = 0);

} // namespace quenlow
