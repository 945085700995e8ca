// The list windows' picture buttons in this process: every picture at its design size scaled to
// the window's DPI, again after the DPI changes, and still there in a window opened after
// another that showed the same pictures was destroyed. Its executable declares common controls
// 6 and per-monitor DPI awareness, as quenlow.exe does (PictureButtons_test.rc).
#include "ui/Dpi_win.h"
#include "windows/ControlIds_win.h"
#include "windows/ListWindowDesigns_win.h"
#include "windows/ListWindow_win.h"
#include "support/TopLevelWindows.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <string>

namespace quenlow {
namespace {

class NoEvents final : public IListWindowEvents {
public:
    void OnClick(WindowId, ControlId) override {}
    void OnClosedByUser(WindowId) override {}
    bool Busy() const override { return false; }
};

// The buttons' pictures: 20 x 20, 16 x 16 and 13 x 14 pixels at 96 DPI.
enum class Picture { Large, Small, Close };

const std::map<std::wstring, Picture> kPictureOf = {
    {L"Start", Picture::Large},           {L"Stopped Services", Picture::Large}, {L"Refresh", Picture::Large},
    {L"Active Services", Picture::Small}, {L"All Services", Picture::Small},     {L"Stop", Picture::Small},
    {L"Close", Picture::Close}};

// Their sizes at each DPI, worked out by hand: in proportion to the DPI, a half rounded up.
const std::map<UINT, std::map<Picture, SIZE>> kSizeAt = {
    {96, {{Picture::Large, {20, 20}}, {Picture::Small, {16, 16}}, {Picture::Close, {13, 14}}}},
    {120, {{Picture::Large, {25, 25}}, {Picture::Small, {20, 20}}, {Picture::Close, {16, 18}}}},
    {144, {{Picture::Large, {30, 30}}, {Picture::Small, {24, 24}}, {Picture::Close, {20, 21}}}},
    {192, {{Picture::Large, {40, 40}}, {Picture::Small, {32, 32}}, {Picture::Close, {26, 28}}}},
};

void ExpectPicturesAt(HWND window, const ListWindowDesign& design, UINT dpi)
{
    SCOPED_TRACE(dpi);
    ASSERT_TRUE(kSizeAt.contains(dpi)) << "no sizes worked out for this DPI";
    for (const ButtonDesign& button : design.buttons) {
        const HWND control = ::GetDlgItem(window, control_ids::ButtonId(button.control));
        ASSERT_NE(control, nullptr);
        const std::wstring caption = testing::WindowText(control);
        SCOPED_TRACE(::testing::Message() << "button " << caption);
        ASSERT_TRUE(kPictureOf.contains(caption)) << "a button of unknown picture";
        const SIZE expected = kSizeAt.at(dpi).at(kPictureOf.at(caption));
        BUTTON_IMAGELIST image{};
        ASSERT_TRUE(Button_GetImageList(control, &image));
        ASSERT_NE(image.himl, nullptr);
        EXPECT_EQ(::ImageList_GetImageCount(image.himl), 1);
        int width = 0;
        int height = 0;
        ASSERT_TRUE(::ImageList_GetIconSize(image.himl, &width, &height));
        EXPECT_EQ(width, expected.cx);
        EXPECT_EQ(height, expected.cy);
    }
}

TEST(PictureButtons, ShowTheirPicturesAtTheWindowsDpi)
{
    NoEvents events;
    // One window after the other: the later ones show pictures the earlier ones showed too.
    for (const WindowId id :
         {WindowId::frmStoppedServicesList, WindowId::frmActiveServicesList, WindowId::frmTotalServicesList}) {
        const ListWindowDesign& design = *ListWindowDesignOf(id);
        SCOPED_TRACE(::testing::Message() << design.caption);
        ListWindow window(design, events);
        window.Create(::GetModuleHandleW(nullptr), nullptr);
        ExpectPicturesAt(window.Window(), design, WindowDpi(window.Window()));
        // The drawn sizes, one between them, and back.
        for (const UINT dpi : {144u, 192u, 120u, 96u}) {
            RECT suggested{};
            ::GetWindowRect(window.Window(), &suggested);
            ::SendMessageW(window.Window(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
            ExpectPicturesAt(window.Window(), design, dpi);
        }
    }
}

} // namespace
} // namespace quenlow
