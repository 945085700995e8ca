#include "support/CommandLineRun.h"

#include "support/ChildProcess.h"
#include "support/MessageBoxes.h"
#include "support/TestOptions.h"

namespace quenlow::testing {

std::wstring QuenlowCommandLine(std::wstring_view arguments)
{
    return QuoteArgument(QuenlowProgramPath()) + L" " + std::wstring(arguments);
}

CommandLineRun RunQuenlowCommand(std::wstring_view arguments, std::chrono::milliseconds messageTimeout)
{
    ChildProcess process = ChildProcess::Start(QuenlowCommandLine(arguments));
    CommandLineRun run;
    auto box = WaitForMessageBox(process, messageTimeout);
    if (box && IsQuestion(box->window)) {
        run.question = box->text;
        box = AnswerQuestion(box->window, false) ? WaitForMessageBox(process, messageTimeout) : std::nullopt;
    }
    if (box) {
        run.message = box->text;
        if (AnswerOk(box->window)) {
            // The program ends after its one message; a second box would wait for a user.
            run.secondMessage = WaitForMessageBox(process, kNothingHappensFor).has_value();
        }
    }
    run.exitCode = process.WaitForExit(kProcessEndsWithin);
    return run;
}

} // namespace quenlow::testing
