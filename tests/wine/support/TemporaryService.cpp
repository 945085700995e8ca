#include "support/TemporaryService.h"

#include "support/UniqueHandle.h"

#include <exception>

namespace quenlow::testing {

namespace {

constexpr wchar_t kNoSuchProgram[] = L"C:\\quenlow-test-no-such-program.exe";

} // namespace

TemporaryService::TemporaryService(std::wstring name, std::wstring displayName)
    : TemporaryService(std::move(name), std::move(displayName), kNoSuchProgram)
{
}

TemporaryService::TemporaryService(std::wstring name, std::wstring displayName, const std::wstring& commandLine)
    : m_name(std::move(name)), m_displayName(std::move(displayName))
{
    const auto manager = OpenServiceManager(SC_MANAGER_CREATE_SERVICE);
    // A leftover of an interrupted run goes first.
    if (const auto old = OpenServiceByName(manager.get(), m_name, DELETE)) {
        ::DeleteService(old.get());
    }
    m_service.reset(::CreateServiceW(
        manager.get(), m_name.c_str(), m_displayName.c_str(), DELETE, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
        SERVICE_ERROR_IGNORE, commandLine.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
    if (!m_service) {
        ThrowLastError("CreateServiceW (temporary service)");
    }
}

TemporaryService::~TemporaryService()
{
    // A running service would only be marked for deletion.
    if (QueryServiceState(m_name).value_or(SERVICE_STOPPED) != SERVICE_STOPPED) {
        try {
            StopServiceDirectly(m_name);
        } catch (const std::exception&) {
            // Deleted all the same: it goes once it stops.
        }
    }
    ::DeleteService(m_service.get());
}

} // namespace quenlow::testing
