#pragma once

namespace quenlow {

// From here on, DLLs loaded by name come from the system folder only: never from the program's
// own folder or the current one. Called first, before anything can load one.
void RestrictDllSearchToSystemFolder() noexcept;

} // namespace quenlow
