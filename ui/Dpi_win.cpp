#include "ui/Dpi_win.h"

#include "ui/UniqueGdi_win.h"

#include <cmath>

namespace quenlow {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForSystemFn = UINT(WINAPI*)();
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);

// The per-monitor functions exist from Windows 10 1607 on; user32 is always loaded.
template <typename Function>
Function User32Function(const char* name) noexcept
{
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    if (!user32) {
        return nullptr;
    }
    // Through void(*)(), the one function pointer type a cast may go through without a warning.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(user32, name)));
}

struct DpiFunctions {
    GetDpiForWindowFn getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    GetDpiForSystemFn getDpiForSystem = User32Function<GetDpiForSystemFn>("GetDpiForSystem");
    AdjustWindowRectExForDpiFn adjustWindowRectExForDpi =
        User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    SystemParametersInfoForDpiFn systemParametersInfoForDpi =
        User32Function<SystemParametersInfoForDpiFn>("SystemParametersInfoForDpi");
    GetSystemMetricsForDpiFn getSystemMetricsForDpi = User32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
};

const DpiFunctions& Functions() noexcept
{
    static const DpiFunctions functions;
    return functions;
}

UINT ScreenDpi() noexcept
{
    const UniqueScreenDc screen(::GetDC(nullptr));
    const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

} // namespace

int ScaleToDpi(int pixelsAt96, UINT dpi) noexcept
{
    return ::MulDiv(pixelsAt96, static_cast<int>(dpi), static_cast<int>(kDesignDpi));
}

int TwipsToPixels(int twips, UINT dpi) noexcept
{
    return ::MulDiv(twips, static_cast<int>(dpi), kTwipsPerInch);
}

RECT TwipsToPixels(const TwipsRect& twips, UINT dpi) noexcept
{
    return RECT{TwipsToPixels(twips.left, dpi), TwipsToPixels(twips.top, dpi),
                TwipsToPixels(twips.left + twips.width, dpi), TwipsToPixels(twips.top + twips.height, dpi)};
}

LONG FontHeightForPoints(double points, UINT dpi) noexcept
{
    return -static_cast<LONG>(std::lround(points * dpi / kPointsPerInch));
}

UINT WindowDpi(HWND window) noexcept
{
    if (const auto getDpiForWindow = Functions().getDpiForWindow) {
        if (const UINT dpi = getDpiForWindow(window)) {
            return dpi;
        }
    }
    return ScreenDpi();
}

UINT SystemDpi() noexcept
{
    if (const auto getDpiForSystem = Functions().getDpiForSystem) {
        if (const UINT dpi = getDpiForSystem()) {
            return dpi;
        }
    }
    return ScreenDpi();
}

int SystemMetricAtDpi(int index, UINT dpi) noexcept
{
    if (const auto forDpi = Functions().getSystemMetricsForDpi) {
        return forDpi(index, dpi);
    }
    // The system gives it at the system DPI.
    return ::MulDiv(::GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

SIZE WindowSizeForClient(SIZE client, DWORD style, DWORD exStyle, UINT dpi) noexcept
{
    RECT rect{0, 0, client.cx, client.cy};
    const auto adjustForDpi = Functions().adjustWindowRectExForDpi;
    if (!adjustForDpi || !adjustForDpi(&rect, style, FALSE, exStyle, dpi)) {
        ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    }
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

LOGFONTW MessageFont(UINT dpi) noexcept
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (const auto forDpi = Functions().systemParametersInfoForDpi) {
        if (forDpi(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0, dpi)) {
            return metrics.lfMessageFont;
        }
    }
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
        // The system gives it at the system DPI.
        metrics.lfMessageFont.lfHeight =
            ::MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
        return metrics.lfMessageFont;
    }
    LOGFONTW font{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    return font;
}

} // namespace quenlow
