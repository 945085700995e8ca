#include "support/ScreenCapture.h"

#include "ui/UniqueGdi_win.h"

#include <algorithm>
#include <stdexcept>

namespace quenlow::testing {

ScreenCapture::ScreenCapture(const RECT& area)
{
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    const UniqueScreenDc screen(::GetDC(nullptr));
    const UniqueMemoryDc memory(::CreateCompatibleDC(screen.get()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const UniqueHbitmap bitmap(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) {
        throw std::runtime_error("no bitmap for the screen capture");
    }
    {
        const ScopedSelectObject selected(memory.get(), bitmap.get());
        ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY);
        ::GdiFlush();
    }
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    m_pixels.assign(pixels, pixels + static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
}

bool IsColour(std::uint32_t pixel, COLORREF colour)
{
    return Red(pixel) == GetRValue(colour) && Green(pixel) == GetGValue(colour) && Blue(pixel) == GetBValue(colour);
}

std::size_t CountColour(const ScreenCapture& capture, COLORREF colour)
{
    return static_cast<std::size_t>(std::count_if(capture.Pixels().begin(), capture.Pixels().end(),
                                                  [&](std::uint32_t pixel) { return IsColour(pixel, colour); }));
}

} // namespace quenlow::testing
