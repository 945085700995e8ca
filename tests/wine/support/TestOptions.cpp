#include "support/TestOptions.h"

#include "support/HostPath.h"

namespace quenlow::testing {

namespace {

std::wstring& ProgramPath()
{
    static std::wstring path;
    return path;
}

} // namespace

const std::wstring& QuenlowProgramPath()
{
    return ProgramPath();
}

void SetQuenlowProgramPath(std::wstring path)
{
    ProgramPath() = HostPathToWindows(path);
}

} // namespace quenlow::testing
