#include "work/ProgressWindow_win.h"

#include "common/ApplicationTitle.h"
#include "common/HResultText_win.h"
#include "ui/CommonControls_win.h"
#include "ui/Dpi_win.h"
#include "ui/UntrappedError_win.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <string_view>

namespace quenlow {

namespace {

constexpr int kStopWaitingButton = 100;
constexpr wchar_t kStopWaitingCaption[] = L"Stop Waiting";
// The bar's range when it moves by check points.
constexpr int kBarSteps = 1000;
// Milliseconds between the marquee's steps.
constexpr LPARAM kMarqueeSpeed = 30;
// The window's width in dialog units: wide enough for the longest line (kLongestProgressLine
// characters of most scripts) without wrapping, so that an update seldom needs more room.
constexpr UINT kWidthInDialogUnits = 390;

std::wstring JoinLines(const std::vector<std::wstring>& lines)
{
    std::wstring text;
    for (const auto& line : lines) {
        if (!text.empty()) {
            text += L'\n';
        }
        text += line;
    }
    return text;
}

// Whether text whose lines have these widths may be cut where the window was laid out for lines
// of the others: a line wider than it was then may wrap, or be clipped, where that one did not.
// A line no wider takes no more room (an update in place must be "no longer than the existing
// text"), so more or fewer lines than then count too, and so do lines that could not be measured.
bool Outgrows(const std::vector<int>& widths, const std::vector<int>& laidOut)
{
    if (widths.empty() || widths.size() != laidOut.size()) {
        return true;
    }
    for (std::size_t line = 0; line < widths.size(); ++line) {
        if (widths[line] > laidOut[line]) {
            return true;
        }
    }
    return false;
}

} // namespace

ProgressWindow::ProgressWindow(BoardSource board) : m_board(std::move(board))
{
}

bool ProgressWindow::Run(HWND owner)
{
    const WorkBoard board = m_board();
    const std::wstring headline = ProgressHeadline(board);
    m_shownLines = JoinLines(ProgressLines(board, std::chrono::milliseconds(::GetTickCount64())));

    // The command line shows no other window, so nothing has made the bar's class ready yet.
    LoadCommonControls();
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_PROGRESS_CLASS;
    ::InitCommonControlsEx(&controls);

    const TASKDIALOG_BUTTON buttons[] = {{kStopWaitingButton, kStopWaitingCaption}};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof(config);
    config.hwndParent = owner;
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_SHOW_MARQUEE_PROGRESS_BAR | TDF_CALLBACK_TIMER |
                     (owner ? TDF_POSITION_RELATIVE_TO_WINDOW : 0);
    config.pszWindowTitle = kApplicationTitle;
    config.pszMainInstruction = headline.c_str();
    config.pszContent = m_shownLines.c_str();
    config.cxWidth = kWidthInDialogUnits;
    config.cButtons = 1;
    config.pButtons = buttons;
    config.nDefaultButton = kStopWaitingButton;
    config.pfCallback = &ProgressWindow::Callback;
    config.lpCallbackData = reinterpret_cast<LONG_PTR>(this);
    ThrowIfFailed(::TaskDialogIndirect(&config, nullptr, nullptr, nullptr), L"showing the progress window");
    return m_stopped;
}

std::vector<int> ProgressWindow::LineWidths(const std::wstring& text) const
{
    std::vector<int> widths;
    const UniqueScreenDc dc(::GetDC(nullptr));
    if (!dc || !m_font) {
        return widths; // nothing measured: the text is laid out every time, which cuts nothing
    }
    const ScopedSelectObject selected(dc.get(), m_font.get());
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find(L'\n', start), text.size());
        const std::wstring_view line(text.data() + start, end - start);
        SIZE size{};
        ::GetTextExtentPoint32W(dc.get(), line.data(), static_cast<int>(line.size()), &size);
        widths.push_back(size.cx);
        start = end + 1;
    }
    return widths;
}

void ProgressWindow::ShowLines()
{
    std::vector<int> widths = LineWidths(m_shownLines);
    if (Outgrows(widths, m_laidOutWidths)) {
        // Set again, the text is laid out again: the window grows only when a line now wraps.
        m_laidOutWidths = std::move(widths);
        ::SendMessageW(m_window, TDM_SET_ELEMENT_TEXT, TDE_CONTENT, reinterpret_cast<LPARAM>(m_shownLines.c_str()));
        return;
    }
    // The text changes in place, and the window keeps its size and its button where the pointer is.
    ::SendMessageW(m_window, TDM_UPDATE_ELEMENT_TEXT, TDE_CONTENT, reinterpret_cast<LPARAM>(m_shownLines.c_str()));
}

void ProgressWindow::Refresh()
{
    if (!m_window) {
        return;
    }
    const WorkBoard board = m_board();
    std::wstring lines = JoinLines(ProgressLines(board, std::chrono::milliseconds(::GetTickCount64())));
    if (lines != m_shownLines) {
        m_shownLines = std::move(lines);
        ShowLines();
    }
    const auto fraction = ProgressFraction(board);
    if (!fraction) {
        return; // to and fro until a service has moved on; a bar that moved stays where it was
    }
    if (m_marquee) {
        m_marquee = false;
        ::SendMessageW(m_window, TDM_SET_MARQUEE_PROGRESS_BAR, FALSE, 0);
        ::SendMessageW(m_window, TDM_SET_PROGRESS_BAR_RANGE, 0, MAKELPARAM(0, kBarSteps));
    }
    m_shownPosition = std::max(m_shownPosition, static_cast<int>(*fraction * kBarSteps));
    ::SendMessageW(m_window, TDM_SET_PROGRESS_BAR_POS, static_cast<WPARAM>(m_shownPosition), 0);
}

void ProgressWindow::Close() noexcept
{
    m_closing = true;
    PostClose();
}

void ProgressWindow::StopWaiting() noexcept
{
    if (!m_closing) {
        m_stopped = true;
    }
    PostClose();
}

void ProgressWindow::PostClose() noexcept
{
    if (m_window) {
        ::PostMessageW(m_window, TDM_CLICK_BUTTON, IDCANCEL, 0);
    }
}

HRESULT CALLBACK ProgressWindow::Callback(HWND window, UINT notification, WPARAM, LPARAM, LONG_PTR self)
{
    auto& progress = *reinterpret_cast<ProgressWindow*>(self);
    switch (notification) {
    case TDN_CREATED: {
        progress.m_window = window;
        // The task dialog's text is in the system's message font, at the window's DPI.
        const LOGFONTW font = MessageFont(WindowDpi(window));
        progress.m_font.reset(::CreateFontIndirectW(&font));
        RunTrapped([&] { progress.m_laidOutWidths = progress.LineWidths(progress.m_shownLines); });
        ::SendMessageW(window, TDM_SET_PROGRESS_BAR_MARQUEE, TRUE, kMarqueeSpeed);
        if (progress.m_closing || progress.m_stopped) {
            progress.PostClose();
        }
        break;
    }
    case TDN_TIMER:
        RunTrapped([&] { progress.Refresh(); });
        break;
    case TDN_BUTTON_CLICKED:
        // Stop Waiting, Esc, the title bar's close, or our own click once the work has ended.
        if (!progress.m_closing) {
            progress.m_stopped = true;
        }
        return S_OK;
    case TDN_DESTROYED:
        progress.m_window = nullptr;
        break;
    default:
        break;
    }
    return S_OK;
}

} // namespace quenlow
