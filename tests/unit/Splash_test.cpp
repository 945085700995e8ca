#include "splash/frmSplash.h"

#include "FakeUserInterface.h"

#include <gtest/gtest.h>

namespace quenlow {
namespace {

TEST(SplashVersion, NumbersAreWrittenAsSixteenBitSignedIntegers)
{
    EXPECT_EQ(frmSplash::VersionText(1, 0, 0), L"Version 1.0.0");
    EXPECT_EQ(frmSplash::VersionText(12, 345, 6789), L"Version 12.345.6789");
    EXPECT_EQ(frmSplash::VersionText(32767, 32768, 65535), L"Version 32767.-32768.-1");
}

TEST(SplashLoad, SetsVersionAndProductLabels)
{
    testing::FakeUserInterface ui;
    frmSplash::Form_Load(ui, AppInfo{L"Quenlow", 1, 0, 0});
    EXPECT_EQ((ui.labels[{WindowId::frmSplash, LabelId::lblVersion}]), L"Version 1.0.0");
    EXPECT_EQ((ui.labels[{WindowId::frmSplash, LabelId::lblProductName}]), L"Quenlow");
}

} // namespace
} // namespace quenlow
