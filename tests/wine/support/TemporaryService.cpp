#include "support/TemporaryService.h"

#include "support/UniqueHandle.h"

namespace quenlow::testing {

TemporaryService::TemporaryService(std::wstring name, std::wstring displayName)
    : m_name(std::move(name)), m_displayName(std::move(displayName))
{
    const auto manager = OpenServiceManager(SC_MANAGER_CREATE_SERVICE);
    // A leftover of an interrupted run goes first.
    if (const auto old = OpenServiceByName(manager.get(), m_name, DELETE)) {
        ::DeleteService(old.get());
    }
    m_service.reset(::CreateServiceW(
        manager.get(), m_name.c_str(), m_displayName.c_str(), DELETE, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
        SERVICE_ERROR_IGNORE, L"C:\\quenlow-test-no-such-program.exe", nullptr, nullptr, nullptr, nullptr, nullptr));
    if (!m_service) {
        ThrowLastError("CreateServiceW (temporary service)");
    }
}

TemporaryService::~TemporaryService()
{
    ::DeleteService(m_service.get());
}

} // namespace quenlow::testing
