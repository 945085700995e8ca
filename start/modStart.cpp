#include "start/modStart.h"

#include "services/ActionWords.h"
#include "services/ServiceJobs.h"
#include "start/CommandLine.h"
#include "start/NameDependents.h"

namespace quenlow {

ServiceRequest fStartServiceByName(IServiceAccess& access, const std::wstring& ServiceName)
{
    return SendToMatchingServices(access, ServiceKey::Name, ServiceName, ServiceMethod::Start);
}

ServiceRequest fStopServiceByName(IServiceAccess& access, const std::wstring& ServiceName)
{
    return SendToMatchingServices(access, ServiceKey::Name, ServiceName, ServiceMethod::Stop);
}

std::wstring CommandLineReport(ServiceMethod method, const std::wstring& serviceName, const ServiceOutcome& outcome,
                               bool needsAdministrator)
{
    const std::wstring line = DescribeOutcome(OutcomeVoice::CommandLine, method, serviceName, outcome);
    return needsAdministrator ? std::wstring(kNeedsAdministratorText) + L"\n\n" + line : line;
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

namespace {

// A connection that WMI never answered, which the wait gave up once it had taken WMI's limit,
// ends the command line as one that WMI refused does: WMI could not be reached, status 3.
void ThrowIfWmiWasNeverReached(const WorkBoard& done)
{
    if (done.connectingSince && done.entries.front().since - *done.connectingSince >= kWmiAnswerLimit) {
        throw NoAnswerFromWmi(kWmiAnswerLimit);
    }
}

} // namespace

int Main(std::wstring_view argumentText, IServiceWork& work, IStartupUi& ui)
{
    const Command command = ParseCommandLine(argumentText);
    switch (command.kind) {
    case Command::Kind::Windowed:
        return ui.ShowWindowedPath() ? kExitSucceeded : kExitNobodySees;
    case Command::Kind::Start:
    case Command::Kind::Stop: {
        const ServiceMethod method = command.kind == Command::Kind::Start ? ServiceMethod::Start : ServiceMethod::Stop;
        WorkBoard board = ServiceActionBoard(method, {command.serviceName});
        board.limit = kCommandLineLimit;
        work.Start(std::move(board),
                   ActOnServiceName(method == ServiceMethod::Start ? &fStartServiceByName : &fStopServiceByName));
        const WorkResult pressed = work.Finish();
        const WorkBoard& done = pressed.board;
        ThrowIfWmiWasNeverReached(done);
        ServiceOutcome outcome = done.entries.front().outcome;
        const std::wstring dependents = StopNameWithDependents(work, ui, command.serviceName, pressed, outcome);
        ui.ShowMessage(CommandLineReport(method, command.serviceName, outcome, done.needsAdministrator) + dependents);
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
