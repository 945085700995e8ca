#pragma once

#include <cstddef>
#include <string_view>

namespace quenlow::bench {

// The least a program can do to list services through WMI's COM interfaces: connect to
// root\cimv2, run the query and read the DisplayName of each instance, nothing kept. Returns the
// number of instances. COM must be initialised on the calling thread; failures throw
// quenlow::Error.
std::size_t BareWmiWalk(std::wstring_view query);

} // namespace quenlow::bench
