#pragma once

#include <string>

// Services that only make the system larger: registered, never started, so that every WMI query
// on Win32_Service has that many more rows to build (Wine builds the whole table each time).
namespace quenlow::testing {

// The short name and the display name of the number-th of them: QuenlowMany0001, "Quenlow Many 0001".
std::wstring ManyServiceName(int number);
std::wstring ManyServiceDisplayName(int number);

// Registers demand-start services 1 to `count` running the given program; those that exist
// already are kept.
void InstallManyServices(int count, const std::wstring& program);

// How many services there are whose name begins with QuenlowMany.
int CountManyServices();

// Deletes every service whose name begins with QuenlowMany; returns how many there were.
int RemoveManyServices();

// How many services and drivers are stopped now.
int CountStoppedServices();

// `count` of them for the length of one test, registered with a program that does not exist so
// that none can ever run. Leftovers of a run that crashed go first; every one is deleted again
// when the object ends (the fixture's clean-up removes any that a crash left behind).
class ScopedManyServices {
public:
    explicit ScopedManyServices(int count);
    ~ScopedManyServices();
    ScopedManyServices(const ScopedManyServices&) = delete;
    ScopedManyServices& operator=(const ScopedManyServices&) = delete;
};

} // namespace quenlow::testing
