#pragma once

namespace quenlow {

// Makes the common controls 6 (themed controls, the task dialog) the ones the calling thread's
// windows get from now on, and their DLL the one the program's calls into it load. The process's
// own manifest leaves them out, so that the splash window shows without loading them first; the
// program calls this before it makes any control, progress window or box. Once per thread; where
// the program's module has no such manifest (a test program), the thread keeps what it has.
void UseCommonControls() noexcept;

// The same, and their DLL loaded now rather than by the first control or box that needs it: the
// window thread calls this while it waits for a worker, so that the load overlaps the worker's
// call instead of delaying the box that reports it. Once per thread.
void LoadCommonControls() noexcept;

} // namespace quenlow
