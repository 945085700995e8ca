#include "splash/SplashContent_win.h"

#include "common/HResultText_win.h"
#include "resources/splash_ids.h"
#include "windows/Dpi_win.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

namespace quenlow::splash {

namespace {

RECT ToPixels(const TwipsRect& twips, UINT dpi) noexcept
{
    // Each edge is scaled on its own, so boxes that touch in the design still touch.
    return RECT{TwipsToPixels(twips.left, dpi), TwipsToPixels(twips.top, dpi),
                TwipsToPixels(twips.left + twips.width, dpi), TwipsToPixels(twips.top + twips.height, dpi)};
}

[[noreturn]] void ThrowLastError(std::wstring_view activity)
{
    const DWORD error = ::GetLastError();
    ThrowHResult(error ? HRESULT_FROM_WIN32(error) : E_FAIL, activity);
}

UniqueHfont CreateArial(double points, bool bold, UINT dpi)
{
    LOGFONTW font{};
    font.lfHeight = -static_cast<LONG>(std::lround(points * dpi / 72.0));
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

RECT Union(const RECT& a, const RECT& b) noexcept
{
    RECT both{};
    ::UnionRect(&both, &a, &b);
    return both;
}

} // namespace

SplashContent::SplashContent(HINSTANCE instance)
{
    m_logo.reset(static_cast<HBITMAP>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(IDB_SPLASH_LOGO), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!m_logo) {
        ThrowLastError(L"loading the splash window's logo");
    }
    BITMAP info{};
    ::GetObjectW(m_logo.get(), sizeof(info), &info);
    m_logoSize = SIZE{info.bmWidth, info.bmHeight};
    for (std::size_t index = 0; index < kLabelCount; ++index) {
        m_labels[index].caption = kLabels[index].caption;
    }
}

void SplashContent::SetDpi(UINT dpi)
{
    m_dpi = dpi;
    for (std::size_t index = 0; index < kLabelCount; ++index) {
        const LabelDesign& design = kLabels[index];
        m_labels[index].font = CreateArial(design.points, design.bold, dpi);
        Measure(static_cast<LabelIndex>(index));
    }
    m_logoBounds = ToPixels(kImgLogo, dpi);
}

RECT SplashContent::SetCaption(LabelIndex label, std::wstring_view caption)
{
    const RECT before = m_labels[label].bounds;
    m_labels[label].caption.assign(caption);
    if (m_dpi != 0) {
        Measure(label);
    }
    return Union(before, m_labels[label].bounds);
}

void SplashContent::Measure(LabelIndex label)
{
    const LabelDesign& design = kLabels[label];
    RECT box = ToPixels(design.box, m_dpi);
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

bool SplashContent::IsOverControl(POINT framePoint) const noexcept
{
    if (::PtInRect(&m_logoBounds, framePoint)) {
        return true;
    }
    return std::any_of(m_labels.begin(), m_labels.end(),
                       [&](const Label& label) { return ::PtInRect(&label.bounds, framePoint) != FALSE; });
}

void SplashContent::Paint(HDC dc, const RECT& frameClient) const
{
    FillSolid(dc, frameClient, kBlack);

    // A flat single line around the frame, one pixel at 96 DPI.
    const int line = std::max(1, ScaleToDpi(1, m_dpi));
    const RECT& r = frameClient;
    FillSolid(dc, RECT{r.left, r.top, r.right, r.top + line}, kFrameLine);
    FillSolid(dc, RECT{r.left, r.bottom - line, r.right, r.bottom}, kFrameLine);
    FillSolid(dc, RECT{r.left, r.top, r.left + line, r.bottom}, kFrameLine);
    FillSolid(dc, RECT{r.right - line, r.top, r.right, r.bottom}, kFrameLine);

    // The logo is stretched to its box in both directions; HALFTONE averages the pixels it drops.
    if (const UniqueMemoryDc logoDc{::CreateCompatibleDC(dc)}) {
        const ScopedSelectObject logo(logoDc.get(), m_logo.get());
        const int previousMode = ::SetStretchBltMode(dc, HALFTONE);
        ::SetBrushOrgEx(dc, 0, 0, nullptr);
        ::StretchBlt(dc, m_logoBounds.left, m_logoBounds.top, m_logoBounds.right - m_logoBounds.left,
                     m_logoBounds.bottom - m_logoBounds.top, logoDc.get(), 0, 0, m_logoSize.cx, m_logoSize.cy,
                     SRCCOPY);
        ::SetStretchBltMode(dc, previousMode);
    }

    // Transparent labels: the black of the frame shows around and behind the text.
    const int previousBkMode = ::SetBkMode(dc, TRANSPARENT);
    for (std::size_t index = 0; index < kLabelCount; ++index) {
        const LabelDesign& design = kLabels[index];
        const Label& label = m_labels[index];
        const ScopedSelectObject font(dc, label.font.get());
        ::SetTextColor(dc, design.colour);
        RECT bounds = label.bounds;
        UINT format = DT_SINGLELINE | DT_NOPREFIX | DT_TOP;
        format |= design.alignment == Alignment::Right ? DT_RIGHT : DT_LEFT;
        // A fixed box cuts a caption that is too long; a fitted one never clips its own text.
        format |= design.sizing == Sizing::FixedBox ? DT_END_ELLIPSIS : DT_NOCLIP;
        ::DrawTextW(dc, label.caption.c_str(), static_cast<int>(label.caption.size()), &bounds, format);
    }
    ::SetBkMode(dc, previousBkMode);
}

} // namespace quenlow::splash
