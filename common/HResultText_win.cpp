#include "common/HResultText_win.h"

#include "common/ComPtrs_win.h"
#include "common/Error.h"
#include "common/SystemErrorText.h"
#include "common/Text.h"

#include <wbemcli.h>
#include <wrl/client.h>

#include <array>
#include <cstdio>
#include <utility>

namespace quenlow {

namespace {

using Microsoft::WRL::ComPtr;

// WMI's status codes are FACILITY_ITF codes from 0x80041000 up (0x00041000 up for its
// successes); the ones below belong to OLE, and the system describes those.
constexpr int kFirstWbemCode = 0x1000;

bool IsWbemCode(HRESULT hr)
{
    return HRESULT_FACILITY(hr) == FACILITY_ITF && HRESULT_CODE(hr) >= kFirstWbemCode;
}

// Texts that only repeat the code ("Error code: 0x80041017") tell the reader nothing the
// report does not already show.
bool OnlyRestatesCode(const std::wstring& text, HRESULT hr)
{
    wchar_t digits[9];
    std::swprintf(digits, std::size(digits), L"%08x", static_cast<unsigned>(hr));
    return LowerCase(text).find(digits) != std::wstring::npos;
}

std::wstring FromWbemStatusCodeText(HRESULT hr)
{
    ComPtr<IWbemStatusCodeText> statusText;
    if (FAILED(::CoCreateInstance(CLSID_WbemStatusCodeText, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_PPV_ARGS(&statusText)))) {
        return {};
    }
    UniqueBstr text;
    if (FAILED(statusText->GetErrorCodeText(hr, 0, 0, text.put()))) {
        return {};
    }
    std::wstring result = TrimTrailingSpace(text.str());
    return OnlyRestatesCode(result, hr) ? std::wstring() : result;
}

struct KnownCode {
    HRESULT code;
    const wchar_t* text;
};

// The WMI codes this program can meet, for systems that cannot describe them.
constexpr std::array<KnownCode, 14> kWbemCodes = {{
    {static_cast<HRESULT>(0x80041001), L"Generic failure"},
    {static_cast<HRESULT>(0x80041002), L"Not found"},
    {static_cast<HRESULT>(0x80041003), L"Access denied"},
    {static_cast<HRESULT>(0x80041004), L"Provider failure"},
    {static_cast<HRESULT>(0x80041005), L"Type mismatch"},
    {static_cast<HRESULT>(0x80041006), L"Out of memory"},
    {static_cast<HRESULT>(0x80041008), L"Invalid parameter"},
    {static_cast<HRESULT>(0x8004100C), L"Not supported"},
    {static_cast<HRESULT>(0x8004100E), L"Invalid namespace"},
    {static_cast<HRESULT>(0x80041010), L"Invalid class"},
    {static_cast<HRESULT>(0x80041013), L"Provider load failure"},
    {static_cast<HRESULT>(0x80041017), L"Invalid query"},
    {static_cast<HRESULT>(0x80041018), L"Invalid query type"},
    {static_cast<HRESULT>(0x8004102E), L"Invalid method"},
}};

// COM's own codes that a WMI client can meet before WMI answers, in Windows' words, for
// systems whose message table lacks them (Wine's has none of these).
constexpr std::array<KnownCode, 7> kComCodes = {{
    {static_cast<HRESULT>(0x80040154), L"Class not registered"},
    {static_cast<HRESULT>(0x80040111), L"ClassFactory cannot supply requested class"},
    {static_cast<HRESULT>(0x800401F0), L"CoInitialize has not been called"},
    {static_cast<HRESULT>(0x80004002), L"No such interface supported"},
    {static_cast<HRESULT>(0x80080005), L"Server execution failed"},
    {static_cast<HRESULT>(0x80010108), L"The object invoked has disconnected from its clients"},
    {static_cast<HRESULT>(0x8000FFFF), L"Catastrophic failure"},
}};

std::wstring FromOwnTable(HRESULT hr)
{
    for (const auto& known : kWbemCodes) {
        if (known.code == hr) {
            return known.text;
        }
    }
    for (const auto& known : kComCodes) {
        if (known.code == hr) {
            return known.text;
        }
    }
    return {};
}

} // namespace

std::wstring DescribeHResult(HRESULT hr)
{
    std::wstring text;
    if (IsWbemCode(hr)) {
        text = FromWbemStatusCodeText(hr);
    }
    if (text.empty()) {
        text = SystemErrorText(static_cast<DWORD>(hr));
    }
    if (text.empty() && HRESULT_FACILITY(hr) == FACILITY_WIN32) {
        text = SystemErrorText(static_cast<DWORD>(HRESULT_CODE(hr)));
    }
    if (text.empty()) {
        text = FromOwnTable(hr);
    }
    return text.empty() ? std::wstring(L"Unknown error") : text;
}

void ThrowHResult(HRESULT hr, std::wstring_view activity)
{
    std::wstring description = DescribeHResult(hr);
    if (!activity.empty()) {
        description += L" (while ";
        description += activity;
        description += L")";
    }
    throw Error(static_cast<std::int32_t>(hr), std::move(description));
}

void ThrowLastError(std::wstring_view activity)
{
    const DWORD error = ::GetLastError();
    ThrowHResult(error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : E_FAIL, activity);
}

} // namespace quenlow
