#include "start/modStart.h"

#include "services/ServiceFollow.h"
#include "start/CommandLine.h"

namespace quenlow {

ServiceRequest fStartServiceByName(IServiceAccess& access, const std::wstring& ServiceName)
{
    return SendToMatchingServices(access, ServiceKey::Name, ServiceName, ServiceMethod::Start);
}

ServiceRequest fStopServiceByName(IServiceAccess& access, const std::wstring& ServiceName)
{
    return SendToMatchingServices(access, ServiceKey::Name, ServiceName, ServiceMethod::Stop);
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
    case ServiceOutcome::Kind::Unconfirmed:
        return serviceName + (starting ? L" was asked to start, but " : L" was asked to stop, but ") + outcome.reason +
               L".";
    case ServiceOutcome::Kind::Failed:
    case ServiceOutcome::Kind::StillPending:
        break;
    }
    return serviceName + (starting ? L" could not be started: " : L" could not be stopped: ") +
           DescribeFailure(outcome) + L".";
}

int ExitStatusOf(const ServiceOutcome& outcome)
{
    switch (outcome.kind) {
    case ServiceOutcome::Kind::Succeeded:
        return kExitSucceeded;
    case ServiceOutcome::Kind::NotFound:
        return kExitNotFound;
    case ServiceOutcome::Kind::StillPending:
        return kExitStillPending;
    case ServiceOutcome::Kind::Failed:
    case ServiceOutcome::Kind::Unconfirmed:
        break;
    }
    return kExitFailed;
}

int Main(std::wstring_view argumentText, IServiceWork& work, IStartupUi& ui)
{
    const Command command = ParseCommandLine(argumentText);
    switch (command.kind) {
    case Command::Kind::Windowed:
        ui.ShowWindowedPath();
        return kExitSucceeded;
    case Command::Kind::Start:
    case Command::Kind::Stop: {
        const ServiceMethod method = command.kind == Command::Kind::Start ? ServiceMethod::Start : ServiceMethod::Stop;
        const SendRequest send = method == ServiceMethod::Start ? &fStartServiceByName : &fStopServiceByName;
        work.Start(ServiceActionBoard(method, {command.serviceName}), [send](WorkSite& site) { ActOnServices(site, send); });
        const ServiceOutcome outcome = work.Finish().board.entries.front().outcome;
        ui.ShowMessage(CommandLineReport(method, command.serviceName, outcome));
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
