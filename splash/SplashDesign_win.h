#pragma once

#include "common/ApplicationTitle.h"
#include "ui/Dpi_win.h"
#include "ui/UserInterface.h"

#include <windows.h>

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

// The splash window's design: positions and sizes in twips, relative to the client area of the
// window or of Frame1 that holds the control; fonts are Arial at the sizes in points.
namespace quenlow::splash {

// The child-window identifiers of the splash window's controls, named as the controls are, so
// that screen readers and other programs can find each of them.
namespace control_ids {
inline constexpr int Frame1 = 200;
inline constexpr int imgLogo = 201;
inline constexpr int lblCopyright = 202;
inline constexpr int lblCompany = 203;
inline constexpr int lblVersion = 204;
inline constexpr int lblPlatform = 205;
inline constexpr int lblProductName = 206;
inline constexpr int lblCompanyProduct = 207;
inline constexpr int lblLicenseTo = 208;
inline constexpr int lblWarning = 209;
} // namespace control_ids

enum class Alignment { Left, Right };

// A label with a fixed box keeps its design size; one that fits its caption takes the size of
// its caption on one line and keeps the edge it is aligned to.
enum class Sizing { FixedBox, FitsCaption };

struct LabelDesign {
    std::wstring_view caption;
    TwipsRect box;
    double points;
    bool bold;
    COLORREF colour;
    Alignment alignment;
    Sizing sizing;
};

inline constexpr int kClientWidth = 7335;
inline constexpr int kClientHeight = 4350;
inline constexpr TwipsRect kFrame1{120, 120, 7065, 4050};
inline constexpr TwipsRect kImgLogo{240, 720, 1815, 2385};

inline constexpr COLORREF kBlack = RGB(0, 0, 0);
inline constexpr COLORREF kLightGrey = RGB(192, 192, 192);
inline constexpr COLORREF kRed = RGB(192, 0, 0);
inline constexpr COLORREF kWhite = RGB(255, 255, 255);
// Frame1's flat single-line border: visible on black, quieter than the texts.
inline constexpr COLORREF kFrameLine = RGB(96, 96, 96);

// The labels inside Frame1, in the order they were created.
enum LabelIndex : std::size_t {
    lblCopyright,
    lblCompany,
    lblVersion,
    lblPlatform,
    lblProductName,
    lblCompanyProduct,
    lblLicenseTo,
    lblWarning,
    kLabelCount,
};

// clang-format off
inline constexpr std::array<LabelDesign, kLabelCount> kLabels{{
    {L"\u00A9 2026 Quenlow Developers",  {4320, 3240, 2655, 255},  8.25, false, kLightGrey, Alignment::Left,  Sizing::FixedBox},
    {L"Contact: see the README file",    {4320, 3480, 2655, 255},  8.25, false, kLightGrey, Alignment::Left,  Sizing::FixedBox},
    {L"All Versions",                    {5490, 2700, 1365, 285},  12.0, true,  kLightGrey, Alignment::Right, Sizing::FitsCaption},
    {L"Ms Windows",                      {4950, 2340, 1905, 360},  15.75, true, kLightGrey, Alignment::Right, Sizing::FitsCaption},
    {kApplicationTitle,                  {2520, 1140, 4275, 660},  27.75, true, kRed,       Alignment::Left,  Sizing::FitsCaption},
    {L"Quenlow Developers",              {2355, 705, 2160, 435},   18.0, true,  kWhite,     Alignment::Left,  Sizing::FitsCaption},
    // Along the top edge of the frame, right edge at 6975.
    {L"Freeware",                        {4320, 150, 2655, 255},   8.25, false, kLightGrey, Alignment::Right, Sizing::FitsCaption},
    // Across the bottom of the frame, below the contact line, to the right edge of the notices
    // above it. A fixed box like theirs: Wine draws some glyphs of this long line wider than it
    // measures them, and a box fitted to the measure would cut its end.
    {L"Starting or stopping services can affect how Windows works.",
                                         {240, 3765, 6735, 255},   8.25, false, kLightGrey, Alignment::Left,  Sizing::FixedBox},
}};
// clang-format on

// The child-window identifier of a label.
constexpr int ControlIdOf(LabelIndex label) noexcept
{
    switch (label) {
    case splash::lblCopyright: return control_ids::lblCopyright;
    case splash::lblCompany: return control_ids::lblCompany;
    case splash::lblVersion: return control_ids::lblVersion;
    case splash::lblPlatform: return control_ids::lblPlatform;
    case splash::lblProductName: return control_ids::lblProductName;
    case splash::lblCompanyProduct: return control_ids::lblCompanyProduct;
    case splash::lblLicenseTo: return control_ids::lblLicenseTo;
    case splash::lblWarning: return control_ids::lblWarning;
    case splash::kLabelCount: break;
    }
    return 0;
}

// The splash window's label whose caption the program sets, if it is one of the splash window's.
constexpr std::optional<LabelIndex> LabelIndexOf(LabelId label) noexcept
{
    switch (label) {
    case LabelId::lblVersion: return splash::lblVersion;
    case LabelId::lblProductName: return splash::lblProductName;
    }
    return std::nullopt;
}

} // namespace quenlow::splash
