#pragma once

#include <cstddef>
#include <initializer_list>
#include <span>
#include <string_view>

namespace quenlow {

// The value at a path of keys in a version resource (VS_VERSIONINFO as the module holds it), as
// VerQueryValueW finds it: an empty path is the root's own value (VS_FIXEDFILEINFO), and keys
// compare without regard to case. A text value is its UTF-16 characters. Empty when the path
// is missing or the data are malformed.
std::span<const std::byte> FindVersionValue(std::span<const std::byte> resource,
                                            std::initializer_list<std::wstring_view> path);

} // namespace quenlow
