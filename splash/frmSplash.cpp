#include "splash/frmSplash.h"

namespace quenlow::frmSplash {

namespace {

std::wstring AsSigned16(std::uint16_t number)
{
    return std::to_wstring(static_cast<std::int16_t>(number));
}

} // namespace

std::wstring VersionText(std::uint16_t major, std::uint16_t minor, std::uint16_t revision)
{
    return L"Version " + AsSigned16(major) + L"." + AsSigned16(minor) + L"." + AsSigned16(revision);
}

void Form_Load(IUserInterface& ui, const AppInfo& app)
{
    ui.SetLabelCaption(kWindow, LabelId::lblVersion, VersionText(app.major, app.minor, app.revision));
    ui.SetLabelCaption(kWindow, LabelId::lblProductName, app.title);
}

} // namespace quenlow::frmSplash
