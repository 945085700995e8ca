#pragma once

#include "support/ServiceManager.h"

#include <string>
#include <string_view>

namespace quenlow::testing {

// A service registered for the length of one test and deleted again when the object ends. Its
// program does not exist, unless one is given: then it can be started.
class TemporaryService {
public:
    TemporaryService(std::wstring name, std::wstring displayName);
    // A service that runs the command line when started (see ServiceCommandLine); it is
    // stopped, if it runs, before it is deleted.
    TemporaryService(std::wstring name, std::wstring displayName, const std::wstring& commandLine);
    ~TemporaryService();
    TemporaryService(const TemporaryService&) = delete;
    TemporaryService& operator=(const TemporaryService&) = delete;

    const std::wstring& Name() const noexcept { return m_name; }
    const std::wstring& DisplayName() const noexcept { return m_displayName; }

private:
    std::wstring m_name;
    std::wstring m_displayName;
    UniqueServiceHandle m_service;
};

} // namespace quenlow::testing
