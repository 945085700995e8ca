#pragma once

#include <windows.h>

#include <string_view>

namespace quenlow {

// The program's question: the text, Yes and No, the application's title as caption and No as the
// default button, as a question that stops more than was chosen should have. Owned as the
// program's message box is (ShowMessageBox); true for Yes. Where nobody can see a window it is
// not shown and the answer is No, at once: nobody could give another.
bool AskYesNoBox(HWND owner, std::wstring_view question);

} // namespace quenlow
