// The splash window in this process, driven by real keyboard and mouse input (SendInput), with
// the real Program behind it and the other windows only recorded. Its executable declares
// version 1.2.3.4 and the title "Quenlow Test" (SplashWindow_test.rc). Sizes are worked out here
// from twips (1,440 an inch) with the system's MulDiv, not with the program's own conversion.
#include "splash/AppInfo_win.h"
#include "splash/SplashContent_win.h"
#include "splash/SplashDesign_win.h"
#include "splash/frmSplash_win.h"
#include "ui/Dpi_win.h"
#include "ui/UniqueGdi_win.h"
#include "start/Program.h"
#include "start/Win32UserInterface_win.h"

#include "FakeServiceAccess.h"
#include "FakeUserInterface.h"
#include "support/MessagePump.h"
#include "support/ScreenCapture.h"
#include "support/TimeLimits.h"
#include "support/TopLevelWindows.h"
#include "support/UserInput.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

namespace quenlow {
namespace {

using testing::Blue;
using testing::CentreOf;
using testing::CountColour;
using testing::Green;
using testing::IsColour;
using testing::Red;
using testing::ScreenCapture;
using testing::ClickAt;
using testing::MovePointer;
using testing::PressKey;
using testing::WindowText;
using splash::SplashContent;

// Twips in pixels at the DPI, rounded to the nearest as MulDiv rounds.
int Pixels(int twips, UINT dpi)
{
    return ::MulDiv(twips, static_cast<int>(dpi), 1440);
}

RECT RectIn(HWND parent, HWND child)
{
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RECT DesignPixels(const TwipsRect& twips, UINT dpi)
{
    return RECT{Pixels(twips.left, dpi), Pixels(twips.top, dpi), Pixels(twips.left + twips.width, dpi),
                Pixels(twips.top + twips.height, dpi)};
}

::testing::AssertionResult SameRect(const RECT& actual, const RECT& expected)
{
    if (::EqualRect(&actual, &expected)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "(" << actual.left << ", " << actual.top << ", " << actual.right << ", "
                                         << actual.bottom << ") instead of (" << expected.left << ", " << expected.top
                                         << ", " << expected.right << ", " << expected.bottom << ")";
}

// Text of the colour drawn over black: the colour itself, black, or a blend of the two where
// the glyphs' edges are smoothed. Anything else is a ground that is not the frame's black.
bool IsTextOverBlack(std::uint32_t pixel, COLORREF colour)
{
    const int sumColour = GetRValue(colour) + GetGValue(colour) + GetBValue(colour);
    const double share = static_cast<double>(Red(pixel) + Green(pixel) + Blue(pixel)) / sumColour;
    constexpr int kTolerance = 24;
    return share <= 1.05 && std::abs(Red(pixel) - share * GetRValue(colour)) <= kTolerance &&
           std::abs(Green(pixel) - share * GetGValue(colour)) <= kTolerance &&
           std::abs(Blue(pixel) - share * GetBValue(colour)) <= kTolerance;
}


// The pixels of a screen rectangle that are not of the colour.
std::size_t CountOtherColours(const RECT& area, COLORREF colour)
{
    const ScreenCapture capture(area);
    return capture.Pixels().size() - CountColour(capture, colour);
}

// Drawing reaches the screen when the window has painted and the system has passed it on: the
// tests wait for the pixels they expect, within testing::kReactionComesWithin.
using testing::kReactionComesWithin;

// One run of the windowed path with its own Program and no services, from the splash window on:
// the splash window is real, every other window only recorded.
struct SplashSession {
    SplashSession()
    {
        ui.AlsoCarryOut(WindowId::frmSplash, windows);
        windows.Attach(program);
    }
    ~SplashSession() { windows.Destroy(WindowId::frmSplash); }
    SplashSession(const SplashSession&) = delete;
    SplashSession& operator=(const SplashSession&) = delete;

    testing::FakeServiceAccess services;
    testing::InlineServiceWork work{services};
    testing::FakeUserInterface ui;
    WaitSafety safety;
    Win32UserInterface windows{::GetModuleHandleW(nullptr), safety};
    Program program{work, ui, AppInfo{L"Quenlow", 1, 0, 0}, safety};
};

class SplashWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_mouse.Hooked()) << "no hook on this thread's mouse input: " << ::GetLastError();
        // Start with the pointer away from where the window opens.
        MovePointer(testing::OutOfTheWay());
        ASSERT_TRUE(testing::PumpUntilPointerAt(testing::OutOfTheWay()));
        Open();
    }

