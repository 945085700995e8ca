#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <type_traits>

// One owner type per handle kind that the windows create, each releasing its handle the one
// right way.
namespace quenlow {

namespace detail {
struct WindowDestroyer {
    void operator()(HWND window) const noexcept { ::DestroyWindow(window); }
};
struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const noexcept { ::DeleteObject(object); }
};
struct ImageListDestroyer {
    void operator()(HIMAGELIST list) const noexcept { ::ImageList_Destroy(list); }
};
struct MemoryDcDeleter {
    void operator()(HDC dc) const noexcept { ::DeleteDC(dc); }
};
struct ScreenDcReleaser {
    void operator()(HDC dc) const noexcept { ::ReleaseDC(nullptr, dc); }
};
} // namespace detail

using UniqueHwnd = std::unique_ptr<std::remove_pointer_t<HWND>, detail::WindowDestroyer>;
using UniqueHfont = std::unique_ptr<std::remove_pointer_t<HFONT>, detail::GdiObjectDeleter>;
using UniqueHbitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, detail::GdiObjectDeleter>;
using UniqueImageList = std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, detail::ImageListDestroyer>;
using UniqueMemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, detail::MemoryDcDeleter>;
using UniqueScreenDc = std::unique_ptr<std::remove_pointer_t<HDC>, detail::ScreenDcReleaser>;

// Puts a GDI object into a device context for one scope and the previous one back after.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ object) noexcept : m_dc(dc), m_previous(::SelectObject(dc, object)) {}
    ~ScopedSelectObject() { ::SelectObject(m_dc, m_previous); }

    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// A window's WM_PAINT for one scope: BeginPaint at its start, EndPaint however it ends.
class ScopedPaint {
public:
    explicit ScopedPaint(HWND window) noexcept : m_window(window), m_dc(::BeginPaint(window, &m_paint)) {}
    ~ScopedPaint()
    {
        if (m_dc) {
            ::EndPaint(m_window, &m_paint);
        }
    }

    ScopedPaint(const ScopedPaint&) = delete;
    ScopedPaint& operator=(const ScopedPaint&) = delete;

    // Null when there is nothing to paint with.
    HDC Dc() const noexcept { return m_dc; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint{};
    HDC m_dc;
};

} // namespace quenlow
