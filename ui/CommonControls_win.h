#pragma once

namespace quenlow {

// Makes the common controls 6 (themed controls, the task dialog) the ones the calling thread's
// windows get from now on, and their DLL the one the program's calls into it load. The process's
// own manifest leaves them out, so that the splash window shows without loading them first; the
// program calls this before it makes any control, progress window or box. Once per thread; where
// the program's module has no such manifest (a test program), the thread keeps what it has.
void UseCommonControls() noexcept;

} // namespace quenlow
