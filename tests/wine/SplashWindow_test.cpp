// The splash window in this process, driven by real keyboard and mouse input (SendInput), with
// the real Program behind it and the other windows only recorded. Its executable declares
// version 1.2.3.4 and the title "Quenlow Test" (SplashWindow_test.rc).
#include "splash/AppInfo_win.h"
#include "splash/SplashContent_win.h"
#include "splash/frmSplash_win.h"
#include "windows/Dpi_win.h"
#include "windows/Program.h"
#include "windows/UniqueGdi_win.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace quenlow {
namespace {

using namespace std::chrono_literals;
using splash::SplashContent;

class NoServices final : public IServiceAccess {
    class Empty final : public IServiceResult, public IServiceConnection {
    public:
        std::unique_ptr<IServiceObject> Next() override { return nullptr; }
        std::unique_ptr<IServiceResult> ExecQuery(std::wstring_view) override { return std::make_unique<Empty>(); }
    };

public:
    std::unique_ptr<IServiceConnection> fConnectWmi() override { return std::make_unique<Empty>(); }
};

const wchar_t* NameOf(WindowId window)
{
    switch (window) {
    case WindowId::frmSplash: return L"frmSplash";
    case WindowId::frmStoppedServicesList: return L"frmStoppedServicesList";
    case WindowId::frmActiveServicesList: return L"frmActiveServicesList";
    case WindowId::frmTotalServicesList: return L"frmTotalServicesList";
    }
    return L"?";
}

// The splash window is the real one; every other window operation is only written down.
class SplashOnlyUserInterface final : public IUserInterface {
public:
    Program* program = nullptr;
    HWND splash = nullptr;
    std::vector<std::wstring> log;

    void CreateFromDesign(WindowId window) override
    {
        log.push_back(std::wstring(L"create ") + NameOf(window));
        if (window == WindowId::frmSplash) {
            splash = CreateSplashWindow(::GetModuleHandleW(nullptr), *program);
        }
    }
    void SetVisible(WindowId window, bool visible) override
    {
        log.push_back(std::wstring(visible ? L"show " : L"hide ") + NameOf(window));
        if (window == WindowId::frmSplash) {
            ::ShowWindow(splash, visible ? SW_SHOW : SW_HIDE);
            ::SetForegroundWindow(splash);
        }
    }
    void Destroy(WindowId window) override
    {
        log.push_back(std::wstring(L"destroy ") + NameOf(window));
        if (window == WindowId::frmSplash) {
            ::DestroyWindow(std::exchange(splash, nullptr));
        }
    }
    void ClearList(WindowId) override {}
    void AppendToList(WindowId, const std::vector<std::wstring>&) override {}
    std::size_t ListCount(WindowId) override { return 0; }
    std::wstring ListText(WindowId, std::size_t) override { return {}; }
    bool ListChecked(WindowId, std::size_t) override { return false; }
    void SetLabelCaption(WindowId window, LabelId label, std::wstring_view caption) override
    {
        if (window == WindowId::frmSplash) {
            SetSplashLabelCaption(splash, label, caption);
        }
    }
    void ShowMessage(std::wstring_view text) override { log.push_back(L"box: " + std::wstring(text)); }
    void EndProgram() override { log.push_back(L"end"); }
};

// Handles this thread's messages for a while, or until the condition holds.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto until = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (done()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= until) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
}

void Pump(std::chrono::milliseconds duration)
{
    PumpUntil([] { return false; }, duration);
}

void SendKey(WORD key)
{
    INPUT inputs[2]{};
    inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = inputs[1].ki.wVk = key;
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ASSERT_EQ(::SendInput(2, inputs, sizeof(INPUT)), 2u);
}

