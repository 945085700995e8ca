#include "FakeUserInterface.h"

#include <stdexcept>
#include <utility>

namespace quenlow::testing {

void FakeUserInterface::Tick(WindowId window, const std::wstring& text)
{
    for (auto& entry : lists.at(window)) {
        if (entry.text == text && !entry.checked) {
            entry.checked = true;
            return;
        }
    }
    throw std::logic_error("no unticked entry with that text");
}

std::vector<std::wstring> FakeUserInterface::Texts(WindowId window) const
{
    std::vector<std::wstring> texts;
    if (auto found = lists.find(window); found != lists.end()) {
        for (const auto& entry : found->second) texts.push_back(entry.text);
    }
    return texts;
}

std::vector<std::wstring> FakeUserInterface::TakeLog()
{
    return std::exchange(log, {});
}

IUserInterface* FakeUserInterface::RealOne(WindowId window) const
{
    const auto found = m_real.find(window);
    return found == m_real.end() ? nullptr : found->second;
}

void FakeUserInterface::CreateFromDesign(WindowId window)
{
    if (exists[window]) throw std::logic_error("window created twice");
    exists[window] = true;
    lists[window].clear();
    log.push_back(L"create " + std::wstring(NameOf(window)));
    if (IUserInterface* real = RealOne(window)) real->CreateFromDesign(window);
}

void FakeUserInterface::SetVisible(WindowId window, bool visible)
{
    if (!exists[window]) throw std::logic_error("window does not exist");
    log.push_back((visible ? L"show " : L"hide ") + std::wstring(NameOf(window)));
    if (IUserInterface* real = RealOne(window)) real->SetVisible(window, visible);
}

void FakeUserInterface::Destroy(WindowId window)
{
    if (!exists[window]) throw std::logic_error("window does not exist");
    exists[window] = false;
    lists.erase(window);
    log.push_back(L"destroy " + std::wstring(NameOf(window)));
    if (IUserInterface* real = RealOne(window)) real->Destroy(window);
}

void FakeUserInterface::ClearList(WindowId window)
{
    lists[window].clear();
    log.push_back(L"clear " + std::wstring(NameOf(window)));
}

void FakeUserInterface::AppendToList(WindowId window, const std::vector<std::wstring>& texts)
{
    for (const auto& text : texts) lists[window].push_back({text, false});
    log.push_back(L"fill " + std::wstring(NameOf(window)) + L" " + std::to_wstring(texts.size()));
}

std::size_t FakeUserInterface::ListCount(WindowId window)
{
    return lists[window].size();
}

std::wstring FakeUserInterface::ListText(WindowId window, std::size_t position)
{
    return lists.at(window).at(position).text;
}

bool FakeUserInterface::ListChecked(WindowId window, std::size_t position)
{
    return lists.at(window).at(position).checked;
}

void FakeUserInterface::SetLabelCaption(WindowId window, LabelId label, std::wstring_view caption)
{
    labels[{window, label}] = std::wstring(caption);
    if (IUserInterface* real = RealOne(window)) real->SetLabelCaption(window, label, caption);
}

void FakeUserInterface::ShowMessage(std::wstring_view text)
{
    log.push_back(L"box: " + std::wstring(text));
}

bool FakeUserInterface::AskYesNo(std::wstring_view question)
{
    log.push_back(L"question: " + std::wstring(question));
    return answerYes;
}

void FakeUserInterface::EndProgram()
{
    ended = true;
    log.push_back(L"end");
}

} // namespace quenlow::testing
