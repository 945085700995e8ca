#pragma once

#include <windows.h>

#include <string>

namespace quenlow::testing {

// What a program of the tests is doing, for a failure message: each of its visible windows,
// whether it is enabled and answers messages, any button held down in it, and where its thread's
// keyboard focus and mouse capture are. Tells an input that never arrived from a program that is
// stuck or busy. Each line begins with a line break; empty when the process shows no window.
std::string DescribeProgramState(DWORD processId);

// Where the keyboard focus and the mouse capture of the window's thread are; both null when the
// system cannot tell.
GUITHREADINFO InputStateOfThreadOf(HWND window);

} // namespace quenlow::testing
