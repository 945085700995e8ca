#pragma once

#include "windows/ServiceListControl_win.h"

namespace quenlow {

// A list box with one selected entry at a time.
class PlainListControl final : public ServiceListControl {
public:
    void Create(HWND parent, int id, const wchar_t* accessibleName) override;
    void Clear() override;
    std::size_t Count() const override;

private:
    void AppendTexts(const std::vector<std::wstring>& texts) override;
    std::wstring TextAt(int index) const override;
    bool CheckedAt(int index) const override;
};

} // namespace quenlow
