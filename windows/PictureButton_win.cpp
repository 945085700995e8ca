#include "windows/PictureButton_win.h"

#include "common/HResultText_win.h"
#include "resources/button_ids.h"
#include "ui/CommonControls_win.h"
#include "ui/Dpi_win.h"
#include "ui/UniqueGdi_win.h"
#include "windows/ControlIds_win.h"

#include <commctrl.h>

#include <array>
#include <map>
#include <string>
#include <utility>

namespace quenlow {

namespace {

// The pictures are drawn on magenta, which the image list turns transparent.
constexpr COLORREF kMaskColour = RGB(255, 0, 255);
// Space between the top edge of the button and its picture, in pixels at 96 DPI.
constexpr int kPictureTopMargin = 6;

// The DPIs each picture is drawn at, and where its drawing for that DPI is among the resources.
struct Drawing {
    UINT dpi;
    int idStep;
};
constexpr std::array kDrawings{Drawing{96, 0}, Drawing{144, IDB_STEP_150}, Drawing{192, IDB_STEP_200}};

// The drawing for the DPI, or else the nearest one, to be scaled; halfway between two, the
// larger one, made smaller.
const Drawing& DrawingFor(UINT dpi) noexcept
{
    const auto distance = [dpi](const Drawing& drawing) {
        return drawing.dpi > dpi ? drawing.dpi - dpi : dpi - drawing.dpi;
    };
    const Drawing* nearest = &kDrawings.front();
    for (const Drawing& drawing : kDrawings) {
        if (distance(drawing) <= distance(*nearest)) {
            nearest = &drawing;
        }
    }
    return *nearest;
}

std::wstring LoadingActivity(const ButtonDesign& design)
{
    return std::wstring(L"loading the picture of the button \"") + design.caption + L"\"";
}

// The picture drawn nearest to the DPI, at the size given. Scaling repeats or drops pixels (no
// blending), so every pixel stays either a picture colour or exactly the mask colour.
UniqueHbitmap LoadPicture(HINSTANCE instance, const ButtonDesign& design, UINT dpi, SIZE size)
{
    UniqueHbitmap drawn(static_cast<HBITMAP>(::LoadImageW(instance,
                                                          MAKEINTRESOURCEW(design.pictureId + DrawingFor(dpi).idStep),
                                                          IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!drawn) {
        ThrowLastError(LoadingActivity(design));
    }
    BITMAP info{};
    ::GetObjectW(drawn.get(), sizeof(info), &info);
    if (info.bmWidth == size.cx && info.bmHeight == size.cy) {
        return drawn;
    }
    const UniqueScreenDc screen(::GetDC(nullptr));
    const UniqueMemoryDc source(::CreateCompatibleDC(screen.get()));
    const UniqueMemoryDc target(::CreateCompatibleDC(screen.get()));
    UniqueHbitmap scaled(::CreateCompatibleBitmap(screen.get(), size.cx, size.cy));
    if (!screen || !source || !target || !scaled) {
        ThrowLastError(LoadingActivity(design));
    }
    {
        const ScopedSelectObject sourceBitmap(source.get(), drawn.get());
        const ScopedSelectObject targetBitmap(target.get(), scaled.get());
        ::SetStretchBltMode(target.get(), COLORONCOLOR);
        if (!::StretchBlt(target.get(), 0, 0, size.cx, size.cy, source.get(), 0, 0, info.bmWidth, info.bmHeight,
                          SRCCOPY)) {
            ThrowLastError(LoadingActivity(design));
        }
    }
    return scaled;
}

// The image list of the picture at the DPI, made on first use. The lists stay until the
// process ends, so a button never shows a list that another window has destroyed.
HIMAGELIST SharedPicture(HINSTANCE instance, const ButtonDesign& design, UINT dpi)
{
    static std::map<std::pair<int, UINT>, UniqueImageList> lists;
    const auto key = std::make_pair(design.pictureId, dpi);
    if (const auto found = lists.find(key); found != lists.end()) {
        return found->second.get();
    }
    const SIZE size{ScaleToDpi(design.pictureSize.cx, dpi), ScaleToDpi(design.pictureSize.cy, dpi)};
    const UniqueHbitmap picture = LoadPicture(instance, design, dpi, size);
    UniqueImageList list(::ImageList_Create(size.cx, size.cy, ILC_COLOR24 | ILC_MASK, 1, 0));
    if (!list || ::ImageList_AddMasked(list.get(), picture.get(), kMaskColour) == -1) {
        ThrowLastError(LoadingActivity(design));
    }
    return lists.emplace(key, std::move(list)).first->second.get();
}

} // namespace

HWND CreatePictureButton(HWND parent, const ButtonDesign& design, bool isDefault)
{
    LoadCommonControls(); // a button shows its picture only as one of them
    const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    // Two-word captions wrap below the picture rather than being cut off.
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_MULTILINE |
                        static_cast<DWORD>(isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    const HWND button = ::CreateWindowExW(
        0, WC_BUTTONW, design.caption, style, 0, 0, 0, 0, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_ids::ButtonId(design.control))), instance, nullptr);
    if (!button) {
        ThrowLastError(std::wstring(L"creating the button \"") + design.caption + L"\"");
    }
    return button;
}

void SetButtonPicture(HWND button, const ButtonDesign& design, UINT dpi)
{
    const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(button, GWLP_HINSTANCE));
    BUTTON_IMAGELIST image{};
    image.himl = SharedPicture(instance, design, dpi);
    image.margin = RECT{0, ScaleToDpi(kPictureTopMargin, dpi), 0, 0};
    image.uAlign = BUTTON_IMAGELIST_ALIGN_TOP;
    // Without common controls 6 the button shows its caption alone.
    Button_SetImageList(button, &image);
    ::InvalidateRect(button, nullptr, TRUE);
}

} // namespace quenlow
