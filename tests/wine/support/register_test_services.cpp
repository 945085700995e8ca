// Registers the test services with the service manager ("install") or stops and deletes them
// ("uninstall"). Run by the Wine fixtures before and after the tests; both are safe to repeat.
#include "support/ServiceManager.h"
#include "support/TestServices.h"
#include "support/UniqueHandle.h"

#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>

namespace {

using namespace quenlow::testing;

void Remove(SC_HANDLE manager, const TestService& test)
{
    const auto service = OpenServiceByName(manager, test.name, DELETE);
    if (!service) {
        return;
    }
    StopTestService(test);
    if (!::DeleteService(service.get()) && ::GetLastError() != ERROR_SERVICE_MARKED_FOR_DELETE) {
        ThrowLastError("DeleteService");
    }
}

void Install(SC_HANDLE manager, const TestService& test, const std::wstring& program)
{
    const std::wstring command = ServiceCommandLine(test, program);
    const std::wstring name(test.name);
    const std::wstring displayName(test.displayName.value_or(L""));
    // A list of names, each ended by a NUL, and one more NUL after the last.
    std::wstring dependencies(test.dependsOn);
    dependencies.append(2, L'\0');
    UniqueServiceHandle service(::CreateServiceW(manager, name.c_str(),
                                                 test.displayName ? displayName.c_str() : nullptr, SERVICE_ALL_ACCESS,
                                                 SERVICE_WIN32_OWN_PROCESS, test.startType, SERVICE_ERROR_NORMAL,
                                                 command.c_str(), nullptr, nullptr,
                                                 test.dependsOn.empty() ? nullptr : dependencies.c_str(), nullptr,
                                                 nullptr));
    if (!service) {
        ThrowLastError("CreateServiceW");
    }
}

int Run(const std::wstring& action)
{
    const auto manager = OpenServiceManager(SC_MANAGER_ALL_ACCESS);
    if (action == L"uninstall") {
        for (const auto& test : kTestServices) {
            Remove(manager.get(), test);
        }
        // The tests register these themselves; a run that failed half-way may have left some.
        RemoveHostileServices();
        std::printf("removed %zu test services\n", kTestServices.size());
        return 0;
    }
    if (action == L"install") {
        const std::wstring program = TestServiceProgramPath();
        if (::GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES) {
            std::fwprintf(stderr, L"register_test_services: %ls is missing\n", program.c_str());
            return 1;
        }
        // Left-overs of an interrupted run would make CreateServiceW fail.
        for (const auto& test : kTestServices) {
            Remove(manager.get(), test);
        }
        RemoveHostileServices();
        for (const auto& test : kTestServices) {
            Install(manager.get(), test, program);
        }
        std::printf("registered %zu test services\n", kTestServices.size());
        return 0;
    }
    std::fprintf(stderr, "usage: register_test_services install|uninstall\n");
    return 2;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    try {
        return Run(argc == 2 ? argv[1] : L"");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "register_test_services: %s\n", error.what());
        return 1;
    }
}