INPUT MouseInput(POINT screen, DWORD flags)
{
    // Absolute positions run from 0 to 65535 across the primary screen.
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = ::MulDiv(screen.x, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = ::MulDiv(screen.y, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return input;
}

void MovePointer(POINT screen)
{
    INPUT input = MouseInput(screen, 0);
    ASSERT_EQ(::SendInput(1, &input, sizeof(INPUT)), 1u);
}

void Click(POINT screen)
{
    INPUT inputs[3] = {MouseInput(screen, 0), MouseInput(screen, MOUSEEVENTF_LEFTDOWN),
                       MouseInput(screen, MOUSEEVENTF_LEFTUP)};
    ASSERT_EQ(::SendInput(3, inputs, sizeof(INPUT)), 3u);
}

// One run of the windowed path with its own Program, from the splash window on.
struct SplashSession {
    SplashSession() { ui.program = &program; }
    ~SplashSession()
    {
        if (ui.splash) {
            ::DestroyWindow(ui.splash);
        }
    }
    SplashSession(const SplashSession&) = delete;
    SplashSession& operator=(const SplashSession&) = delete;

    NoServices services;
    SplashOnlyUserInterface ui;
    Program program{services, ui, AppInfo{L"Quenlow", 1, 0, 0}};
};

class SplashWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Start with the pointer in a corner of the screen, away from where the window opens.
        MovePointer(POINT{::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1});
        Pump(100ms);
        Open();
    }

    void TearDown() override
    {
        m_session.reset();
        Pump(50ms);
    }

    // Shows the splash window of a new run, as Main does, and waits until it has the keyboard.
    void Open()
    {
        m_session.reset();
        m_session = std::make_unique<SplashSession>();
        m_session->program.ShowWindowedPath();
        ASSERT_NE(Splash(), nullptr);
        ASSERT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == Splash(); }, 2s));
        Pump(200ms);
        Log().clear();
    }

    HWND Splash() const { return m_session->ui.splash; }
    std::vector<std::wstring>& Log() { return m_session->ui.log; }
    UINT Dpi() const { return WindowDpi(Splash()); }

    // A point of the splash window's client area, given in twips, on the screen.
    POINT OnWindow(int xTwips, int yTwips) const
    {
        POINT point{TwipsToPixels(xTwips, Dpi()), TwipsToPixels(yTwips, Dpi())};
        ::ClientToScreen(Splash(), &point);
        return point;
    }
    // A point inside Frame1, in twips relative to the frame, on the screen.
    POINT OnFrame(int xTwips, int yTwips) const
    {
        return OnWindow(splash::kFrame1.left + xTwips, splash::kFrame1.top + yTwips);
    }

    void ExpectNothingHappened()
    {
        Pump(300ms);
        EXPECT_TRUE(Log().empty()) << Log().front();
        EXPECT_TRUE(::IsWindow(Splash()));
    }

    void ExpectContinued()
    {
        EXPECT_TRUE(PumpUntil([&] { return Splash() == nullptr; }, 3s));
        const std::vector<std::wstring> expected{L"create frmStoppedServicesList", L"show frmStoppedServicesList",
                                                 L"destroy frmSplash"};
        EXPECT_EQ(Log(), expected);
    }

    void ExpectEnded()
    {
        EXPECT_TRUE(PumpUntil([&] { return Splash() == nullptr; }, 3s));
        const std::vector<std::wstring> expected{L"destroy frmSplash", L"end"};
        EXPECT_EQ(Log(), expected);
    }

private:
    std::unique_ptr<SplashSession> m_session;
};

TEST_F(SplashWindowTest, IsCentredAtItsDesignSizeWithAFixedFrameAndNoTitleBar)
{
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(Splash(), GWL_STYLE));
    EXPECT_NE(style & WS_DLGFRAME, 0u);
    EXPECT_NE(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION)) << "a title bar";
    EXPECT_EQ(style & (WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);
    EXPECT_TRUE(::IsWindowVisible(Splash()));

    RECT client{};
    ::GetClientRect(Splash(), &client);
    EXPECT_EQ(client.right, TwipsToPixels(7335, Dpi()));
    EXPECT_EQ(client.bottom, TwipsToPixels(4350, Dpi()));

    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(::GetMonitorInfoW(::MonitorFromWindow(Splash(), MONITOR_DEFAULTTOPRIMARY), &monitor));
    RECT outer{};
    ::GetWindowRect(Splash(), &outer);
    EXPECT_NEAR(outer.left - monitor.rcWork.left, monitor.rcWork.right - outer.right, 1);
    EXPECT_NEAR(outer.top - monitor.rcWork.top, monitor.rcWork.bottom - outer.bottom, 1);

    // Frame1 is the one child, at 120, 120, 7065 x 4050 twips.
    const HWND frame = ::GetWindow(Splash(), GW_CHILD);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(::GetWindow(frame, GW_HWNDNEXT), nullptr);
    RECT frameRect{};
    ::GetWindowRect(frame, &frameRect);
    ::MapWindowPoints(nullptr, Splash(), reinterpret_cast<POINT*>(&frameRect), 2);
    EXPECT_EQ(frameRect.left, TwipsToPixels(120, Dpi()));
    EXPECT_EQ(frameRect.top, TwipsToPixels(120, Dpi()));
    EXPECT_EQ(frameRect.right, TwipsToPixels(120 + 7065, Dpi()));
    EXPECT_EQ(frameRect.bottom, TwipsToPixels(120 + 4050, Dpi()));

    EXPECT_NE(::GetClassLongPtrW(Splash(), GCLP_HICON), 0);
    EXPECT_NE(::GetClassLongPtrW(Splash(), GCLP_HICONSM), 0);
}

