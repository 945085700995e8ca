#include "services/ServiceWork.h"

#include <utility>

namespace quenlow {

namespace {

// An instance as the work reaches it: its method is called only while the wait for the work lasts.
class SiteServiceObject final : public IServiceObject {
public:
    SiteServiceObject(std::unique_ptr<IServiceObject> service, WorkSite& site)
        : m_service(std::move(service)), m_site(site)
    {
    }

    std::optional<std::wstring> ReadText(std::wstring_view property) override { return m_service->ReadText(property); }
    std::optional<std::uint32_t> ReadUnsigned(std::wstring_view property) override
    {
        return m_service->ReadUnsigned(property);
    }
    std::int32_t CallMethod(ServiceMethod method, std::chrono::milliseconds answerWithin) override
    {
        const bool marked = m_site.BeforeCall();
        try {
            return m_service->CallMethod(method, answerWithin);
        } catch (const RequestNotSent&) {
            m_site.CallNotSent(marked); // the wait ended while the call waited for its turn
            throw;
        }
    }

private:
    std::unique_ptr<IServiceObject> m_service;
    WorkSite& m_site;
};

class SiteServiceResult final : public IServiceResult {
public:
    SiteServiceResult(std::unique_ptr<IServiceResult> result, WorkSite& site) : m_result(std::move(result)), m_site(site)
    {
    }

    std::unique_ptr<IServiceObject> Next() override
    {
        auto service = m_result->Next();
        return service ? std::make_unique<SiteServiceObject>(std::move(service), m_site) : nullptr;
    }

private:
    std::unique_ptr<IServiceResult> m_result;
    WorkSite& m_site;
};

class SiteServiceConnection final : public IServiceConnection {
public:
    SiteServiceConnection(std::unique_ptr<IServiceConnection> connection, WorkSite& site)
        : m_connection(std::move(connection)), m_site(site)
    {
    }

    std::unique_ptr<IServiceResult> ExecQuery(std::wstring_view query, std::span<const std::wstring_view> keep,
                                              std::chrono::milliseconds answerWithin) override
    {
        m_site.BeforeRequest();
        return std::make_unique<SiteServiceResult>(m_connection->ExecQuery(query, keep, answerWithin), m_site);
    }

    void VisitQuery(std::wstring_view query, std::span<const std::wstring_view> keep,
                    std::chrono::milliseconds answerWithin, const std::function<void(IServiceObject&)>& visit) override
    {
        m_site.BeforeRequest();
        m_connection->VisitQuery(query, keep, answerWithin, visit);
    }

private:
    std::unique_ptr<IServiceConnection> m_connection;
    WorkSite& m_site;
};

} // namespace

std::unique_ptr<IServiceConnection> SiteServiceAccess::fConnectWmi()
{
    m_site.BeforeRequest();
    m_site.board.connectingSince = m_site.clock.Now();
    m_site.Report();
    std::unique_ptr<IServiceConnection> connection;
    std::exception_ptr failure;
    try {
        connection = m_access.fConnectWmi();
    } catch (...) {
        failure = std::current_exception();
    }
    m_site.board.connectingSince.reset();
    m_site.Report();
    if (failure) {
        std::rethrow_exception(failure);
    }
    return std::make_unique<SiteServiceConnection>(std::move(connection), m_site);
}

void WorkSite::BeforeRequest()
{
    if (WaitEnded()) {
        throw RequestNotSent();
    }
}

bool WorkSite::BeforeCall()
{
    BeforeRequest();
    if (!sending || board.entries.at(*sending).asked) {
        return false;
    }
    // The window thread learns of the call before it goes out: a wait given up from now on says
    // the entry may have been carried out. A give-up that came first stopped the wait already.
    board.entries[*sending].asked = true;
    Report();
    if (clock.StopRequested()) {
        CallNotSent(true);
        throw RequestNotSent();
    }
    return true;
}

void WorkSite::CallNotSent(bool marked)
{
    if (marked && sending) {
        board.entries.at(*sending).asked = false;
        Report();
    }
}

void WorkSite::WaitingForGivenUpWork(bool waiting)
{
    board.waitingForGivenUpSince = waiting ? std::optional(clock.Now()) : std::nullopt;
    Report();
}

} // namespace quenlow
