#pragma once

#include <windows.h>

namespace quenlow {

// What the message loop asks of the windows it runs.
class IMessageLoopClient {
public:
    // Whether the top-level window takes the dialog keys (Tab, Enter, Escape) through the
    // dialog manager.
    virtual bool TakesDialogKeys(HWND root) const = 0;
    // After each message has been handled.
    virtual void AfterEachMessage() = 0;

protected:
    ~IMessageLoopClient() = default;
};

// Dispatches the thread's messages until WM_QUIT.
void RunMessageLoop(IMessageLoopClient& client);

} // namespace quenlow
