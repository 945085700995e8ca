#include "splash/SplashContent_win.h"

#include "common/HResultText_win.h"
#include "resources/splash_ids.h"
#include "ui/Dpi_win.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <utility>

namespace quenlow::splash {

namespace {

UniqueHfont CreateArial(double points, bool bold, UINT dpi)
{
    LOGFONTW font{};
    font.lfHeight = FontHeightForPoints(points, dpi);
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = ANSI_CHARSET;
    font.lfOutPrecision = OUT_TT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    // Where Arial is missing, the system picks another proportional sans-serif face.
    font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    std::wcscpy(font.lfFaceName, L"Arial");
    UniqueHfont created(::CreateFontIndirectW(&font));
    if (!created) {
        ThrowLastError(L"creating the splash window's fonts");
    }
    return created;
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour)
{
    ::SetBkColor(dc, colour);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

// Labels take their own mouse input (SS_NOTIFY; a plain static is transparent to the mouse,
// which would then reach the frame and count as a click on it) and run no code on it. They
// never take the focus, so every key press stays with the splash window.
DWORD LabelStyle(const LabelDesign& design) noexcept
{
    DWORD style = WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_NOPREFIX;
    style |= design.alignment == Alignment::Right ? SS_RIGHT : SS_LEFT;
    // One line either way, never wrapped: a fixed box cuts a caption that is too long with an
    // ellipsis; a fitted box is one line high, so centring the line puts it at the top.
    style |= design.sizing == Sizing::FixedBox ? SS_ENDELLIPSIS : SS_CENTERIMAGE;
    return style;
}

HWND CreateControl(HWND frame, HINSTANCE instance, int id, const wchar_t* text, DWORD style)
{
    const HWND control = ::CreateWindowExW(0, L"STATIC", text, style, 0, 0, 0, 0, frame,
                                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (!control) {
        ThrowLastError(L"creating the splash window's labels");
    }
    return control;
}

RECT Union(const RECT& a, const RECT& b) noexcept
{
    RECT both{};
    ::UnionRect(&both, &a, &b);
    return both;
}

} // namespace

SplashContent::SplashContent(HINSTANCE instance)
{
    // A bitmap resource is a packed DIB: its header, its colours, then its pixels. The module
    // keeps it in memory for as long as the program runs.
    const HRSRC found = ::FindResourceW(instance, MAKEINTRESOURCEW(IDB_SPLASH_LOGO), RT_BITMAP);
    const HGLOBAL loaded = found ? ::LoadResource(instance, found) : nullptr;
    const auto* header = loaded ? static_cast<const BITMAPINFOHEADER*>(::LockResource(loaded)) : nullptr;
    if (!header) {
        ThrowLastError(L"loading the splash window's logo");
    }
    const DWORD colours = header->biClrUsed != 0 ? header->biClrUsed
                          : header->biBitCount <= 8 ? (1u << header->biBitCount)
                                                    : 0;
    m_logo = reinterpret_cast<const BITMAPINFO*>(header);
    m_logoBits = reinterpret_cast<const BYTE*>(header) + header->biSize + colours * sizeof(RGBQUAD);
    m_logoSize = SIZE{header->biWidth, std::abs(header->biHeight)};
    for (std::size_t index = 0; index < kLabelCount; ++index) {
        m_labels[index].caption = kLabels[index].caption;
    }
}

void SplashContent::Create(HWND frame, HINSTANCE instance)
{
    // The logo is drawn by the frame (WM_DRAWITEM): a stretched bitmap control would not
    // average the pixels it drops. Like the labels it keeps the mouse input over it.
    m_logoControl =
        CreateControl(frame, instance, control_ids::imgLogo, L"", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW | SS_NOTIFY);
    for (std::size_t index = 0; index < kLabelCount; ++index) {
        Label& label = m_labels[index];
        const int id = ControlIdOf(static_cast<LabelIndex>(index));
        label.control = CreateControl(frame, instance, id, label.caption.c_str(), LabelStyle(kLabels[index]));
    }
}

void SplashContent::SetDpi(UINT dpi)
{
    m_dpi = dpi;
    for (std::size_t index = 0; index < kLabelCount; ++index) {
        const LabelDesign& design = kLabels[index];
        Label& label = m_labels[index];
        UniqueHfont font = CreateArial(design.points, design.bold, dpi);
        if (label.control) {
            // The control keeps using the old font until it has the new one.
            ::SendMessageW(label.control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
        }
        label.font = std::move(font);
        Measure(static_cast<LabelIndex>(index));
        Place(label.control, label.bounds);
    }
    m_logoBounds = TwipsToPixels(kImgLogo, dpi);
    Place(m_logoControl, m_logoBounds);
}

RECT SplashContent::SetCaption(LabelIndex label, std::wstring_view caption)
{
    Label& changed = m_labels[label];
    const RECT before = changed.bounds;
    changed.caption.assign(caption);
    if (changed.control && !::SetWindowTextW(changed.control, changed.caption.c_str())) {
        ThrowLastError(L"setting the caption of a splash window's label");
    }
    if (m_dpi != 0) {
        Measure(label);
        Place(changed.control, changed.bounds);
    }
    return Union(before, changed.bounds);
}

void SplashContent::Measure(LabelIndex label)
{
    const LabelDesign& design = kLabels[label];
    RECT box = TwipsToPixels(design.box, m_dpi);
    if (design.sizing == Sizing::FitsCaption) {
        // Measured on the screen, as drawn: a monochrome memory DC may hint glyphs narrower.
        const UniqueScreenDc dc(::GetDC(nullptr));
        if (!dc) {
            ThrowLastError(L"measuring the splash window's labels");
        }
        const ScopedSelectObject font(dc.get(), m_labels[label].font.get());
        const std::wstring& caption = m_labels[label].caption;
        SIZE text{};
        TEXTMETRICW metrics{};
        if (!::GetTextExtentPoint32W(dc.get(), caption.c_str(), static_cast<int>(caption.size()), &text) ||
            !::GetTextMetricsW(dc.get(), &metrics)) {
            ThrowLastError(L"measuring the splash window's labels");
        }
        if (design.alignment == Alignment::Right) {
            box.left = box.right - text.cx;
        } else {
            box.right = box.left + text.cx;
        }
        box.bottom = box.top + metrics.tmHeight;
    }
    m_labels[label].bounds = box;
}

void SplashContent::Place(HWND control, const RECT& bounds) const noexcept
{
    if (control) {
        ::MoveWindow(control, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, FALSE);
    }
}

std::optional<COLORREF> SplashContent::TextColour(HWND control) const noexcept
{
    for (std::size_t index = 0; index < kLabelCount; ++index) {
        if (control && m_labels[index].control == control) {
            return kLabels[index].colour;
        }
    }
    return std::nullopt;
}

void SplashContent::PaintGround(HDC dc, const RECT& frameClient) const
{
    FillSolid(dc, frameClient, kBlack);

    // A flat single line around the frame, one pixel at 96 DPI.
    const int line = std::max(1, ScaleToDpi(1, m_dpi));
    const RECT& r = frameClient;
    FillSolid(dc, RECT{r.left, r.top, r.right, r.top + line}, kFrameLine);
    FillSolid(dc, RECT{r.left, r.bottom - line, r.right, r.bottom}, kFrameLine);
    FillSolid(dc, RECT{r.left, r.top, r.left + line, r.bottom}, kFrameLine);
    FillSolid(dc, RECT{r.right - line, r.top, r.right, r.bottom}, kFrameLine);
}

void SplashContent::DrawLogo(HDC dc, const RECT& box)
{
    const SIZE size{box.right - box.left, box.bottom - box.top};
    const UniqueMemoryDc memory{::CreateCompatibleDC(dc)};
    if (!memory || size.cx <= 0 || size.cy <= 0) {
        return;
    }
    if (!m_fittedLogo || m_fittedSize.cx != size.cx || m_fittedSize.cy != size.cy) {
        // Stretching the 793 x 1200 logo with HALFTONE, which averages the pixels it drops,
        // costs far more than copying the result: it is done once per size.
        UniqueHbitmap fitted{::CreateCompatibleBitmap(dc, size.cx, size.cy)};
        if (!fitted) {
            return;
        }
        const ScopedSelectObject target(memory.get(), fitted.get());
        ::SetStretchBltMode(memory.get(), HALFTONE);
        ::SetBrushOrgEx(memory.get(), 0, 0, nullptr);
        if (::StretchDIBits(memory.get(), 0, 0, size.cx, size.cy, 0, 0, m_logoSize.cx, m_logoSize.cy, m_logoBits,
                            m_logo, DIB_RGB_COLORS, SRCCOPY) == 0) {
            return;
        }
        m_fittedLogo = std::move(fitted);
        m_fittedSize = size;
    }
    const ScopedSelectObject fitted(memory.get(), m_fittedLogo.get());
    ::BitBlt(dc, box.left, box.top, size.cx, size.cy, memory.get(), 0, 0, SRCCOPY);
}

} // namespace quenlow::splash
