#include "splash/AppInfo_win.h"

#include "common/ApplicationTitle.h"
#include "splash/VersionResource_win.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace quenlow {

namespace {

// Language and code pages of the version resource's string tables.
constexpr WORD kUsEnglish = 0x0409;
constexpr WORD kCodePageUnicode = 1200; // UTF-16, as resource compilers write strings
constexpr WORD kCodePageWestern = 1252; // Windows-1252

// The module's version resource, read in place rather than through version.dll: that DLL is not
// one of Windows' known DLLs, so importing it would load a copy planted beside the program.
std::span<const std::byte> VersionResource(HMODULE module) noexcept
{
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    const HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data) {
        return {};
    }
    return {static_cast<const std::byte*>(data), ::SizeofResource(module, found)};
}

std::wstring ProductName(std::span<const std::byte> resource)
{
    struct Translation {
        WORD language;
        WORD codePage;
    };
    const std::span<const std::byte> listed = FindVersionValue(resource, {L"VarFileInfo", L"Translation"});
    std::vector<Translation> translations(listed.size() / sizeof(Translation));
    if (!translations.empty()) {
        std::memcpy(translations.data(), listed.data(), translations.size() * sizeof(Translation));
    }
    // US English in Unicode and in the Western code page, as most resources are written.
    translations.push_back({kUsEnglish, kCodePageUnicode});
    translations.push_back({kUsEnglish, kCodePageWestern});

    for (const Translation& translation : translations) {
        wchar_t table[16];
        std::swprintf(table, std::size(table), L"%04x%04x", static_cast<unsigned>(translation.language),
                      static_cast<unsigned>(translation.codePage));
        const std::span<const std::byte> text = FindVersionValue(resource, {L"StringFileInfo", table, L"ProductName"});
        if (text.size() < sizeof(wchar_t)) {
            continue;
        }
        const auto* characters = reinterpret_cast<const wchar_t*>(text.data());
        std::wstring name(characters, ::wcsnlen(characters, text.size() / sizeof(wchar_t)));
        if (!name.empty()) {
            return name;
        }
    }
    return {};
}

AppInfo AppInfoOf(HMODULE module)
{
    AppInfo info;
    info.title = kApplicationTitle;
    const std::span<const std::byte> resource = module ? VersionResource(module) : std::span<const std::byte>();

    const std::span<const std::byte> fixedBytes = FindVersionValue(resource, {});
    VS_FIXEDFILEINFO fixed{};
    if (fixedBytes.size() >= sizeof(fixed)) {
        std::memcpy(&fixed, fixedBytes.data(), sizeof(fixed));
    }
    if (fixed.dwSignature == VS_FFI_SIGNATURE) {
        // FILEVERSION is major, minor, build, revision: the revision is the fourth number, the
        // low word of the less significant half. The build number is not shown.
        info.major = HIWORD(fixed.dwFileVersionMS);
        info.minor = LOWORD(fixed.dwFileVersionMS);
        info.revision = LOWORD(fixed.dwFileVersionLS);
    }
    if (std::wstring name = ProductName(resource); !name.empty()) {
        info.title = std::move(name);
    }
    return info;
}

struct LibraryDeleter {
    void operator()(HMODULE module) const noexcept { ::FreeLibrary(module); }
};

} // namespace

AppInfo ReadAppInfo(const wchar_t* modulePath)
{
    // As an image resource: the file's resources can be read and none of its code runs.
    const std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryDeleter> module(
        modulePath && *modulePath
            ? ::LoadLibraryExW(modulePath, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)
            : nullptr);
    return AppInfoOf(module.get());
}

AppInfo ReadAppInfo()
{
    return AppInfoOf(::GetModuleHandleW(nullptr));
}

} // namespace quenlow
