#pragma once

namespace quenlow {

// COM for the thread that talks to WMI: the multithreaded apartment, from construction to
// destruction. Throws quenlow::Error when COM cannot be initialised.
class ComApartment {
public:
    ComApartment();
    ~ComApartment();

    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};

// The process's COM security: default authentication, and WMI may impersonate the user
// (starting and stopping services acts as the user). A process whose security was already set
// (RPC_E_TOO_LATE) keeps it; other failures throw quenlow::Error.
void InitializeComSecurity();

} // namespace quenlow
