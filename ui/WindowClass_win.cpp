#include "ui/WindowClass_win.h"

#include "common/HResultText_win.h"

#include <string>

namespace quenlow {

void RegisterWindowClassOnce(WNDCLASSEXW windowClass)
{
    windowClass.cbSize = sizeof(windowClass);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExW(windowClass.hInstance, windowClass.lpszClassName, &existing)) {
        return;
    }
    if (!::RegisterClassExW(&windowClass)) {
        ThrowLastError(std::wstring(L"registering the window class ") + windowClass.lpszClassName);
    }
}

} // namespace quenlow
