#include "services/WmiTableTurn_win.h"

#include "common/HResultText_win.h"
#include "services/ServiceWork.h"

namespace quenlow {

namespace {

// The turn: a mutex, which a call waiting for it can wait for beside its work's events. It is
// held in a scope, so it is never left abandoned; if it were, it would be free.
HANDLE TableMutex()
{
    static const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, nullptr);
    if (!mutex) {
        ThrowLastError(L"creating the lock of WMI's service table");
    }
    return mutex;
}

bool Signalled(HANDLE event) noexcept
{
    return event && ::WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

bool Holds(DWORD waited, DWORD tableIndex) noexcept
{
    return waited == WAIT_OBJECT_0 + tableIndex || waited == WAIT_ABANDONED_0 + tableIndex;
}

} // namespace

bool WorkGivenUp(const WmiWorkEvents* events) noexcept
{
    return events && Signalled(events->givenUp);
}

WmiTableTurn::WmiTableTurn(const WmiWorkEvents* events)
{
    const HANDLE table = TableMutex();
    if (events && (Signalled(events->givenUp) || Signalled(events->stop))) {
        throw RequestNotSent();
    }
    DWORD waited = ::WaitForSingleObject(table, 0);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED_0) {
        return;
    }
    HANDLE handles[3];
    DWORD count = 0;
    for (const HANDLE event : {events ? events->givenUp : nullptr, events ? events->stop : nullptr}) {
        if (event) {
            handles[count++] = event;
        }
    }
    handles[count] = table;
    const bool told = events && events->waitingForGivenUpWork;
    if (told) {
        events->waitingForGivenUpWork(true);
    }
    waited = ::WaitForMultipleObjects(count + 1, handles, FALSE, INFINITE);
    const bool holds = Holds(waited, count);
    if (told) {
        try {
            events->waitingForGivenUpWork(false);
        } catch (...) {
            if (holds) {
                ::ReleaseMutex(table);
            }
            throw;
        }
    }
    if (waited == WAIT_FAILED) {
        ThrowLastError(L"waiting for WMI's service table");
    }
    if (!holds) {
        throw RequestNotSent(); // the wait for the work ended first
    }
}

WmiTableTurn::~WmiTableTurn()
{
    ::ReleaseMutex(TableMutex());
}

} // namespace quenlow