    void TearDown() override
    {
        m_session.reset();
        testing::PumpPending();
    }

    // Shows the splash window of a new run, as Main does, and waits until it has the keyboard.
    void Open()
    {
        m_session.reset();
        m_session = std::make_unique<SplashSession>();
        m_session->program.ShowWindowedPath();
        ASSERT_NE(Splash(), nullptr);
        ASSERT_TRUE(testing::PumpUntil(
            [&] { return ::GetForegroundWindow() == Splash() && ::GetFocus() == Splash(); }, kReactionComesWithin));
        Log().clear();
    }

    HWND Splash() const { return m_session->windows.Handle(WindowId::frmSplash); }
    HWND Frame() const { return ::GetDlgItem(Splash(), splash::control_ids::Frame1); }
    HWND Label(splash::LabelIndex label) const { return ::GetDlgItem(Frame(), splash::ControlIdOf(label)); }
    HWND Logo() const { return ::GetDlgItem(Frame(), splash::control_ids::imgLogo); }
    // The logo and every label.
    std::vector<HWND> Controls() const
    {
        std::vector<HWND> controls{Logo()};
        for (std::size_t label = 0; label < splash::kLabelCount; ++label) {
            controls.push_back(Label(static_cast<splash::LabelIndex>(label)));
        }
        return controls;
    }
    std::vector<std::wstring>& Log() { return m_session->ui.log; }
    UINT Dpi() const { return WindowDpi(Splash()); }

    // A point of the splash window's client area, given in twips, on the screen.
    POINT OnWindow(int xTwips, int yTwips) const
    {
        POINT point{Pixels(xTwips, Dpi()), Pixels(yTwips, Dpi())};
        ::ClientToScreen(Splash(), &point);
        return point;
    }
    // A point inside Frame1, in twips relative to the frame, on the screen.
    POINT OnFrame(int xTwips, int yTwips) const
    {
        return OnWindow(splash::kFrame1.left + xTwips, splash::kFrame1.top + yTwips);
    }

    // Frame1 and its controls where the design puts them at the DPI, each label in its font,
    // and each label that fits its caption exactly as big as its caption on one line.
    void ExpectLaidOutAt(UINT dpi)
    {
        SCOPED_TRACE(dpi);
        EXPECT_TRUE(SameRect(RectIn(Splash(), Frame()), DesignPixels(splash::kFrame1, dpi))) << "Frame1";
        EXPECT_TRUE(SameRect(RectIn(Frame(), Logo()), DesignPixels(splash::kImgLogo, dpi))) << "imgLogo";
        for (std::size_t index = 0; index < splash::kLabelCount; ++index) {
            SCOPED_TRACE(index);
            const splash::LabelDesign& design = splash::kLabels[index];
            const HWND label = Label(static_cast<splash::LabelIndex>(index));
            ASSERT_NE(label, nullptr);
            const auto font = reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0));
            LOGFONTW logFont{};
            ASSERT_EQ(::GetObjectW(font, sizeof(logFont), &logFont), static_cast<int>(sizeof(logFont)));
            EXPECT_EQ(logFont.lfHeight, -std::lround(design.points * dpi / 72.0));
            EXPECT_EQ(logFont.lfWeight, design.bold ? FW_BOLD : FW_NORMAL);
            EXPECT_STREQ(logFont.lfFaceName, L"Arial");

