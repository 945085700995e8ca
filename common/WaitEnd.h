#pragma once

namespace quenlow {

// Why a wait ended before its work did.
enum class WaitEnd {
    Stopped, // the user stopped waiting
    TimeUp,  // the work's limit was reached
};

} // namespace quenlow
