// The name each list window's list carries for screen readers, read in this process the two ways
// they read it: Microsoft Active Accessibility's name and UI Automation's Name property. On
// Windows a list's own text is neither (they look for a label before it), so the names come from
// the annotations on the control; under Wine, which keeps no annotations, from the text.
#include "support/UnderWine.h"
#include "windows/ListWindow_win.h"
#include "windows/ListWindowDesigns_win.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <oleacc.h>
#include <uiautomationclient.h>
#include <wrl/client.h>

#include <string>

namespace quenlow {
namespace {

class NoEvents final : public IListWindowEvents {
public:
    void OnClick(WindowId, ControlId) override {}
    void OnClosedByUser(WindowId) override {}
    bool Busy() const override { return false; }
};

std::wstring TakeText(VARIANT& value)
{
    std::wstring text = value.vt == VT_BSTR && value.bstrVal ? value.bstrVal : L"";
    ::VariantClear(&value);
    return text;
}

// The accessibility and UI Automation client functions, looked up: the program's own code
// already defines the accessibility GUIDs that oleacc's import library brings, and this toolchain
// has neither an import library for UI Automation nor a declaration of it that C++ compiles.
template <typename Function>
Function SystemFunction(const wchar_t* dll, const char* name)
{
    const HMODULE module = ::LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(module ? ::GetProcAddress(module, name) : nullptr));
}

std::wstring MsaaName(HWND control)
{
    const auto objectFromWindow = SystemFunction<decltype(&::AccessibleObjectFromWindow)>(
        L"oleacc.dll", "AccessibleObjectFromWindow");
    Microsoft::WRL::ComPtr<IAccessible> accessible;
    if (!objectFromWindow || FAILED(objectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                                     reinterpret_cast<void**>(accessible.GetAddressOf())))) {
        return L"(no accessible object)";
    }
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT name{};
    name.vt = VT_BSTR;
    return SUCCEEDED(accessible->get_accName(self, &name.bstrVal)) ? TakeText(name) : L"(no name)";
}

struct UiaNodeTag;
using HUIANODE = UiaNodeTag*;

std::wstring UiAutomationName(HWND control)
{
    constexpr wchar_t kCore[] = L"uiautomationcore.dll";
    const auto nodeFromHandle = SystemFunction<HRESULT(WINAPI*)(HWND, HUIANODE*)>(kCore, "UiaNodeFromHandle");
    const auto propertyValue =
        SystemFunction<HRESULT(WINAPI*)(HUIANODE, PROPERTYID, VARIANT*)>(kCore, "UiaGetPropertyValue");
    const auto release = SystemFunction<BOOL(WINAPI*)(HUIANODE)>(kCore, "UiaNodeRelease");
    HUIANODE node = nullptr;
    if (!nodeFromHandle || !propertyValue || !release || FAILED(nodeFromHandle(control, &node))) {
        return L"(no node)";
    }
    VARIANT name{};
    const HRESULT read = propertyValue(node, UIA_NamePropertyId, &name);
    release(node);
    return SUCCEEDED(read) ? TakeText(name) : L"(no name)";
}

// Every list window as the program makes it, and its list, named as its design says.
template <typename Check>
void ForEveryList(Check check)
{
    NoEvents events;
    for (const WindowId id :
         {WindowId::frmStoppedServicesList, WindowId::frmActiveServicesList, WindowId::frmTotalServicesList}) {
        const ListWindowDesign& design = *ListWindowDesignOf(id);
        SCOPED_TRACE(::testing::Message() << design.caption);
        ListWindow window(design, events);
        window.Create(::GetModuleHandleW(nullptr), nullptr);
        const HWND list = ::GetDlgItem(window.Window(), design.listId);
        ASSERT_NE(list, nullptr);
        check(list, std::wstring(design.listName));
    }
}

TEST(ListNames, EveryListIsNamedForActiveAccessibilityClients)
{
    ForEveryList([](HWND list, const std::wstring& name) { EXPECT_EQ(MsaaName(list), name); });
}

TEST(ListNames, EveryListIsNamedForUiAutomationClients)
{
    if (testing::UnderWine()) {
        // UiaNodeFromHandle is not implemented there.
        GTEST_SKIP() << "only Windows: Wine's UI Automation gives no node for a window";
    }
    ForEveryList([](HWND list, const std::wstring& name) { EXPECT_EQ(UiAutomationName(list), name); });
}

} // namespace
} // namespace quenlow
