#pragma once

#include "common/UniqueHandle_win.h"

#include <windows.h>

#include <string>

namespace quenlow::testing {

// A temporary file that a child process gets as its standard output or error, read once the
// process has ended. A file rather than a pipe: Wine's helper processes can inherit what the
// child holds and keep a pipe open long after it has ended, and a full pipe that nobody reads
// would hold the child up. The file is deleted when its last handle closes.
class CapturedOutput {
public:
    // Throws quenlow::Error when the file cannot be made.
    CapturedOutput();

    // The inheritable handle to give the child.
    HANDLE Handle() const noexcept { return m_file.get(); }

    // Everything written to it: UTF-16 when it begins with the byte order mark, UTF-8 otherwise.
    std::wstring Text() const;

private:
    UniqueHandle m_file;
};

} // namespace quenlow::testing
