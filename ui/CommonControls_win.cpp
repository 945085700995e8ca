#include "ui/CommonControls_win.h"

#include "resources/manifest_ids.h"

#include <windows.h>

#include <utility>

namespace quenlow {

namespace {

// Made once for the process; INVALID_HANDLE_VALUE when the module has no such manifest.
HANDLE CommonControlsContext() noexcept
{
    static const HANDLE context = [] {
        const HMODULE module = ::GetModuleHandleW(nullptr);
        wchar_t path[MAX_PATH]{};
        if (::GetModuleFileNameW(module, path, MAX_PATH) == 0) {
            return INVALID_HANDLE_VALUE;
        }
        ACTCTXW request{};
        request.cbSize = sizeof(request);
        request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = path;
        request.hModule = module;
        request.lpResourceName = MAKEINTRESOURCEW(IDR_COMMON_CONTROLS_MANIFEST);
        return ::CreateActCtxW(&request);
    }();
    return context;
}

} // namespace

void UseCommonControls() noexcept
{
    thread_local bool done = false;
    if (done) {
        return;
    }
    done = true;
    // Left active for the rest of the thread's life: every window it makes later and every box it
    // shows gets the same controls.
    ULONG_PTR cookie = 0;
    if (const HANDLE context = CommonControlsContext(); context != INVALID_HANDLE_VALUE) {
        ::ActivateActCtx(context, &cookie);
    }
}

void LoadCommonControls() noexcept
{
    thread_local bool done = false;
    if (std::exchange(done, true)) {
        return;
    }
    UseCommonControls();
    // Kept for the life of the process, as the program's imports are; under the context just
    // activated this is version 6, and the search is the program's own (the system folder).
    ::LoadLibraryW(L"comctl32.dll");
}

} // namespace quenlow
