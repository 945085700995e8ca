#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What the program needs of WMI's Win32_Service class, in portable types. Every failure is
// thrown as quenlow::Error (number and readable description). Each caller opens its own
// connection, runs one query, walks it once and lets everything go when it returns. No request
// waits without end: a query or a method call that WMI does not answer within its limit fails
// with an error that says so (NoAnswerFromWmi).
namespace quenlow {

enum class ServiceMethod { Start, Stop };

// How long WMI is given to answer one query or one method call. A start through the service
// manager may take its own 30 s before it gives up on a service that never reports, so a call is
// given more than that.
inline constexpr std::chrono::milliseconds kWmiAnswerLimit{60'000};

// One Win32_Service instance of a result set.
class IServiceObject {
public:
    virtual ~IServiceObject() = default;

    // The text of a string property such as L"DisplayName", L"Name" or L"State";
    // nullopt when WMI holds null for it.
    virtual std::optional<std::wstring> ReadText(std::wstring_view property) = 0;

    // The value of an unsigned number property such as L"CheckPoint" or L"ExitCode"; nullopt
    // when WMI holds null for it or its class has no such property (Wine's has fewer than
    // Windows').
    virtual std::optional<std::uint32_t> ReadUnsigned(std::wstring_view property) = 0;

    // Calls the method with no arguments and returns its ReturnValue.
    virtual std::int32_t CallMethod(ServiceMethod method, std::chrono::milliseconds answerWithin) = 0;
};

// A result set, walked once, forward only.
class IServiceResult {
public:
    virtual ~IServiceResult() = default;

    // The next instance, or nullptr after the last one.
    virtual std::unique_ptr<IServiceObject> Next() = 0;
};

// Every instance a result still holds, in its order.
inline std::vector<std::unique_ptr<IServiceObject>> ReadAll(IServiceResult& result)
{
    std::vector<std::unique_ptr<IServiceObject>> instances;
    while (auto service = result.Next()) {
        instances.push_back(std::move(service));
    }
    return instances;
}

// A connection to root\cimv2 on the local computer.
class IServiceConnection {
public:
    virtual ~IServiceConnection() = default;

    // Runs one WQL query and reads its whole result, keeping of each instance only the properties
    // named (its object path among them when wmi::kPath is): reading another is an error, and a
    // property the class lacks (Wine's has fewer than Windows') reads as null.
    virtual std::unique_ptr<IServiceResult> ExecQuery(std::wstring_view query, std::span<const std::wstring_view> keep,
                                                      std::chrono::milliseconds answerWithin) = 0;

    // The same query, each instance handed to `visit` as it is read and let go of after it: a
    // long list is then never held twice. `visit` may read the instance but asks WMI nothing.
    virtual void VisitQuery(std::wstring_view query, std::span<const std::wstring_view> keep,
                            std::chrono::milliseconds answerWithin, const std::function<void(IServiceObject&)>& visit)
    {
        const auto result = ExecQuery(query, keep, answerWithin);
        while (const auto service = result->Next()) {
            visit(*service);
        }
    }
};

class IServiceAccess {
public:
    virtual ~IServiceAccess() = default;

    // Opens a fresh connection; the only way in to WMI. No call cuts it short: a piece of work's
    // board says while it is being made, and the wait gives the work up after kWmiAnswerLimit.
    virtual std::unique_ptr<IServiceConnection> fConnectWmi() = 0;

    // Whether the program runs with administrator rights (elevated), which starting and
    // stopping most services needs.
    virtual bool CallerIsElevated() = 0;
};

} // namespace quenlow