            const RECT box = DesignPixels(design.box, dpi);
            const RECT actual = RectIn(Frame(), label);
            if (design.sizing == splash::Sizing::FixedBox) {
                EXPECT_TRUE(SameRect(actual, box));
                continue;
            }
            const UniqueScreenDc screen(::GetDC(nullptr));
            const ScopedSelectObject selected(screen.get(), font);
            const std::wstring text = WindowText(label);
            SIZE extent{};
            TEXTMETRICW metrics{};
            ::GetTextExtentPoint32W(screen.get(), text.c_str(), static_cast<int>(text.size()), &extent);
            ::GetTextMetricsW(screen.get(), &metrics);
            EXPECT_EQ(actual.top, box.top);
            EXPECT_EQ(actual.bottom - actual.top, metrics.tmHeight);
            EXPECT_EQ(actual.right - actual.left, extent.cx);
            if (design.alignment == splash::Alignment::Right) {
                EXPECT_EQ(actual.right, box.right);
            } else {
                EXPECT_EQ(actual.left, box.left);
            }
        }
    }

    // Handles this thread's messages until the pointer movement or click has reached a window
    // of this thread at the point.
    bool Arrived(UINT message, POINT point) { return m_mouse.PumpUntilArrived(message, point); }

    void ExpectNothingHappened()
    {
        testing::PumpFor(testing::kNothingHappensFor);
        EXPECT_TRUE(Log().empty()) << Log().front();
        EXPECT_TRUE(::IsWindow(Splash()));
    }

    void ExpectContinued()
    {
        EXPECT_TRUE(testing::PumpUntil([&] { return Splash() == nullptr; }, kReactionComesWithin));
        const std::vector<std::wstring> expected{L"create frmStoppedServicesList", L"clear frmStoppedServicesList",
                                                 L"fill frmStoppedServicesList 0", L"show frmStoppedServicesList",
                                                 L"destroy frmSplash"};
        EXPECT_EQ(Log(), expected);
    }

    void ExpectEnded()
    {
        EXPECT_TRUE(testing::PumpUntil([&] { return Splash() == nullptr; }, kReactionComesWithin));
        const std::vector<std::wstring> expected{L"destroy frmSplash", L"end"};
        EXPECT_EQ(Log(), expected);
    }

private:
    testing::OwnMouseInput m_mouse;
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
    EXPECT_EQ(client.right, Pixels(7335, Dpi()));
    EXPECT_EQ(client.bottom, Pixels(4350, Dpi()));

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
    EXPECT_EQ(::GetDlgCtrlID(frame), splash::control_ids::Frame1);
    EXPECT_TRUE(SameRect(RectIn(Splash(), frame), DesignPixels({120, 120, 7065, 4050}, Dpi())));

    EXPECT_NE(::GetClassLongPtrW(Splash(), GCLP_HICON), 0);
    EXPECT_NE(::GetClassLongPtrW(Splash(), GCLP_HICONSM), 0);
}

TEST_F(SplashWindowTest, KeysThatProduceACharacterEndTheProgram)
{
    for (const WORD key : {WORD{'Q'}, WORD{VK_RETURN}, WORD{VK_ESCAPE}, WORD{'7'}, WORD{VK_SPACE}}) {
        SCOPED_TRACE(key);
        if (!Splash()) {
            ASSERT_NO_FATAL_FAILURE(Open());
        }
        PressKey(key);
        ExpectEnded();
    }
}

TEST_F(SplashWindowTest, KeysWithoutACharacterDoNothing)
{
    for (const WORD key : {WORD{VK_LEFT}, WORD{VK_DOWN}, WORD{VK_F2}, WORD{VK_SHIFT}, WORD{VK_CONTROL}}) {
        SCOPED_TRACE(key);
        PressKey(key);
        ExpectNothingHappened();
    }
}

TEST_F(SplashWindowTest, PointerMovingInAcrossTheMarginContinues)
{
    // From outside the window onto the left margin (120 twips wide).
    POINT outside = OnWindow(0, 2000);
    outside.x -= 40;
    MovePointer(outside);
    ASSERT_TRUE(testing::PumpUntilPointerAt(outside));
    EXPECT_TRUE(Log().empty());
    MovePointer(OnWindow(60, 2000));
    ExpectContinued();
}

