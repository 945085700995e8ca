#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quenlow::testing {

// What the screen shows in a rectangle, as the user sees it. Throws when it cannot be read.
class ScreenCapture {
public:
    explicit ScreenCapture(const RECT& area);

    // 0x00RRGGBB, as a 32-bit DIB holds it.
    const std::vector<std::uint32_t>& Pixels() const { return m_pixels; }

private:
    std::vector<std::uint32_t> m_pixels;
};

inline int Red(std::uint32_t pixel) { return static_cast<int>((pixel >> 16) & 0xFF); }
inline int Green(std::uint32_t pixel) { return static_cast<int>((pixel >> 8) & 0xFF); }
inline int Blue(std::uint32_t pixel) { return static_cast<int>(pixel & 0xFF); }

bool IsColour(std::uint32_t pixel, COLORREF colour);
std::size_t CountColour(const ScreenCapture& capture, COLORREF colour);

} // namespace quenlow::testing
