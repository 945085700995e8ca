#pragma once

#include "common/ExitStatus.h"
#include "services/ServiceAccess.h"
#include "services/ServiceOutcome.h"
#include "services/ServiceRequest.h"
#include "services/ServiceWork.h"

#include <chrono>
#include <string>
#include <string_view>

namespace quenlow {

// What the start-up procedure needs of the user interface.
class IStartupUi {
public:
    virtual ~IStartupUi() = default;
    // A modal box with the text, an OK button and the application title.
    virtual void ShowMessage(std::wstring_view text) = 0;
    // The same box with Yes and No: true for Yes; No where nobody could answer it.
    virtual bool AskYesNo(std::wstring_view question) = 0;
    // Opens the first window of the windowed path; false when nobody could see it, so none opened.
    virtual bool ShowWindowedPath() = 0;
};

inline constexpr std::wstring_view kUnrecognisedCommandText = L"Error initializing Command";

// How long a start or stop by name may take in all, whatever WMI does: a script waits for the
// exit status, and with start-up and the report the program ends within 4 minutes.
inline constexpr std::chrono::milliseconds kCommandLineLimit{225'000};

// Reads the command line once and takes the windowed or the command-line path. Returns the
// exit status the process ends with once its windows (if any) are gone. A start or stop runs on
// the worker and is followed until the service got there, settled elsewhere or the wait ended.
// Errors from WMI while the request is sent are not caught, and a connection that WMI never
// answered is thrown as such an error (NoAnswerFromWmi): either way WMI could not be reached.
int Main(std::wstring_view argumentText, IServiceWork& work, IStartupUi& ui);

// Start or stop every service whose short name is ServiceName.
ServiceRequest fStartServiceByName(IServiceAccess& access, const std::wstring& ServiceName);
ServiceRequest fStopServiceByName(IServiceAccess& access, const std::wstring& ServiceName);

// The message that reports a command-line request, after a sentence on the rights it needs when
// that is the reason, and the exit status that goes with it.
std::wstring CommandLineReport(ServiceMethod method, const std::wstring& serviceName, const ServiceOutcome& outcome,
                               bool needsAdministrator = false);
int ExitStatusOf(const ServiceOutcome& outcome);

} // namespace quenlow
