#pragma once

namespace quenlow {

// The process's exit status, so that scripts can tell what happened.
enum ExitStatus : int {
    kExitSucceeded = 0,
    kExitFailed = 1,         // a service refused the request or did not get there
    kExitNotFound = 2,       // no service has the name
    kExitUntrappedError = 3, // an error ended the program (WMI unreachable, ...)
    kExitUnrecognisedCommand = 4, // the command line was not understood; the windows were shown instead
    kExitStillPending = 5,   // the service was still starting or stopping when the wait ended
    kExitNobodySees = 6,     // the windows were asked for where nobody could see them, and not opened
};

} // namespace quenlow
