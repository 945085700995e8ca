#pragma once

#include <string>

namespace quenlow::testing {

// The quenlow.exe under test, as a Windows path: set from --quenlow=PATH on the test program's
// command line (CMake passes the built target). Empty when not given.
const std::wstring& QuenlowProgramPath();
void SetQuenlowProgramPath(std::wstring path);

} // namespace quenlow::testing
