#pragma once

#include "common/WaitEnd.h"
#include "services/ServiceAccess.h"
#include "services/ServiceOutcome.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What a piece of work on the services is doing, service by service. The worker keeps it up to
// date and hands copies to the window thread, which shows them in the progress window; when the
// work ends, or the user stops waiting, each entry's outcome is read from it.
namespace quenlow {

struct WorkEntry {
    enum class Stage {
        NotAsked, // its turn has not come
        Asking,   // its request is with WMI
        Pending,  // the request was taken; the service is on its way
        Settled,  // outcome is final
    };
    std::wstring label; // the service as the user named it
    Stage stage = Stage::NotAsked;
    std::chrono::milliseconds since{0}; // when the stage began
    // While pending: what the service is doing ("starting") and, where WMI gives it, its check point.
    std::wstring doing;
    std::optional<std::uint32_t> checkPoint;
    // A call of its request has gone out to WMI: from then on it may be carried out.
    bool asked = false;
    ServiceOutcome outcome;
};

struct WorkBoard {
    enum class Kind { ReadList, Start, Stop };
    Kind kind = Kind::ReadList;
    // For a list read: what it lists ("stopped services").
    std::wstring listName;
    std::vector<WorkEntry> entries;
    // When the work began; every entry's first stage began then too.
    std::chrono::milliseconds began{0};
    // How long the whole work may last from then, whatever WMI does; none: until it ends or the
    // user stops waiting.
    std::optional<std::chrono::milliseconds> limit;
    // While the work connects to WMI: when it began. No call cuts a connection short, so the wait
    // gives the work up once this has lasted kWmiAnswerLimit.
    std::optional<std::chrono::milliseconds> connectingSince;
    // While a request of the work waits for WMI to finish a call of work that was given up: since
    // when. That call cannot be cut short, and its request must not meet it (DESIGN.md, Threads).
    std::optional<std::chrono::milliseconds> waitingForGivenUpSince;
    // Every call was refused for want of rights, and the program runs without them: the report
    // says so first.
    bool needsAdministrator = false;
};

WorkBoard ListReadBoard(std::wstring listName);
WorkBoard ServiceActionBoard(ServiceMethod method, std::vector<std::wstring> labels);
// Marks the moment the board's work began.
void MarkBegun(WorkBoard& board, std::chrono::milliseconds now);
ServiceMethod MethodOf(const WorkBoard& board);

// Settles every entry that has not settled, as the wait ended now: one whose turn had not come
// was not asked; one whose request is with WMI was not answered (when the time was up) or, when
// the user stopped waiting, is still on its way once a call of it went out and was not asked
// before that; one that is pending is still on its way.
void EndWait(WorkBoard& board, WaitEnd why, std::chrono::milliseconds now);

// The progress window's most lines, so that it never grows taller than the screen, and its
// longest line, so that none wraps in its fixed width.
inline constexpr std::size_t kMostProgressLines = 10;
inline constexpr std::size_t kLongestProgressLine = 90;

// What the progress window shows: a headline; a line per service, those on their way first, as
// many lines all along, at most kMostProgressLines with "...and N more" as the last; and how far
// the work has come (0 to 1) once a service's check point has moved on; nullopt until then.
std::wstring ProgressHeadline(const WorkBoard& board);
std::vector<std::wstring> ProgressLines(const WorkBoard& board, std::chrono::milliseconds now);
std::optional<double> ProgressFraction(const WorkBoard& board);

} // namespace quenlow
