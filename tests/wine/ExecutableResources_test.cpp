// What quenlow.exe declares about itself, read from the built file as Windows reads it: the
// application icon with its ten images, the version data, the manifest and the DLLs it imports.
#include "splash/SplashDesign_win.h"
#include "support/TestOptions.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace quenlow {
namespace {

using namespace quenlow::testing;

// The icon group and image entries as they are stored in a module (not as in an .ico file).
#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width; // 0 means 256
    BYTE height;
    BYTE colourCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInResource;
    WORD id;
};
struct GroupIconHeader {
    WORD reserved;
    WORD type; // 1 for icons
    WORD count;
};
#pragma pack(pop)
static_assert(sizeof(GroupIconEntry) == 14 && sizeof(GroupIconHeader) == 6);

// The module's resources, loaded as data: nothing of it runs.
class ResourceModule {
public:
    explicit ResourceModule(const std::wstring& path)
        : m_module(::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE))
    {
    }
    ~ResourceModule()
    {
        if (m_module) {
            ::FreeLibrary(m_module);
        }
    }
    ResourceModule(const ResourceModule&) = delete;
    ResourceModule& operator=(const ResourceModule&) = delete;

    HMODULE Get() const { return m_module; }

    // The bytes of a resource; empty when there is none.
    std::string_view Bytes(const wchar_t* type, const wchar_t* name) const
    {
        const HRSRC found = ::FindResourceW(m_module, name, type);
        if (!found) {
            return {};
        }
        const HGLOBAL loaded = ::LoadResource(m_module, found);
        const void* data = loaded ? ::LockResource(loaded) : nullptr;
        if (!data) {
            return {};
        }
        return std::string_view(static_cast<const char*>(data), ::SizeofResource(m_module, found));
    }

    // The names of the resources of a type, in the order the module lists them (by identifier).
    std::vector<const wchar_t*> Names(const wchar_t* type) const
    {
        std::vector<const wchar_t*> names;
        ::EnumResourceNamesW(
            m_module, type,
            [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR context) -> BOOL {
                // Only numbered names: a string name would need a copy that outlives the call.
                if (IS_INTRESOURCE(name)) {
                    reinterpret_cast<std::vector<const wchar_t*>*>(context)->push_back(name);
                }
                return TRUE;
            },
            reinterpret_cast<LONG_PTR>(&names));
        return names;
    }

private:
    HMODULE m_module;
};

// One image of the icon as Windows will choose among them: size and colour depth.
struct IconImage {
    int size;
    int bitsPerPixel;
    auto operator<=>(const IconImage&) const = default;
};

std::string Describe(const std::set<IconImage>& images)
{
    std::string text;
    for (const IconImage& image : images) {
        text += std::to_string(image.size) + "px/" + std::to_string(image.bitsPerPixel) + "bpp ";
    }
    return text;
}

// One image of the application icon: what its group declares of it, and its bytes.
struct IconGroupImage {
    GroupIconEntry entry;
    std::string_view bytes;
};

// The images of the icon group with the lowest identifier, which Explorer shows as the program's
// own; empty, with the failure recorded, when the group is missing or malformed.
std::vector<IconGroupImage> ApplicationIconImages(const ResourceModule& module)
{
    const auto groups = module.Names(RT_GROUP_ICON);
    if (groups.empty()) {
        ADD_FAILURE() << "no icon";
        return {};
    }
    const std::string_view group = module.Bytes(RT_GROUP_ICON, groups.front());
    GroupIconHeader header{};
    if (group.size() >= sizeof(header)) {
        std::memcpy(&header, group.data(), sizeof(header));
    }
    if (group.size() < sizeof(header) || header.type != 1 ||
        group.size() != sizeof(header) + header.count * sizeof(GroupIconEntry)) {
        ADD_FAILURE() << "the icon group is malformed: " << group.size() << " bytes, type " << header.type
                      << ", " << header.count << " images";
        return {};
    }
    std::vector<IconGroupImage> images;
    for (WORD index = 0; index < header.count; ++index) {
        IconGroupImage image{};
        std::memcpy(&image.entry, group.data() + sizeof(header) + index * sizeof(GroupIconEntry), sizeof(image.entry));
        image.bytes = module.Bytes(RT_ICON, MAKEINTRESOURCEW(image.entry.id));
        images.push_back(image);
    }
    return images;
}

class ExecutableResourcesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(QuenlowProgramPath().empty()) << "pass --quenlow=PATH to quenlow.exe";
        ASSERT_NE(module.Get(), nullptr) << "cannot load the program's resources: " << ::GetLastError();
    }

    ResourceModule module{QuenlowProgramPath()};
};

TEST_F(ExecutableResourcesTest, TheApplicationIconHasItsTenImages)
{
    const auto images = ApplicationIconImages(module);
    ASSERT_FALSE(HasFailure());
    std::set<IconImage> declared;
    std::set<IconImage> stored;
    for (const auto& [entry, image] : images) {
        SCOPED_TRACE(entry.id);
        const int size = entry.width == 0 ? 256 : entry.width;
        EXPECT_EQ(entry.height == 0 ? 256 : entry.height, size) << "not square";
        // Windows picks the image to show by the group's declared depth.
        declared.insert({size, entry.bitCount});

        ASSERT_EQ(image.size(), entry.bytesInResource);
        if (image.size() >= 8 && image.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8)) {
            // A PNG image is 32-bit; its size is in the IHDR chunk, big-endian.
            ASSERT_GE(image.size(), 24u);
            const auto byte = [&](std::size_t at) { return static_cast<int>(static_cast<unsigned char>(image[at])); };
            stored.insert({(byte(16) << 24) | (byte(17) << 16) | (byte(18) << 8) | byte(19), 32});
        } else {
            ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
            BITMAPINFOHEADER bitmap{};
            std::memcpy(&bitmap, image.data(), sizeof(bitmap));
            EXPECT_EQ(bitmap.biHeight, 2 * bitmap.biWidth) << "an icon's image holds its colours and its mask";
            stored.insert({static_cast<int>(bitmap.biWidth), bitmap.biBitCount});
        }
        // Each image is one that Windows can make an icon of.
        const HICON icon = ::CreateIconFromResourceEx(
            reinterpret_cast<BYTE*>(const_cast<char*>(image.data())), static_cast<DWORD>(image.size()), TRUE,
            0x00030000, size, size, LR_DEFAULTCOLOR);
        EXPECT_NE(icon, nullptr);
        if (icon) {
            ::DestroyIcon(icon);
        }
    }

    const std::set<IconImage> expected{{48, 4}, {32, 4}, {16, 4}, {48, 8}, {32, 8},
                                       {16, 8}, {128, 32}, {48, 32}, {32, 32}, {16, 32}};
    EXPECT_EQ(images.size(), 10u);
    EXPECT_EQ(declared, expected) << Describe(declared);
    EXPECT_EQ(stored, expected) << Describe(stored);
}

TEST_F(ExecutableResourcesTest, TheTrueColourImagesHaveAnAlphaChannel)
{
    // A 32-bit image whose alpha is all 0 or all 255 draws as a square on any background.
    int checked = 0;
    for (const auto& [entry, image] : ApplicationIconImages(module)) {
        BITMAPINFOHEADER bitmap{};
        if (image.size() < sizeof(bitmap)) {
            continue;
        }
        std::memcpy(&bitmap, image.data(), sizeof(bitmap));
        if (bitmap.biSize != sizeof(BITMAPINFOHEADER) || bitmap.biBitCount != 32) {
            continue; // PNG images carry their own alpha
        }
        SCOPED_TRACE(bitmap.biWidth);
        const std::size_t pixels = static_cast<std::size_t>(bitmap.biWidth) * static_cast<std::size_t>(bitmap.biWidth);
        ASSERT_GE(image.size(), sizeof(bitmap) + pixels * 4);
        std::set<int> alphas;
        for (std::size_t pixel = 0; pixel < pixels; ++pixel) {
            alphas.insert(static_cast<unsigned char>(image[sizeof(bitmap) + pixel * 4 + 3]));
        }
        EXPECT_TRUE(alphas.count(0) == 1 && alphas.count(255) == 1) << "transparent and opaque pixels";
        EXPECT_GT(alphas.size(), 2u) << "no smoothed edges";
        ++checked;
    }
    EXPECT_GT(checked, 0) << "no 32-bit bitmap image to check";
}