TEST_F(SplashWindowTest, KeysThatProduceACharacterEndTheProgram)
{
    for (const WORD key : {WORD{'Q'}, WORD{VK_RETURN}, WORD{VK_ESCAPE}, WORD{'7'}, WORD{VK_SPACE}}) {
        SCOPED_TRACE(key);
        if (!Splash()) {
            Open();
        }
        SendKey(key);
        ExpectEnded();
    }
}

TEST_F(SplashWindowTest, KeysWithoutACharacterDoNothing)
{
    for (const WORD key : {WORD{VK_LEFT}, WORD{VK_DOWN}, WORD{VK_F2}, WORD{VK_SHIFT}, WORD{VK_CONTROL}}) {
        SCOPED_TRACE(key);
        SendKey(key);
        ExpectNothingHappened();
    }
}

TEST_F(SplashWindowTest, PointerMovingInAcrossTheMarginContinues)
{
    // From outside the window onto the left margin (120 twips wide).
    POINT outside = OnWindow(0, 2000);
    outside.x -= 40;
    MovePointer(outside);
    Pump(100ms);
    EXPECT_TRUE(Log().empty());
    MovePointer(OnWindow(60, 2000));
    ExpectContinued();
}

TEST_F(SplashWindowTest, PointerMovingOverTheBottomMarginContinues)
{
    MovePointer(OnWindow(3000, 4350 + 600));
    Pump(100ms);
    MovePointer(OnWindow(3000, 4350 - 60));
    ExpectContinued();
}

TEST_F(SplashWindowTest, PointerMovingOverTheFrameLabelsAndLogoDoesNothing)
{
    POINT outside = OnWindow(3000, 0);
    outside.y -= 60;
    MovePointer(outside);
    Pump(100ms);
    // Straight onto the frame, then about over the frame's surface, a label and the logo.
    for (const POINT point : {OnFrame(3000, 300), OnFrame(3500, 1450), OnFrame(1100, 1900), OnFrame(6000, 2800),
                              OnFrame(6900, 3950)}) {
        MovePointer(point);
        Pump(50ms);
    }
    ExpectNothingHappened();
}

TEST_F(SplashWindowTest, ClickOnTheFramesOwnSurfaceContinues)
{
    Click(OnFrame(3000, 300));
    ExpectContinued();
}

TEST_F(SplashWindowTest, ClicksOnLabelsAndTheLogoDoNothing)
{
    const POINT product = OnFrame(2520 + 300, 1140 + 300);  // inside "Quenlow"
    const POINT version = OnFrame(6855 - 200, 2700 + 120);  // inside "Version 1.0.0"
    const POINT copyright = OnFrame(4320 + 200, 3240 + 100); // inside the copyright line
    const POINT logo = OnFrame(240 + 900, 720 + 1200);
    for (const POINT point : {product, version, copyright, logo}) {
        Click(point);
        Pump(100ms);
    }
    ExpectNothingHappened();
}

TEST_F(SplashWindowTest, AltF4UnloadsTheWindowAndEndsTheProgram)
{
    INPUT inputs[4]{};
    for (INPUT& input : inputs) {
        input.type = INPUT_KEYBOARD;
    }
    inputs[0].ki.wVk = inputs[3].ki.wVk = VK_MENU;
    inputs[1].ki.wVk = inputs[2].ki.wVk = VK_F4;
    inputs[2].ki.dwFlags = inputs[3].ki.dwFlags = KEYEVENTF_KEYUP;
    ASSERT_EQ(::SendInput(4, inputs, sizeof(INPUT)), 4u);
    ExpectEnded();
}

// ---- The content of Frame1, laid out without a window ---------------------------------------

class SplashContentTest : public ::testing::Test {
protected:
    SplashContent content{::GetModuleHandleW(nullptr)};
};

TEST_F(SplashContentTest, RightAlignedLabelsKeepTheirRightEdgeWhenTheCaptionChanges)
{
    for (const UINT dpi : {96u, 120u, 144u, 192u}) {
        SCOPED_TRACE(dpi);
        content.SetDpi(dpi);
        content.SetCaption(splash::lblVersion, L"Version 1.0.0");
        const RECT shortText = content.Bounds(splash::lblVersion);
        content.SetCaption(splash::lblVersion, L"Version 32767.-32768.-1");
        const RECT longText = content.Bounds(splash::lblVersion);
        EXPECT_EQ(shortText.right, TwipsToPixels(6855, dpi));
        EXPECT_EQ(longText.right, TwipsToPixels(6855, dpi));
        EXPECT_LT(longText.left, shortText.left);
        EXPECT_EQ(content.Bounds(splash::lblPlatform).right, TwipsToPixels(6855, dpi));
        EXPECT_EQ(content.Bounds(splash::lblLicenseTo).right, TwipsToPixels(6975, dpi));
    }
}