TEST_F(SplashWindowTest, PointerMovingOverTheBottomMarginContinues)
{
    const POINT below = OnWindow(3000, 4350 + 600);
    MovePointer(below);
    ASSERT_TRUE(testing::PumpUntilPointerAt(below));
    MovePointer(OnWindow(3000, 4350 - 60));
    ExpectContinued();
}

TEST_F(SplashWindowTest, PointerMovingOverTheFrameLabelsAndLogoDoesNothing)
{
    POINT outside = OnWindow(3000, 0);
    outside.y -= 60;
    MovePointer(outside);
    ASSERT_TRUE(testing::PumpUntilPointerAt(outside));
    // Straight onto the frame, then about over the frame's surface, every label and the logo.
    std::vector<POINT> points{OnFrame(3000, 300), OnFrame(1100, 3500), OnFrame(6900, 3950)};
    for (const HWND control : Controls()) {
        points.push_back(CentreOf(control));
    }
    for (const POINT point : points) {
        MovePointer(point);
        EXPECT_TRUE(Arrived(WM_MOUSEMOVE, point));
    }
    ExpectNothingHappened();
}

TEST_F(SplashWindowTest, ClickOnTheFramesOwnSurfaceContinues)
{
    ClickAt(OnFrame(3000, 300));
    ExpectContinued();
}

TEST_F(SplashWindowTest, ClicksOnLabelsAndTheLogoDoNothing)
{
    for (const HWND control : Controls()) {
        // Each control takes the mouse over its own box: the click never reaches the frame.
        EXPECT_EQ(::WindowFromPoint(CentreOf(control)), control) << ::GetDlgCtrlID(control);
        ClickAt(CentreOf(control));
        EXPECT_TRUE(Arrived(WM_LBUTTONUP, CentreOf(control)));
    }
    // Near the edges of the product name too, where its text leaves black between the letters.
    RECT product{};
    ::GetWindowRect(Label(splash::lblProductName), &product);
    for (const POINT edge : {POINT{product.left + 1, product.top + 1}, POINT{product.right - 2, product.bottom - 2}}) {
        ClickAt(edge);
        EXPECT_TRUE(Arrived(WM_LBUTTONUP, edge));
    }
    ExpectNothingHappened();
}

TEST_F(SplashWindowTest, AfterAClickOnALabelKeysStillReachTheWindow)
{
    for (const HWND control : {Label(splash::lblVersion), Logo()}) {
        ClickAt(CentreOf(control));
        ASSERT_TRUE(Arrived(WM_LBUTTONUP, CentreOf(control)));
    }
    ASSERT_TRUE(Log().empty());
    EXPECT_EQ(::GetFocus(), Splash());
    PressKey('Q');
    ExpectEnded();
}

TEST_F(SplashWindowTest, EveryLabelIsAControlThatCarriesItsText)
{
    EXPECT_EQ(WindowText(Label(splash::lblVersion)), L"Version 1.0.0");
    EXPECT_EQ(WindowText(Label(splash::lblProductName)), L"Quenlow");
    EXPECT_EQ(WindowText(Label(splash::lblPlatform)), L"Ms Windows");
    EXPECT_EQ(WindowText(Label(splash::lblLicenseTo)), L"Freeware");
    for (const auto label : {splash::lblCopyright, splash::lblCompany, splash::lblCompanyProduct, splash::lblWarning}) {
        EXPECT_EQ(WindowText(Label(label)), splash::kLabels[label].caption) << label;
    }
    // Nothing inside the frame can take the focus, so every key press stays with the window.
    for (const HWND control : Controls()) {
        EXPECT_EQ(::GetParent(control), Frame());
        EXPECT_EQ(::GetWindowLongPtrW(control, GWL_STYLE) & WS_TABSTOP, 0);
    }
    EXPECT_EQ(::GetFocus(), Splash());
}