// The version data as GetFileVersionInfo reads it from the file.
class VersionData {
public:
    explicit VersionData(const std::wstring& path)
    {
        DWORD ignored = 0;
        const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
        if (size == 0) {
            return;
        }
        m_block.resize(size);
        if (!::GetFileVersionInfoW(path.c_str(), 0, size, m_block.data())) {
            m_block.clear();
        }
    }

    bool Present() const { return !m_block.empty(); }

    const VS_FIXEDFILEINFO* Fixed() const
    {
        void* value = nullptr;
        UINT length = 0;
        if (!Present() || !::VerQueryValueW(m_block.data(), L"\\", &value, &length) ||
            length < sizeof(VS_FIXEDFILEINFO)) {
            return nullptr;
        }
        return static_cast<const VS_FIXEDFILEINFO*>(value);
    }

    // A string of the first language and code page that the data lists.
    std::wstring String(const wchar_t* name) const
    {
        struct Translation {
            WORD language;
            WORD codePage;
        };
        void* value = nullptr;
        UINT length = 0;
        if (!Present() || !::VerQueryValueW(m_block.data(), L"\\VarFileInfo\\Translation", &value, &length) ||
            length < sizeof(Translation)) {
            return L"(no translation listed)";
        }
        const auto* translation = static_cast<const Translation*>(value);
        wchar_t key[96];
        std::swprintf(key, std::size(key), L"\\StringFileInfo\\%04x%04x\\%ls",
                      static_cast<unsigned>(translation->language), static_cast<unsigned>(translation->codePage), name);
        if (!::VerQueryValueW(m_block.data(), key, &value, &length) || !value) {
            return L"(missing)";
        }
        const auto* text = static_cast<const wchar_t*>(value);
        return std::wstring(text, ::wcsnlen(text, length));
    }

private:
    std::vector<std::byte> m_block;
};

TEST_F(ExecutableResourcesTest, VersionDataDeclaresVersionOneAndTheTitle)
{
    const VersionData version(QuenlowProgramPath());
    ASSERT_TRUE(version.Present()) << "no version data";
    const VS_FIXEDFILEINFO* fixed = version.Fixed();
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, VS_FFI_SIGNATURE);
    // 1.0.0.0: the high word of the first half is the major number.
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    EXPECT_EQ(version.String(L"FileVersion"), L"1.00");
    EXPECT_EQ(version.String(L"ProductVersion"), L"1.00");
    EXPECT_EQ(version.String(L"ProductName"), L"Quenlow");
}

// The first number of four digits in the text; empty when there is none.
std::wstring YearIn(const std::wstring& text)
{
    std::wsmatch year;
    return std::regex_search(text, year, std::wregex(L"\\b\\d{4}\\b")) ? year.str() : std::wstring();
}

TEST_F(ExecutableResourcesTest, TheVersionDataAndTheSplashWindowClaimTheCopyrightForOneYear)
{
    const VersionData version(QuenlowProgramPath());
    const std::wstring year = YearIn(version.String(L"LegalCopyright"));
    ASSERT_FALSE(year.empty()) << "no year in the version data's copyright";
    // The splash window shows the caption of its design (SplashWindowTest checks that).
    EXPECT_EQ(YearIn(std::wstring(splash::kLabels[splash::lblCopyright].caption)), year);
}

// The text of the attribute in the first element that begins with the opening given; empty when
// either is missing.
std::string AttributeOf(std::string_view xml, std::string_view opening, std::string_view attribute)
{
    const std::size_t start = xml.find(opening);
    if (start == std::string_view::npos) {
        return {};
    }
    const std::size_t end = xml.find('>', start);
    const std::string_view element = xml.substr(start, end == std::string_view::npos ? end : end - start);
    const std::string key = " " + std::string(attribute) + "=\"";
    const std::size_t at = element.find(key);
    if (at == std::string_view::npos) {
        return {};
    }
    const std::size_t valueStart = at + key.size();
    return std::string(element.substr(valueStart, element.find('"', valueStart) - valueStart));
}

