#pragma once

#include "bench/Stopwatch_win.h"
#include "ui/UserInterface.h"

#include <utility>

// The program's user interface with a stopwatch on the calls that open and fill a list window,
// so that a benchmark can tell where the time of opening one goes.
namespace quenlow::bench {

// Milliseconds spent in each kind of call since the last Take.
struct WindowSteps {
    double create = 0; // the window and its controls, pictures and first layout
    double clear = 0;
    double fill = 0; // the sorted texts handed to the list
    double show = 0;
    double destroy = 0; // the window left behind, unloaded (the splash window on the way to the first list)
};

class TimedUserInterface final : public IUserInterface {
public:
    explicit TimedUserInterface(IUserInterface& inner) noexcept : m_inner(inner) {}

    WindowSteps Take() noexcept { return std::exchange(m_steps, WindowSteps{}); }

    void CreateFromDesign(WindowId window) override { Time(m_steps.create, [&] { m_inner.CreateFromDesign(window); }); }
    void SetVisible(WindowId window, bool visible) override
    {
        Time(m_steps.show, [&] { m_inner.SetVisible(window, visible); });
    }
    void Destroy(WindowId window) override { Time(m_steps.destroy, [&] { m_inner.Destroy(window); }); }
    void ClearList(WindowId window) override { Time(m_steps.clear, [&] { m_inner.ClearList(window); }); }
    void AppendToList(WindowId window, const std::vector<std::wstring>& texts) override
    {
        Time(m_steps.fill, [&] { m_inner.AppendToList(window, texts); });
    }
    std::size_t ListCount(WindowId window) override { return m_inner.ListCount(window); }
    std::wstring ListText(WindowId window, std::size_t position) override { return m_inner.ListText(window, position); }
    bool ListChecked(WindowId window, std::size_t position) override { return m_inner.ListChecked(window, position); }
    void SetLabelCaption(WindowId window, LabelId label, std::wstring_view caption) override
    {
        m_inner.SetLabelCaption(window, label, caption);
    }
    void ShowMessage(std::wstring_view text) override { m_inner.ShowMessage(text); }
    bool AskYesNo(std::wstring_view question) override { return m_inner.AskYesNo(question); }
    void EndProgram() override { m_inner.EndProgram(); }

private:
    template <typename Call>
    static void Time(double& total, Call&& call)
    {
        const Stopwatch watch;
        call();
        total += watch.ElapsedMs();
    }

    IUserInterface& m_inner;
    WindowSteps m_steps;
};

} // namespace quenlow::bench