TEST_F(SplashContentTest, LeftAlignedLabelsKeepTheirLeftEdgeAndFitTheirCaption)
{
    content.SetDpi(96);
    const RECT before = content.Bounds(splash::lblProductName);
    content.SetCaption(splash::lblProductName, L"Quenlow Quenlow");
    const RECT after = content.Bounds(splash::lblProductName);
    EXPECT_EQ(before.left, TwipsToPixels(2520, 96));
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, TwipsToPixels(1140, 96));
    EXPECT_GT(after.right - after.left, 3 * (before.right - before.left) / 2);
    // One line of 27.75-point text: taller than the 12-point version label, within the design box.
    const LONG height = after.bottom - after.top;
    EXPECT_GT(height, 37);
    EXPECT_LE(height, TwipsToPixels(660, 96));
}

TEST_F(SplashContentTest, FixedBoxesKeepTheirDesignSize)
{
    content.SetDpi(144);
    const RECT copyright = content.Bounds(splash::lblCopyright);
    EXPECT_EQ(copyright.left, TwipsToPixels(4320, 144));
    EXPECT_EQ(copyright.top, TwipsToPixels(3240, 144));
    EXPECT_EQ(copyright.right, TwipsToPixels(4320 + 2655, 144));
    EXPECT_EQ(copyright.bottom, TwipsToPixels(3240 + 255, 144));
}

TEST_F(SplashContentTest, TextsFitTheFrameAndTheirBoxes)
{
    for (const UINT dpi : {96u, 144u}) {
        SCOPED_TRACE(dpi);
        content.SetDpi(dpi);
        const RECT frame{0, 0, TwipsToPixels(7065, dpi), TwipsToPixels(4050, dpi)};
        for (std::size_t label = 0; label < splash::kLabelCount; ++label) {
            SCOPED_TRACE(label);
            const RECT bounds = content.Bounds(static_cast<splash::LabelIndex>(label));
            RECT inside{};
            EXPECT_TRUE(::IntersectRect(&inside, &bounds, &frame) && ::EqualRect(&inside, &bounds));
        }
        // The fixed boxes must hold their one line without cutting it.
        const UniqueScreenDc screen(::GetDC(nullptr));
        for (const auto label : {splash::lblCopyright, splash::lblCompany}) {
            LOGFONTW font{};
            font.lfHeight = -::MulDiv(825, static_cast<int>(dpi), 7200);
            std::wcscpy(font.lfFaceName, L"Arial");
            const UniqueHfont arial(::CreateFontIndirectW(&font));
            const ScopedSelectObject selected(screen.get(), arial.get());
            SIZE text{};
            const std::wstring& caption = content.Caption(label);
            ::GetTextExtentPoint32W(screen.get(), caption.c_str(), static_cast<int>(caption.size()), &text);
            const RECT box = content.Bounds(label);
            EXPECT_LE(text.cx, box.right - box.left) << "label " << label << " is cut";
        }
    }
}

TEST_F(SplashContentTest, OnlyTheFramesOwnSurfaceIsFreeOfControls)
{
    content.SetDpi(96);
    const auto centre = [](const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; };
    EXPECT_TRUE(content.IsOverControl(centre(content.LogoBounds())));
    for (std::size_t label = 0; label < splash::kLabelCount; ++label) {
        EXPECT_TRUE(content.IsOverControl(centre(content.Bounds(static_cast<splash::LabelIndex>(label))))) << label;
    }
    EXPECT_FALSE(content.IsOverControl(POINT{TwipsToPixels(3000, 96), TwipsToPixels(300, 96)}));
    EXPECT_FALSE(content.IsOverControl(POINT{TwipsToPixels(1000, 96), TwipsToPixels(3500, 96)}));
}

// ---- The executable's declared title and version --------------------------------------------

TEST(AppInfo, ReadsTitleAndVersionOfTheRunningExecutable)
{
    const AppInfo info = ReadAppInfo();
    EXPECT_EQ(info.title, L"Quenlow Test");
    EXPECT_EQ(info.major, 1);
    EXPECT_EQ(info.minor, 2);
    // FILEVERSION 1,2,3,4: the revision is the fourth number; the build number (3) is not shown.
    EXPECT_EQ(info.revision, 4);
}

TEST(AppInfo, AFileWithoutVersionDataGivesTheApplicationTitleAndZeros)
{
    wchar_t folder[MAX_PATH]{};
    wchar_t path[MAX_PATH]{};
    ASSERT_NE(::GetTempPathW(MAX_PATH, folder), 0u);
    ASSERT_NE(::GetTempFileNameW(folder, L"qsp", 0, path), 0u);
    const AppInfo info = ReadAppInfo(path);
    ::DeleteFileW(path);
    EXPECT_EQ(info.title, L"Quenlow");
    EXPECT_EQ(info.major, 0);
    EXPECT_EQ(info.minor, 0);
    EXPECT_EQ(info.revision, 0);
}

} // namespace
} // namespace quenlow
