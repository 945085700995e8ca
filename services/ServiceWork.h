#pragma once

#include "common/Clock.h"
#include "services/ServiceAccess.h"
#include "services/WorkBoard.h"

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Work on the services runs away from the windows, one piece at a time: the window thread starts
// it and finishes it, and the windows go on answering in between.
namespace quenlow {

// A list read that ended without its list, for either reason below: what was to show it goes.
class ListGivenUp : public std::exception {};

// The user stopped waiting for work whose result is of no use in part: a list that was being read.
class WaitStopped final : public ListGivenUp {
public:
    const char* what() const noexcept override { return "the user stopped waiting"; }
};

// A list could not be read (WMI failed or did not answer); the reason in a report's words.
class ListNotRead final : public ListGivenUp {
public:
    explicit ListNotRead(std::wstring reason) : m_reason(std::move(reason)) {}
    const std::wstring& Reason() const noexcept { return m_reason; }
    const char* what() const noexcept override { return "the list could not be read"; }

private:
    std::wstring m_reason;
};

// The wait for the work ended (the user stopped waiting, its time was up, or it was given up)
// before WMI was asked something more: nothing more is asked of WMI for this work, not even the
// next instance of a result that a given-up walk was reading.
class RequestNotSent final : public std::exception {
public:
    const char* what() const noexcept override { return "the wait ended before the request went out"; }
};

// Where the worker hands over what a piece of work is doing.
class IWorkReport {
public:
    virtual ~IWorkReport() = default;
    virtual void Update(const WorkBoard& board) = 0;
};

class WorkSite;

// The services as a piece of work reaches them: while it connects, its board says since when, and
// no request goes out once the wait for the work has ended (RequestNotSent instead).
class SiteServiceAccess final : public IServiceAccess {
public:
    SiteServiceAccess(IServiceAccess& access, WorkSite& site) : m_access(access), m_site(site) {}
    std::unique_ptr<IServiceConnection> fConnectWmi() override;
    bool CallerIsElevated() override { return m_access.CallerIsElevated(); }

private:
    IServiceAccess& m_access;
    WorkSite& m_site;
};

// What a piece of work has while it runs. Its board was marked begun when the work was started.
class WorkSite {
public:
    WorkSite(IServiceAccess& access, IClock& time, IWorkReport& report, WorkBoard work)
        : services(m_access), clock(time), board(std::move(work)), m_access(access, *this), m_report(report)
    {
    }
    WorkSite(const WorkSite&) = delete;
    WorkSite& operator=(const WorkSite&) = delete;

    IServiceAccess& services;
    IClock& clock;
    WorkBoard board;
    // A list the work read.
    std::vector<std::wstring> texts;

    // The board's entry whose request is being sent, if any: it counts as asked from the moment
    // its first call goes out.
    std::optional<std::size_t> sending;

    // Hands a copy of the board to the window thread.
    void Report() { m_report.Update(board); }
    // Before every request to WMI: none goes out once the wait has ended.
    void BeforeRequest();
    // Before every method call: the entry being sent is marked asked, and the window thread told
    // so, before the call goes out. Returns whether this call marked it.
    bool BeforeCall();
    // A call marked asked did not go out after all.
    void CallNotSent(bool marked);
    // A request waits for WMI to finish a call of work that was given up, or no longer does.
    void WaitingForGivenUpWork(bool waiting);

    // The moment the work's limit is reached; max when it has none.
    std::chrono::milliseconds LimitAt() const
    {
        return board.limit ? board.began + *board.limit : std::chrono::milliseconds::max();
    }
    // Why the wait for the work has ended before the work, if it has.
    std::optional<WaitEnd> WaitEnded()
    {
        if (clock.StopRequested()) {
            return WaitEnd::Stopped;
        }
        if (clock.Now() >= LimitAt()) {
            return WaitEnd::TimeUp;
        }
        return std::nullopt;
    }

private:
    SiteServiceAccess m_access;
    IWorkReport& m_report;
};

using Work = std::function<void(WorkSite&)>;

struct WorkResult {
    WorkBoard board;
    std::vector<std::wstring> texts;
    // The user stopped waiting before the work ended: StopWaiting has settled the board.
    bool stopped = false;
};

// The worker as the window thread sees it.
class IServiceWork {
public:
    virtual ~IServiceWork() = default;

    // Starts the work and returns at once, its board marked begun. Work started before and not
    // finished is given up.
    virtual void Start(WorkBoard board, Work work) = 0;
    // Returns once the work has ended or the user has stopped waiting for it. Meanwhile the
    // windows go on, and a progress window shows what the work is doing once it has lasted a
    // second. An error the work did not trap is thrown again here.
    virtual WorkResult Finish() = 0;
    // Stops waiting, as Stop Waiting does, for the user's request by other means (the window
    // whose event started the work was closed from outside); nothing when no wait runs.
    virtual void StopWaiting() = 0;
};

} // namespace quenlow
