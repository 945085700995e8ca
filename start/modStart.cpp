#include "start/modStart.h"

#include "services/ServiceFollow.h"
#include "start/CommandLine.h"

namespace quenlow {

ServiceOutcome fStartServiceByName(IServiceAccess& access, IClock& clock, const std::wstring& ServiceName)
{
    return CallOnMatchingServices(access, clock, ServiceKey::Name, ServiceName, ServiceMethod::Start);
}

ServiceOutcome fStopServiceByName(IServiceAccess& access, IClock& clock, const std::wstring& ServiceName)
{
    return CallOnMatchingServices(access, clock, ServiceKey::Name, ServiceName, ServiceMethod::Stop);
}

std::wstring CommandLineReport(ServiceMethod method, const std::wstring& serviceName, const ServiceOutcome& outcome)
{
    const bool starting = method == ServiceMethod::Start;
    switch (outcome.kind) {
    case ServiceOutcome::Kind::Succeeded:
        return serviceName + (starting ? L" has started." : L" has stopped.");
    case ServiceOutcome::Kind::NotFound:
        return L"No service is named \"" + serviceName + L"\", so nothing was " +
               (starting ? L"started." : L"stopped.");
    case ServiceOutcome::Kind::Failed:
        break;
    }
    std::wstring text = serviceName + (starting ? L" could not be started: " : L" could not be stopped: ") + outcome.reason;
    if (outcome.returnValue) {
        text += L" (return value " + std::to_wstring(*outcome.returnValue) + L")";
    }
    return text + L".";
}

int ExitStatusOf(const ServiceOutcome& outcome)
{
    switch (outcome.kind) {
    case ServiceOutcome::Kind::Succeeded:
        return kExitSucceeded;
    case ServiceOutcome::Kind::NotFound:
        return kExitNotFound;
    case ServiceOutcome::Kind::Failed:
        break;
    }
    return kExitFailed;
}

int Main(std::wstring_view argumentText, IServiceAccess& access, IClock& clock, IStartupUi& ui)
{
    const Command command = ParseCommandLine(argumentText);
    switch (command.kind) {
    case Command::Kind::Windowed:
        ui.ShowWindowedPath();
        return kExitSucceeded;
    case Command::Kind::Start:
    case Command::Kind::Stop: {
        const bool starting = command.kind == Command::Kind::Start;
        const ServiceOutcome outcome = starting ? fStartServiceByName(access, clock, command.serviceName)
                                                : fStopServiceByName(access, clock, command.serviceName);
        ui.ShowMessage(CommandLineReport(starting ? ServiceMethod::Start : ServiceMethod::Stop,
                                        command.serviceName, outcome));
        return ExitStatusOf(outcome);
    }
    case Command::Kind::Unrecognised:
        break;
    }
    ui.ShowMessage(kUnrecognisedCommandText);
    ui.ShowWindowedPath();
    return kExitUnrecognisedCommand;
}

} // namespace quenlow
