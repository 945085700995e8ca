// Registers the test services with the service manager ("install") or stops and deletes them
// ("uninstall"). Run by the Wine fixtures before and after the tests; both are safe to repeat.
// "install-slow-pair" registers only the two slow ones whose ticked start the README's picture of
// the progress window shows (scripts/screenshots.sh).
#include "support/ManyServices.h"
#include "support/TestServices.h"

#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>

namespace {

using namespace quenlow::testing;

// Every test service of ours, the self-registered ones that a failed run may have left behind
// included, the hostile ones that the tests register themselves and the many that make the
// system larger.
void RemoveAll()
{
    for (const auto& test : kTestServices) {
        RemoveTestService(test);
    }
    for (const auto& test : kSelfRegisteredTestServices) {
        RemoveTestService(test);
    }
    RemoveHostileServices();
    RemoveManyServices();
}

int Run(const std::wstring& action)
{
    if (action == L"uninstall") {
        RemoveAll();
        std::printf("removed %zu test services\n", kTestServices.size());
        return 0;
    }
    if (action == L"install" || action == L"install-slow-pair") {
        const std::wstring program = TestServiceProgramPath();
        if (::GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES) {
            std::fwprintf(stderr, L"register_test_services: %ls is missing\n", program.c_str());
            return 1;
        }
        // Left-overs of an interrupted run would make CreateServiceW fail.
        RemoveAll();
        if (action == L"install-slow-pair") {
            RegisterTestService(kSlowStart, program);
            RegisterTestService(kPendsForEver, program);
            std::printf("registered 2 test services\n");
            return 0;
        }
        for (const auto& test : kTestServices) {
            RegisterTestService(test, program);
        }
        std::printf("registered %zu test services\n", kTestServices.size());
        return 0;
    }
    std::fprintf(stderr, "usage: register_test_services install|install-slow-pair|uninstall\n");
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