TEST_F(SplashWindowTest, ControlsAreLaidOutFromTheDesignAndAgainWhenTheDpiChanges)
{
    ExpectLaidOutAt(Dpi());
    for (const UINT dpi : {144u, 96u}) {
        // The system's suggestion, elsewhere and a little larger than the design's size, is taken.
        RECT suggested{};
        ::GetWindowRect(Splash(), &suggested);
        const SIZE size = WindowSizeForClient({Pixels(splash::kClientWidth, dpi), Pixels(splash::kClientHeight, dpi)},
                                              static_cast<DWORD>(::GetWindowLongPtrW(Splash(), GWL_STYLE)), 0, dpi);
        ::SetRect(&suggested, suggested.left + 9, suggested.top + 8, suggested.left + 12 + size.cx,
                  suggested.top + 10 + size.cy);
        ::SendMessageW(Splash(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        RECT taken{};
        ::GetWindowRect(Splash(), &taken);
        EXPECT_TRUE(SameRect(taken, suggested));
        ExpectLaidOutAt(dpi);
        EXPECT_EQ(WindowText(Label(splash::lblVersion)), L"Version 1.0.0");

        // The margin around the frame is the window's black again: nothing of the old layout
        // (its frame line lies in the new margin when the window grows) stays on screen.
        RECT client{};
        ::GetClientRect(Splash(), &client);
        const RECT frame = RectIn(Splash(), Frame());
        std::vector<RECT> margins{RECT{0, 0, client.right, frame.top}, RECT{0, 0, frame.left, client.bottom},
                                  RECT{frame.right, 0, client.right, client.bottom},
                                  RECT{0, frame.bottom, client.right, client.bottom}};
        for (RECT& margin : margins) {
            ::MapWindowPoints(Splash(), nullptr, reinterpret_cast<POINT*>(&margin), 2);
        }
        const auto notBlack = [&] {
            std::size_t count = 0;
            for (const RECT& margin : margins) {
                count += CountOtherColours(margin, splash::kBlack);
            }
            return count;
        };
        EXPECT_TRUE(testing::PumpUntil([&] { return notBlack() == 0; }, kReactionComesWithin))
            << notBlack() << " pixels of the margin are not black";
    }
}

// One label as drawn: text in its colour over the frame's black, and nothing else.
::testing::AssertionResult DrawnOverBlack(HWND label, COLORREF colour)
{
    RECT box{};
    ::GetWindowRect(label, &box);
    const ScreenCapture capture(box);
    const std::size_t total = capture.Pixels().size();
    const auto other = std::count_if(capture.Pixels().begin(), capture.Pixels().end(),
                                     [&](std::uint32_t pixel) { return !IsTextOverBlack(pixel, colour); });
    if (CountColour(capture, colour) == 0) {
        return ::testing::AssertionFailure() << "no text in its colour";
    }
    if (CountColour(capture, splash::kBlack) * 3 <= total) {
        return ::testing::AssertionFailure() << "too little black around the text";
    }
    if (other != 0) {
        return ::testing::AssertionFailure() << other << " pixels of a ground that is not the frame's black";
    }
    return ::testing::AssertionSuccess();
}

TEST_F(SplashWindowTest, LabelsAreDrawnInTheirColoursOverTheFramesBlack)
{
    const auto drawn = [&](std::size_t index) {
        return DrawnOverBlack(Label(static_cast<splash::LabelIndex>(index)), splash::kLabels[index].colour);
    };
    testing::PumpUntil(
        [&] {
            for (std::size_t index = 0; index < splash::kLabelCount; ++index) {
                if (!drawn(index)) {
                    return false;
                }
            }
            return true;
        },
        kReactionComesWithin);
    for (std::size_t index = 0; index < splash::kLabelCount; ++index) {
        EXPECT_TRUE(drawn(index)) << "label " << index;
    }
}

TEST_F(SplashWindowTest, ACaptionThatGetsShorterLeavesNothingOfTheLongerOne)
{
    const HWND version = Label(splash::lblVersion);
    constexpr wchar_t kLonger[] = L"Version 32767.32767.32767";
    constexpr wchar_t kShorter[] = L"Version 1.0.0";
    SetSplashLabelCaption(Splash(), LabelId::lblVersion, kLonger);
    RECT longer{};
    ::GetWindowRect(version, &longer);
    SetSplashLabelCaption(Splash(), LabelId::lblVersion, kShorter);
    RECT shorter{};
    ::GetWindowRect(version, &shorter);
    ASSERT_EQ(shorter.right, longer.right);
    ASSERT_GT(shorter.left, longer.left + 20);
    // Where the longer caption is drawn and the shorter one is not.
    const RECT uncovered{longer.left, longer.top, shorter.left, longer.bottom};

    // The longer caption shows there, so the check below can see a left-over ...
    SetSplashLabelCaption(Splash(), LabelId::lblVersion, kLonger);
    ASSERT_TRUE(testing::PumpUntil([&] { return CountColour(ScreenCapture(uncovered), splash::kLightGrey) > 0; },
                                   kReactionComesWithin))
        << "the longer caption was never drawn";
    // ... and once the shorter one is set, the frame's black only.
    SetSplashLabelCaption(Splash(), LabelId::lblVersion, kShorter);
    EXPECT_TRUE(
        testing::PumpUntil([&] { return CountOtherColours(uncovered, splash::kBlack) == 0; }, kReactionComesWithin))
        << CountOtherColours(uncovered, splash::kBlack) << " pixels of the longer caption are left";
}

TEST_F(SplashWindowTest, AltF4UnloadsTheWindowAndEndsTheProgram)
{
    testing::PressKeys({VK_MENU, VK_F4});
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
        EXPECT_EQ(shortText.right, Pixels(6855, dpi));
        EXPECT_EQ(longText.right, Pixels(6855, dpi));
        EXPECT_LT(longText.left, shortText.left);
        EXPECT_EQ(content.Bounds(splash::lblPlatform).right, Pixels(6855, dpi));
        EXPECT_EQ(content.Bounds(splash::lblLicenseTo).right, Pixels(6975, dpi));
    }
}

TEST_F(SplashContentTest, LeftAlignedLabelsKeepTheirLeftEdgeAndFitTheirCaption)
{
    content.SetDpi(96);
    const RECT before = content.Bounds(splash::lblProductName);
    content.SetCaption(splash::lblProductName, L"Quenlow Quenlow");
    const RECT after = content.Bounds(splash::lblProductName);
    EXPECT_EQ(before.left, Pixels(2520, 96));
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, Pixels(1140, 96));
    EXPECT_GT(after.right - after.left, 3 * (before.right - before.left) / 2);
    // One line of 27.75-point text: taller than the 12-point version label, within the design box.
    const LONG height = after.bottom - after.top;
    EXPECT_GT(height, 37);
    EXPECT_LE(height, Pixels(660, 96));
}

