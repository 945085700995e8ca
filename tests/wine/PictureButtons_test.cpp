// The list windows' picture buttons in this process: every picture at its design size scaled to
// the window's DPI, again after the DPI changes, and still there in a window opened after
// another that showed the same pictures was destroyed. Its executable declares common controls
// 6 and per-monitor DPI awareness, as quenlow.exe does (PictureButtons_test.rc).
#include "ui/Dpi_win.h"
#include "windows/ControlIds_win.h"
#include "windows/ListWindowDesigns_win.h"
#include "windows/ListWindow_win.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

namespace quenlow {
namespace {

class NoEvents final : public IListWindowEvents {
public:
    void OnClick(WindowId, ControlId) override {}
    void OnClosedByUser(WindowId) override {}
    bool Busy() const override { return false; }
};

void ExpectPicturesAt(HWND window, const ListWindowDesign& design, UINT dpi)
{
    SCOPED_TRACE(dpi);
    for (const ButtonDesign& button : design.buttons) {
        SCOPED_TRACE(::testing::Message() << "button " << static_cast<int>(button.control));
        const HWND control = ::GetDlgItem(window, control_ids::ButtonId(button.control));
        ASSERT_NE(control, nullptr);
        BUTTON_IMAGELIST image{};
        ASSERT_TRUE(Button_GetImageList(control, &image));
        ASSERT_NE(image.himl, nullptr);
        EXPECT_EQ(::ImageList_GetImageCount(image.himl), 1);
        int width = 0;
        int height = 0;
        ASSERT_TRUE(::ImageList_GetIconSize(image.himl, &width, &height));
        EXPECT_EQ(width, ScaleToDpi(button.pictureSize.cx, dpi));
        EXPECT_EQ(height, ScaleToDpi(button.pictureSize.cy, dpi));
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
