#include "splash/VersionResource_win.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <optional>

namespace quenlow {

namespace {

// Each node is three words (its length, its value's length and whether the value is text), its
// key with a null, then its value and its children, each starting on four bytes from the
// resource's start.
struct Node {
    std::wstring_view key;
    std::span<const std::byte> value;
    std::size_t children = 0; // offsets from the resource's start
    std::size_t end = 0;
};

constexpr std::size_t Aligned(std::size_t offset) noexcept
{
    return (offset + 3) & ~std::size_t{3};
}

std::optional<Node> ReadNode(std::span<const std::byte> resource, std::size_t at, std::size_t limit)
{
    WORD header[3]{};
    if (at + sizeof(header) > limit) {
        return std::nullopt;
    }
    std::memcpy(header, resource.data() + at, sizeof(header));
    const auto [length, valueLength, isText] = header;
    if (length < sizeof(header) || at + length > limit) {
        return std::nullopt;
    }
    Node node;
    node.end = at + length;
    const auto* key = reinterpret_cast<const wchar_t*>(resource.data() + at + sizeof(header));
    const std::size_t keyRoom = (length - sizeof(header)) / sizeof(wchar_t);
    node.key = std::wstring_view(key, ::wcsnlen(key, keyRoom));
    if (node.key.size() == keyRoom) {
        return std::nullopt; // no null within the node
    }
    // Some resource compilers count a text value in bytes rather than characters: stay inside.
    const std::size_t keyEnd = at + sizeof(header) + (node.key.size() + 1) * sizeof(wchar_t);
    const std::size_t valueStart = std::min(Aligned(keyEnd), node.end);
    const std::size_t valueBytes = std::min<std::size_t>(isText ? valueLength * sizeof(wchar_t) : valueLength,
                                                         node.end - valueStart);
    node.value = resource.subspan(valueStart, valueBytes);
    node.children = std::min(Aligned(valueStart + valueBytes), node.end);
    return node;
}

bool SameKey(std::wstring_view a, std::wstring_view b) noexcept
{
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

} // namespace

std::span<const std::byte> FindVersionValue(std::span<const std::byte> resource,
                                            std::initializer_list<std::wstring_view> path)
{
    std::optional<Node> node = ReadNode(resource, 0, resource.size());
    for (const std::wstring_view key : path) {
        std::optional<Node> child;
        for (std::size_t at = node ? node->children : 0; node && at < node->end; at = Aligned(child->end)) {
            child = ReadNode(resource, at, node->end);
            if (!child || SameKey(child->key, key)) {
                break;
            }
        }
        node = child && SameKey(child->key, key) ? child : std::nullopt;
    }
    return node ? node->value : std::span<const std::byte>();
}

} // namespace quenlow
