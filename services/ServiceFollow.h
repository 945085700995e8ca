#pragma once

#include "services/ServiceRequest.h"
#include "services/ServiceWork.h"

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

// A start or stop counts only when the service got there. WMI's methods return as soon as the
// service manager has passed the request on, while the service may still be starting, stop
// again with an error, or take a stop back: each service a request reached is followed through
// its State until it is Running (start) or Stopped (stop), or has settled elsewhere.
namespace quenlow {

struct FollowRules {
    // The first look is at once; then the intervals grow by half each time from the first to
    // the longest: a service is seen within a fifth of a second of getting there, and a look (one
    // query for the pending services alone) costs little.
    std::chrono::milliseconds firstInterval{100};
    std::chrono::milliseconds longestInterval{200};
    // Between two calls a look comes at most this often: the calls go out first.
    std::chrono::milliseconds betweenCalls{1000};
    // How long a pending service may go without progress. Progress is a check point that moves
    // on (where WMI gives CheckPoint; Wine's does not); a wait hint longer than this is allowed
    // in full, as the service manager would.
    std::chrono::milliseconds withoutProgress{30'000};
    // The most the wait for one service may take, progress or not.
    std::chrono::milliseconds inAll{180'000};
};

// Follows the services that requests reached, each from the moment its own call returned, side
// by side: one look covers every service still pending, in one query for them alone through the
// connection of the latest request. What it sees goes onto the work's board; an entry settles when all the
// services of its request have. A look that WMI fails is tried again at the next one; only when
// the time for a service is up without a state is its outcome unconfirmed.
class ServiceFollower {
public:
    explicit ServiceFollower(WorkSite& site, const FollowRules& rules = {});

    // The request for the board's entry has been sent: its entry is pending from now on, or
    // settles at once when no call was taken.
    void Add(std::size_t entry, ServiceRequest request);
    // Between two calls: looks once when the last look is rules.betweenCalls ago and a look is
    // due. A look costs what a call costs under Wine, so the calls go out first and one look
    // then covers them all; a long row of calls still shows how the first ones are doing.
    void LookBetweenCalls();
    // Waits and looks until every entry has settled, or the wait ended (the user stopped waiting,
    // or the work's limit was reached): then every entry still open is settled as such.
    void FollowToTheEnd();

private:
    struct Watch {
        std::size_t entry = 0;
        std::wstring name;
        // When the service's first call returned: the wait for it never lasts longer than allowed
        // in all from there, however often it is asked.
        std::chrono::milliseconds start{0};
        // When the call now followed returned.
        std::chrono::milliseconds since{0};
        std::chrono::milliseconds nextLook{0};
        std::chrono::milliseconds interval{0};
        std::chrono::milliseconds progressAt{0};
        std::chrono::milliseconds allowance{0};
        std::optional<std::uint32_t> checkPoint;
        // Looks that found it on its way since the call now followed: it is never given up at
        // the first, however late that came.
        int looksOnItsWay = 0;
        // Why the call may not have reached the service yet, when WMI did not answer it: until
        // the service is seen on its way, a state short of the goal only means waiting.
        std::optional<std::wstring> unanswered;
        // Still on its way the other way: followed there first, then asked once more.
        bool sendAgain = false;
        // A stop has begun once the service was seen stopping: a service may take the request
        // and report it a moment later.
        bool begun = false;
        bool settled = false;
    };

    // What one look saw: the services found, or why WMI could not tell.
    struct Sighting {
        std::chrono::milliseconds lookedAt{0};
        std::vector<std::unique_ptr<IServiceObject>> found;
        std::optional<std::wstring> failure;
    };

    std::chrono::milliseconds Deadline(const Watch& watch) const;
    // A look: the pending services' states read in one query, then judged one by one.
    void Look();
    Sighting ReadStates(const std::vector<Watch*>& pending);
    void JudgeSighting(const std::vector<Watch*>& pending, const Sighting& sighting);
    void Judge(Watch& watch, IServiceObject* service, std::chrono::milliseconds now);
    void JudgeTheOtherWay(Watch& watch, IServiceObject* service, std::chrono::milliseconds now);
    // The service is on its way (doing it): its progress is noted, and it is given up when its
    // time is up.
    void OnItsWay(Watch& watch, IServiceObject& service, std::wstring_view doing, std::chrono::milliseconds now);
    // The call has not shown yet (WMI did not answer it, or a stop is not reported yet): waited
    // for until the service's time is up, then failed for the reason given.
    void WaitForTheCall(Watch& watch, const std::wstring& reasonWhenTimeIsUp, std::chrono::milliseconds now);
    // WMI could not tell the service's state this time: asked again, until its time is up.
    void StateUnread(Watch& watch, const std::wstring& reason, std::chrono::milliseconds now);
    bool TimeIsUp(const Watch& watch, std::chrono::milliseconds now) const;
    void SendAgain(Watch& watch);
    void Restart(Watch& watch, std::chrono::milliseconds now) const;
    void Succeed(Watch& watch);
    void Fail(Watch& watch, std::wstring reason, std::optional<std::int32_t> returnValue = {});
    void GiveUp(Watch& watch, std::wstring reason);
    void Unconfirmed(Watch& watch, std::wstring reason);
    void SettleEntryIfDone(std::size_t entry);
    bool AnyPending() const;

    WorkSite& m_site;
    FollowRules m_rules;
    // Per board entry, the request sent for it.
    std::vector<std::optional<ServiceRequest>> m_requests;
    std::vector<Watch> m_watches;
    IServiceConnection* m_latestConnection = nullptr;
    std::chrono::milliseconds m_lastLook{0};
};

// What sends one entry's request: the entry's label in, the request as sent out.
using SendRequest = std::function<ServiceRequest(IServiceAccess&, const std::wstring&)>;

// Sends the board's method for each entry in its turn, through send, and follows every service a
// call reached from the moment its call returned, until all have settled or the wait ended. Once
// the wait has ended nothing more goes out: an entry whose services were still being found then
// was not asked, and never is. An error that send lets through ends the work.
void ActOnServices(WorkSite& site, const SendRequest& send, const FollowRules& rules = {});

} // namespace quenlow