// The text of the first element of the name given (not of one whose name only begins so);
// empty when there is none.
std::string ElementText(std::string_view xml, std::string_view name)
{
    const std::string open = "<" + std::string(name);
    for (std::size_t at = xml.find(open); at != std::string_view::npos; at = xml.find(open, at + 1)) {
        const std::size_t after = at + open.size();
        if (after < xml.size() && (xml[after] == ' ' || xml[after] == '>')) {
            const std::size_t textStart = xml.find('>', after) + 1;
            const std::size_t textEnd = xml.find("</", textStart);
            return std::string(xml.substr(textStart, textEnd - textStart));
        }
    }
    return {};
}

TEST_F(ExecutableResourcesTest, TheManifestAsksForCommonControlsSixPerMonitorDpiAndNoElevation)
{
    // Windows reads the process's manifest from resource 1 of this type. It is the only one: the
    // common controls 6 come with the process's default context, never with one the program
    // activates itself.
    const std::string_view manifest = module.Bytes(RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID);
    ASSERT_FALSE(manifest.empty()) << "no manifest";
    EXPECT_EQ(module.Names(RT_MANIFEST).size(), 1u);

    EXPECT_EQ(AttributeOf(manifest, "<requestedExecutionLevel", "level"), "asInvoker");
    EXPECT_EQ(AttributeOf(manifest, "<requestedExecutionLevel", "uiAccess"), "false");

    const std::size_t controls = manifest.find("name=\"Microsoft.Windows.Common-Controls\"");
    ASSERT_NE(controls, std::string_view::npos) << "no dependency on the common controls";
    const std::size_t element = manifest.rfind("<assemblyIdentity", controls);
    ASSERT_NE(element, std::string_view::npos);
    const std::string_view identity = manifest.substr(element);
    EXPECT_EQ(AttributeOf(identity, "<assemblyIdentity", "version"), "6.0.0.0");
    EXPECT_EQ(AttributeOf(identity, "<assemblyIdentity", "publicKeyToken"), "6595b64144ccf1df");

    // Windows 10 1607 and later read dpiAwareness, older systems dpiAware.
    const std::string awareness = ElementText(manifest, "dpiAwareness");
    EXPECT_TRUE(awareness.starts_with("PerMonitorV2")) << awareness;
    EXPECT_EQ(ElementText(manifest, "dpiAware"), "true/pm");
}

// The DLLs named in the module's import directory. Loaded as an image resource, the file is mapped
// as the loader maps it; the low bits of such a handle only mark how it was loaded.
std::vector<std::string> ImportedDlls(HMODULE module)
{
    const auto* image = reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(module) & ~ULONG_PTR{3});
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        image + reinterpret_cast<const IMAGE_DOS_HEADER*>(image)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::vector<std::string> names;
    for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(image + imports.VirtualAddress);
         imports.VirtualAddress != 0 && entry->Name != 0; ++entry) {
        names.emplace_back(reinterpret_cast<const char*>(image + entry->Name));
    }
    return names;
}

TEST_F(ExecutableResourcesTest, ImportsOnlyDllsThatWindowsNeverTakesFromTheProgramsFolder)
{
    // Windows' known DLLs, and the common controls 6 that an activation context takes from the
    // side-by-side store. Any other imported DLL is looked for beside the program first.
    constexpr const char* kAllowed[] = {"advapi32.dll", "comctl32.dll", "gdi32.dll", "kernel32.dll",
                                        "msvcrt.dll",   "ole32.dll",    "oleaut32.dll", "user32.dll"};
    const std::vector<std::string> imported = ImportedDlls(module.Get());
    EXPECT_FALSE(imported.empty()) << "no import directory read";
    for (const std::string& name : imported) {
        EXPECT_TRUE(std::any_of(std::begin(kAllowed), std::end(kAllowed),
                                [&](const char* allowed) { return ::lstrcmpiA(allowed, name.c_str()) == 0; }))
            << name << " may be loaded from the program's folder";
    }
}

} // namespace
} // namespace quenlow
