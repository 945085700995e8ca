#pragma once

#include "ui/UserInterface.h"

#include <map>
#include <string>
#include <vector>

namespace quenlow::testing {

// Records every operation as a line of text ("create frmSplash", "box: ...") and keeps each
// list's entries and check marks, so tests can tick entries as a user would. A window can also
// be a real one (AlsoCarryOut), for a test of that window among recorded ones.
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
    // What the user answers each question ("question: ..." in the log).
    bool answerYes = false;

    void Tick(WindowId window, const std::wstring& text);
    std::vector<std::wstring> Texts(WindowId window) const;
    // Log lines since the last call.
    std::vector<std::wstring> TakeLog();
    // The window's creation, showing, hiding, destruction and label captions are carried out by
    // `real` too, once recorded.
    void AlsoCarryOut(WindowId window, IUserInterface& real) { m_real[window] = &real; }

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
    bool AskYesNo(std::wstring_view question) override;
    void EndProgram() override;

private:
    IUserInterface* RealOne(WindowId window) const;

    std::map<WindowId, IUserInterface*> m_real;
};

} // namespace quenlow::testing
