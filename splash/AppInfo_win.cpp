#include "splash/AppInfo_win.h"

#include "common/ApplicationTitle.h"

#include <cstddef>
#include <cstdio>
#include <cwchar>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace quenlow {

namespace {

// The longest path Windows takes, in characters, without its terminating null.
constexpr std::size_t kLongestPath = 32767;

// Language and code pages of the version resource's string tables.
constexpr WORD kUsEnglish = 0x0409;
constexpr WORD kCodePageUnicode = 1200; // UTF-16, as resource compilers write strings
constexpr WORD kCodePageWestern = 1252; // Windows-1252

std::wstring ModulePath()
{
    std::wstring path(MAX_PATH, L'\0');
    // Long paths: grow the buffer until the name and its null fit.
    while (path.size() <= kLongestPath + 1) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
    return {};
}

template <typename Value>
const Value* QueryValue(const std::vector<std::byte>& block, const wchar_t* subBlock, UINT& length) noexcept
{
    void* value = nullptr;
    length = 0;
    if (!::VerQueryValueW(block.data(), subBlock, &value, &length) || !value) {
        return nullptr;
    }
    return static_cast<const Value*>(value);
}

std::wstring ProductName(const std::vector<std::byte>& block)
{
    struct Translation {
        WORD language;
        WORD codePage;
    };
    std::vector<Translation> translations;
    UINT bytes = 0;
    if (const auto* listed = QueryValue<Translation>(block, L"\\VarFileInfo\\Translation", bytes)) {
        translations.assign(listed, listed + bytes / sizeof(Translation));
    }
    // US English in Unicode and in the Western code page, as most resources are written.
    translations.push_back({kUsEnglish, kCodePageUnicode});
    translations.push_back({kUsEnglish, kCodePageWestern});

    for (const Translation& translation : translations) {
        wchar_t key[64];
        std::swprintf(key, std::size(key), L"\\StringFileInfo\\%04x%04x\\ProductName",
                      static_cast<unsigned>(translation.language), static_cast<unsigned>(translation.codePage));
        UINT characters = 0;
        if (const auto* text = QueryValue<wchar_t>(block, key, characters)) {
            std::wstring name(text, ::wcsnlen(text, characters));
            if (!name.empty()) {
                return name;
            }
        }
    }
    return {};
}

} // namespace

AppInfo ReadAppInfo(const wchar_t* modulePath)
{
    AppInfo info;
    info.title = kApplicationTitle;
    DWORD ignored = 0;
    const DWORD size = modulePath && *modulePath ? ::GetFileVersionInfoSizeW(modulePath, &ignored) : 0;
    if (size == 0) {
        return info;
    }
    std::vector<std::byte> block(size);
    if (!::GetFileVersionInfoW(modulePath, 0, size, block.data())) {
        return info;
    }

    UINT length = 0;
    const auto* fixed = QueryValue<VS_FIXEDFILEINFO>(block, L"\\", length);
    if (fixed && length >= sizeof(VS_FIXEDFILEINFO) && fixed->dwSignature == VS_FFI_SIGNATURE) {
        // FILEVERSION is major, minor, build, revision: the revision is the fourth number, the
        // low word of the less significant half. The build number is not shown.
        info.major = HIWORD(fixed->dwFileVersionMS);
        info.minor = LOWORD(fixed->dwFileVersionMS);
        info.revision = LOWORD(fixed->dwFileVersionLS);
    }
    if (std::wstring name = ProductName(block); !name.empty()) {
        info.title = std::move(name);
    }
    return info;
}

AppInfo ReadAppInfo()
{
    const std::wstring path = ModulePath();
    return ReadAppInfo(path.c_str());
}

} // namespace quenlow
