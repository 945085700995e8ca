#pragma once

#include <string>
#include <string_view>

namespace quenlow::testing {

// The quenlow.exe under test, as a Windows path: set from --quenlow=PATH on the test program's
// command line (CMake passes the built target). Empty when not given.
const std::wstring& QuenlowProgramPath();
void SetQuenlowProgramPath(std::wstring path);

// The full path of a program built into the same folder as the running test program.
std::wstring ProgramBesideThisOne(std::wstring_view fileName);

} // namespace quenlow::testing
