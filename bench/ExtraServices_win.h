#pragma once

#include <string>

// Services that only make the system larger: registered, never started, so that every WMI query
// on Win32_Service has that many more rows to build.
namespace quenlow::bench {

// Registers demand-start services QuenlowBench001 to QuenlowBench`count` running the given
// program; those that exist already are kept.
void InstallExtraServices(int count, const std::wstring& program);

// How many services there are whose name begins with QuenlowBench.
int CountExtraServices();

// Deletes every service whose name begins with QuenlowBench; returns how many there were.
int UninstallExtraServices();

// How many services and drivers are stopped now.
int CountStoppedServices();

} // namespace quenlow::bench
