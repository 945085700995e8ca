#pragma once

#include "ui/UserInterface.h"

#include <map>
#include <string>
#include <vector>

namespace quenlow::testing {

// Records every operation as a line of text ("create frmSplash", "box: ...") and keeps each
// list's entries and check marks, so tests can tick entries as a user would.
class FakeUserInterface final : public IUserInterface {
public:
    struct Entry {
        std::wstring text;
        bool checked = false;
    };
    std::vector<std::wstring> log;
    std::map<WindowId, std::vector<Entry>> lists;
    std::map<WindowId, bool> exists;
    std::map<std::pair<WindowId, LabelId>, std::wstring> labels;
    bool ended = false;

    void Tick(WindowId window, const std::wstring& text);
    std::vector<std::wstring> Texts(WindowId window) const;
    // Log lines since the last call.
    std::vector<std::wstring> TakeLog();

    void CreateFromDesign(WindowId window) override;
    void SetVisible(WindowId window, bool visible) override;
    void Destroy(WindowId window) override;
    void ClearList(WindowId window) override;
    void AppendToList(WindowId window, const std::vector<std::wstring>& texts) override;
    std::size_t ListCount(WindowId window) override;
    std::wstring ListText(WindowId window, std::size_t position) override;
    bool ListChecked(WindowId window, std::size_t position) override;
    void SetLabelCaption(WindowId window, LabelId label, std::wstring_view caption) override;
    void ShowMessage(std::wstring_view text) override;
    void EndProgram() override;
};

} // namespace quenlow::testing
