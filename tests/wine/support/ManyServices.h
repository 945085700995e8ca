#pragma once

#include <string>

// Services that only make the system larger: registered, never started, so that every WMI query
// on Win32_Service has that many more rows to build (Wine builds the whole table each time).
namespace quenlow::testing {

// Registers demand-start services QuenlowMany0001 to QuenlowMany`count` running the given
// program; those that exist already are kept.
void InstallManyServices(int count, const std::wstring& program);

// How many services there are whose name begins with QuenlowMany.
int CountManyServices();

// Deletes every service whose name begins with QuenlowMany; returns how many there were.
int RemoveManyServices();

// How many services and drivers are stopped now.
int CountStoppedServices();

} // namespace quenlow::testing
