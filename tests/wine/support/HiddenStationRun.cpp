#include "support/HiddenStationRun.h"

#include "support/CapturedOutput.h"
#include "support/ChildProcess.h"
#include "support/HiddenWindowStation.h"

namespace quenlow::testing {

HiddenStationRun RunOnHiddenWindowStation(const std::wstring& program, const std::wstring& arguments,
                                          std::chrono::milliseconds limit)
{
    const HiddenWindowStation station;
    const CapturedOutput output;
    const CapturedOutput error;
    std::wstring commandLine = QuoteArgument(program);
    if (!arguments.empty()) {
        commandLine += L" " + arguments;
    }

    HiddenStationRun run;
    ChildProcess process =
        ChildProcess::Start(commandLine, ChildStartOptions{station.DesktopPath(), output.Handle(), error.Handle()});
    run.processId = process.Id();
    run.exitCode = process.WaitForExit(limit);
    run.endedByItself = run.exitCode.has_value();
    if (!run.endedByItself) {
        process.Terminate();
    }
    run.standardOutput = output.Text();
    run.standardError = error.Text();
    return run;
}

} // namespace quenlow::testing