TEST_F(SplashContentTest, FixedBoxesKeepTheirDesignSize)
{
    content.SetDpi(144);
    const RECT copyright = content.Bounds(splash::lblCopyright);
    EXPECT_EQ(copyright.left, Pixels(4320, 144));
    EXPECT_EQ(copyright.top, Pixels(3240, 144));
    EXPECT_EQ(copyright.right, Pixels(4320 + 2655, 144));
    EXPECT_EQ(copyright.bottom, Pixels(3240 + 255, 144));
}

TEST_F(SplashContentTest, TextsFitTheFrameAndTheirBoxes)
{
    for (const UINT dpi : {96u, 144u}) {
        SCOPED_TRACE(dpi);
        content.SetDpi(dpi);
        const RECT frame{0, 0, Pixels(7065, dpi), Pixels(4050, dpi)};
        for (std::size_t label = 0; label < splash::kLabelCount; ++label) {
            SCOPED_TRACE(label);
            const RECT bounds = content.Bounds(static_cast<splash::LabelIndex>(label));
            RECT inside{};
            EXPECT_TRUE(::IntersectRect(&inside, &bounds, &frame) && ::EqualRect(&inside, &bounds));
        }
        // The fixed boxes must hold their one line without cutting it.
        const UniqueScreenDc screen(::GetDC(nullptr));
        for (const auto label : {splash::lblCopyright, splash::lblCompany, splash::lblWarning}) {
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
