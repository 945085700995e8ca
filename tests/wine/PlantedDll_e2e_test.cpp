// quenlow.exe copied into a folder of its own beside a planted version.dll, run with Wine told to
// load that name as Windows loads any DLL outside its known DLLs: from the program's folder first.
// (A WINEDLLOVERRIDES set here would not reach the program: Wine gives a child the one of its own
// Unix environment.) Wine's own user32 imports version.dll, so there the copy is loaded whatever
// the program imports; what the program decides is whether its own code calls into it. A planted
// uxtheme.dll, which the common controls 6 load by name, must not even be loaded.
#include "start/DllSearch_win.h"
#include "support/CommandLineRun.h"
#include "support/TestOptions.h"
#include "support/WindowedRun.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace quenlow {
namespace {

using namespace quenlow::testing;

constexpr const wchar_t* kProgramKey = L"Software\\Wine\\AppDefaults\\quenlow.exe";

class PlantedDllTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t path[MAX_PATH]{};
        ASSERT_NE(::GetTempPathW(MAX_PATH, path), 0u);
        const std::wstring folder = path + (L"quenlow-planted-" + std::to_wstring(::GetCurrentProcessId()) + L"\\");
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr)) << ::GetLastError();
        m_folder = folder;
        // The planted DLL is built beside this test program.
        std::wstring planted(path, ::GetModuleFileNameW(nullptr, path, MAX_PATH));
        planted.replace(planted.find_last_of(L'\\') + 1, std::wstring::npos, L"planted.dll");
        ASSERT_TRUE(::CopyFileW(planted.c_str(), (m_folder + L"version.dll").c_str(), TRUE)) << ::GetLastError();
        ASSERT_TRUE(::CopyFileW(planted.c_str(), (m_folder + L"uxtheme.dll").c_str(), TRUE)) << ::GetLastError();
        ASSERT_TRUE(::CopyFileW(m_program.c_str(), (m_folder + L"quenlow.exe").c_str(), TRUE)) << "--quenlow=PATH?";
        constexpr wchar_t kNativeFirst[] = L"native,builtin";
        for (const wchar_t* name : {L"version", L"uxtheme"}) {
            ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, (kProgramKey + std::wstring(L"\\DllOverrides")).c_str(),
                                        name, REG_SZ, kNativeFirst, sizeof(kNativeFirst)),
                      ERROR_SUCCESS);
        }
        SetQuenlowProgramPath(m_folder + L"quenlow.exe");
    }

    void TearDown() override
    {
        SetQuenlowProgramPath(m_program);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kProgramKey);
        for (const wchar_t* file : {L"quenlow.exe", L"version.dll", L"version.dll.called", L"version.dll.loaded",
                                    L"uxtheme.dll", L"uxtheme.dll.loaded"}) {
            ::DeleteFileW((m_folder + file).c_str());
        }
        EXPECT_TRUE(m_folder.empty() || ::RemoveDirectoryW(m_folder.c_str())) << ::GetLastError();
    }

    bool ProgramCalledThePlantedDll() const
    {
        return ::GetFileAttributesW((m_folder + L"version.dll.called").c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    bool PlantedUxThemeLoaded() const
    {
        return ::GetFileAttributesW((m_folder + L"uxtheme.dll.loaded").c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    const std::wstring m_program = QuenlowProgramPath();
    std::wstring m_folder;
};

TEST_F(PlantedDllTest, TheCommandLinePathDoesNotUseIt)
{
    EXPECT_EQ(RunQuenlowCommand(L"/stop x").exitCode, kExitNotFound);
    EXPECT_FALSE(ProgramCalledThePlantedDll());
    EXPECT_FALSE(PlantedUxThemeLoaded());
}

TEST_F(PlantedDllTest, TheWindowedPathDoesNotUseIt)
{
    {
        // On to a list window and its controls; the process is ended through its handle at the block's end.
        WindowedRun run;
        run.ClickSplashFrame();
        EXPECT_NO_THROW(run.ContinueToStoppedServices());
    }
    EXPECT_FALSE(ProgramCalledThePlantedDll());
    EXPECT_FALSE(PlantedUxThemeLoaded());
}

TEST(DllSearch, ADllBesideTheProgramIsNoLongerFoundByName)
{
    // planted.dll lies beside this test program; mapped without its references, none of it runs.
    const auto found = [] {
        const HMODULE module = ::LoadLibraryExW(L"planted.dll", nullptr, DONT_RESOLVE_DLL_REFERENCES);
        return module && ::FreeLibrary(module);
    };
    ASSERT_TRUE(found());
    RestrictDllSearchToSystemFolder();
    EXPECT_FALSE(found());
}

} // namespace
} // namespace quenlow
