#pragma once

namespace quenlow {

// Loads the common controls now, at a moment the program chooses, rather than at the first call
// through the delay-load helper. The process's manifest depends on the common controls 6 and no
// activation context of the program's own is ever active, so whichever thread or path loads them
// first gets version 6 from the side-by-side store. The program calls this before it makes any
// list window, picture button, progress window or box, and the window thread calls it while it
// waits for a worker, so that the load overlaps the worker's call instead of delaying the box that
// reports it. Once per process; later calls return at once.
void LoadCommonControls() noexcept;

} // namespace quenlow
