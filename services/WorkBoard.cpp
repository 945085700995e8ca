#include "services/WorkBoard.h"

#include "services/ActionWords.h"

#include <algorithm>

namespace quenlow {

namespace {

using Stage = WorkEntry::Stage;

// While a request waits for WMI to finish a call of work that was given up, in a line's words.
std::wstring WaitingForGivenUpWork(const WorkBoard& board, std::chrono::milliseconds now)
{
    return L"waiting for WMI to finish work that was given up, " +
           DescribeDuration(now - *board.waitingForGivenUpSince);
}

std::wstring EntryLine(const WorkEntry& entry, const WorkBoard& board, std::chrono::milliseconds now)
{
    const ServiceMethod method = MethodOf(board);
    const std::wstring waited = L", " + DescribeDuration(now - entry.since);
    switch (entry.stage) {
    case Stage::NotAsked:
        return entry.label + L": not asked yet";
    case Stage::Asking:
        if (board.waitingForGivenUpSince) {
            return entry.label + L": " + WaitingForGivenUpWork(board, now);
        }
        return entry.label + L": sending the " + std::wstring(WordsOf(method).verb) + L" request" + waited;
    case Stage::Pending:
        return entry.label + L": " + entry.doing + waited;
    case Stage::Settled:
        break;
    }
    return DescribeOutcome(OutcomeVoice::ProgressLine, method, entry.label, entry.outcome);
}

} // namespace

WorkBoard ListReadBoard(std::wstring listName)
{
    WorkBoard board;
    board.kind = WorkBoard::Kind::ReadList;
    board.listName = std::move(listName);
    return board;
}

WorkBoard ServiceActionBoard(ServiceMethod method, std::vector<std::wstring> labels)
{
    WorkBoard board;
    board.kind = method == ServiceMethod::Start ? WorkBoard::Kind::Start : WorkBoard::Kind::Stop;
    for (auto& label : labels) {
        WorkEntry entry;
        entry.label = std::move(label);
        board.entries.push_back(std::move(entry));
    }
    return board;
}

void MarkBegun(WorkBoard& board, std::chrono::milliseconds now)
{
    board.began = now;
    for (auto& entry : board.entries) {
        entry.since = now;
    }
}

ServiceMethod MethodOf(const WorkBoard& board)
{
    return board.kind == WorkBoard::Kind::Stop ? ServiceMethod::Stop : ServiceMethod::Start;
}

void EndWait(WorkBoard& board, WaitEnd why, std::chrono::milliseconds now)
{
    const ActionWords& words = WordsOf(MethodOf(board));
    const bool stopped = why == WaitEnd::Stopped;
    for (auto& entry : board.entries) {
        const std::wstring doing = entry.doing.empty() ? std::wstring(words.doing) : entry.doing;
        // An entry still being looked up when the user stopped waiting was not asked: no call of
        // it went out, and none will.
        const bool lookingUp = entry.stage == Stage::Asking && stopped && !entry.asked;
        switch (lookingUp ? Stage::NotAsked : entry.stage) {
        case Stage::Settled:
            continue;
        case Stage::NotAsked:
            RecordFailure(entry.outcome, L"it was not asked to " + std::wstring(words.verb) + L", as the " +
                                             (stopped ? L"wait was stopped" : L"time allowed ran out") +
                                             L" before its turn");
            break;
        case Stage::Asking:
            if (!stopped) {
                RecordFailure(entry.outcome, ErrorReason(NoAnswerFromWmi(now - entry.since)));
                break;
            }
            [[fallthrough]];
        case Stage::Pending:
            RecordStillPending(entry.outcome, L"it was still " + doing +
                                                  (stopped ? L" when the wait was stopped"
                                                           : L" after " + DescribeDuration(now - entry.since)));
            break;
        }
        entry.stage = Stage::Settled;
        entry.since = now;
    }
}

std::wstring ProgressHeadline(const WorkBoard& board)
{
    if (board.kind == WorkBoard::Kind::ReadList) {
        return L"Reading the list of " + board.listName;
    }
    const std::wstring verb = std::wstring(WordsOf(MethodOf(board)).heading) + L" ";
    if (board.entries.size() == 1) {
        return verb + board.entries.front().label;
    }
    return verb + std::to_wstring(board.entries.size()) + L" services";
}

std::vector<std::wstring> ProgressLines(const WorkBoard& board, std::chrono::milliseconds now)
{
    if (board.kind == WorkBoard::Kind::ReadList) {
        if (board.waitingForGivenUpSince) {
            std::wstring line = WaitingForGivenUpWork(board, now);
            line[0] = L'W';
            return {line};
        }
        return {L"Waiting for WMI, " + DescribeDuration(now - board.began)};
    }
    // The services on their way first, then those whose turn has not come, then those that have
    // settled, each in list order.
    const auto rank = [](const WorkEntry& entry) {
        return entry.stage == Stage::Settled ? 2 : entry.stage == Stage::NotAsked ? 1 : 0;
    };
    std::vector<const WorkEntry*> order;
    for (const auto& entry : board.entries) {
        order.push_back(&entry);
    }
    std::stable_sort(order.begin(), order.end(), [&](const WorkEntry* a, const WorkEntry* b) { return rank(*a) < rank(*b); });
    const std::size_t shown = order.size() > kMostProgressLines ? kMostProgressLines - 1 : order.size();
    std::vector<std::wstring> lines;
    for (std::size_t i = 0; i < shown; ++i) {
        std::wstring line = EntryLine(*order[i], board, now);
        if (line.size() > kLongestProgressLine) {
            line = line.substr(0, kLongestProgressLine - 1) + L"\u2026";
        }
        lines.push_back(std::move(line));
    }
    if (shown < order.size()) {
        lines.push_back(L"\u2026and " + std::to_wstring(order.size() - shown) + L" more");
    }
    return lines;
}

std::optional<double> ProgressFraction(const WorkBoard& board)
{
    double done = 0;
    bool anyProgress = false;
    for (const auto& entry : board.entries) {
        if (entry.stage == Stage::Settled) {
            done += 1;
        } else if (entry.stage == Stage::Pending && entry.checkPoint && *entry.checkPoint > 0) {
            // A check point has no known end: each one brings the entry closer to done. Windows
            // gives 0 for most services, and many never move it: only one that has moved on
            // says anything.
            anyProgress = true;
            done += static_cast<double>(*entry.checkPoint) / (*entry.checkPoint + 1.0);
        }
    }
    if (!anyProgress) {
        return std::nullopt;
    }
    return done / static_cast<double>(board.entries.size());
}

} // namespace quenlow
