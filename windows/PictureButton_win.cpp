#include "windows/PictureButton_win.h"

#include "common/Error.h"
#include "windows/ControlIds_win.h"
#include "ui/Dpi_win.h"

#include <commctrl.h>

#include <string>

namespace quenlow {

namespace {

// The pictures are drawn on magenta, which the image list turns transparent.
constexpr COLORREF kMaskColour = RGB(255, 0, 255);
// Space between the top edge of the button and its picture, in pixels at 96 DPI.
constexpr int kPictureTopMargin = 6;

[[noreturn]] void ThrowPictureError(const ButtonDesign& design)
{
    const DWORD code = ::GetLastError();
    throw Error(static_cast<std::int32_t>(code ? HRESULT_FROM_WIN32(code) : E_FAIL),
                std::wstring(L"The picture of the button \"") + design.caption + L"\" could not be loaded.");
}

// The bitmap at the size given. Enlarging repeats pixels (no blending), so every pixel stays
// either a picture colour or exactly the mask colour.
UniqueHbitmap LoadPicture(HINSTANCE instance, const ButtonDesign& design, SIZE size)
{
    UniqueHbitmap original(static_cast<HBITMAP>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(design.pictureId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!original) {
        ThrowPictureError(design);
    }
    BITMAP info{};
    ::GetObjectW(original.get(), sizeof(info), &info);
    if (info.bmWidth == size.cx && info.bmHeight == size.cy) {
        return original;
    }
    const UniqueScreenDc screen(::GetDC(nullptr));
    const UniqueMemoryDc source(::CreateCompatibleDC(screen.get()));
    const UniqueMemoryDc target(::CreateCompatibleDC(screen.get()));
    UniqueHbitmap scaled(::CreateCompatibleBitmap(screen.get(), size.cx, size.cy));
    if (!screen || !source || !target || !scaled) {
        ThrowPictureError(design);
    }
    {
        const ScopedSelectObject sourceBitmap(source.get(), original.get());
        const ScopedSelectObject targetBitmap(target.get(), scaled.get());
        ::SetStretchBltMode(target.get(), COLORONCOLOR);
        if (!::StretchBlt(target.get(), 0, 0, size.cx, size.cy, source.get(), 0, 0, info.bmWidth, info.bmHeight,
                          SRCCOPY)) {
            ThrowPictureError(design);
        }
    }
    return scaled;
}

} // namespace

HWND CreatePictureButton(HWND parent, const ButtonDesign& design, bool isDefault)
{
    const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    // Two-word captions wrap below the picture rather than being cut off.
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_MULTILINE |
                        static_cast<DWORD>(isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    const HWND button = ::CreateWindowExW(
        0, WC_BUTTONW, design.caption, style, 0, 0, 0, 0, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_ids::ButtonId(design.control))), instance, nullptr);
    if (!button) {
        const DWORD code = ::GetLastError();
        throw Error(static_cast<std::int32_t>(code ? HRESULT_FROM_WIN32(code) : E_FAIL),
                    std::wstring(L"The button \"") + design.caption + L"\" could not be created.");
    }
    return button;
}

UniqueImageList SetButtonPicture(HWND button, const ButtonDesign& design, UINT dpi)
{
    const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(button, GWLP_HINSTANCE));
    const SIZE size{ScaleToDpi(design.pictureSize.cx, dpi), ScaleToDpi(design.pictureSize.cy, dpi)};
    const UniqueHbitmap picture = LoadPicture(instance, design, size);
    UniqueImageList list(::ImageList_Create(size.cx, size.cy, ILC_COLOR24 | ILC_MASK, 1, 0));
    if (!list || ::ImageList_AddMasked(list.get(), picture.get(), kMaskColour) == -1) {
        ThrowPictureError(design);
    }
    BUTTON_IMAGELIST image{};
    image.himl = list.get();
    image.margin = RECT{0, ScaleToDpi(kPictureTopMargin, dpi), 0, 0};
    image.uAlign = BUTTON_IMAGELIST_ALIGN_TOP;
    // Without common controls 6 the button shows its caption alone.
    Button_SetImageList(button, &image);
    ::InvalidateRect(button, nullptr, TRUE);
    return list;
}

} // namespace quenlow
