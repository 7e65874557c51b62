// The message-flow requests of the executor. The hold has three states: not holding (the GUI
// loop runs), holding (the outer loop: requests only) and resumed (the inner loop: all
// messages). A quit state set by PostQuitMessage leaves every state and stays pending for the
// next loop out; a WM_QUIT posted as a thread message is taken only in the resumed state.
#include "kernel/message_flow_requests.h"

#include "kernel/gui_request.h"
#include "kernel/last_event.h"
#include "kernel/runtime_state.h"

namespace {

constexpr WPARAM endHoldCode = requestBase + EndHoldOpcode;
constexpr WPARAM resumeMessagesCode = requestBase + ResumeMessagesOpcode;
constexpr WPARAM suspendMessagesCode = requestBase + SuspendMessagesOpcode;

// The next request of the holding state, or the quit state as WM_QUIT. False once the program
// thread has ended: no EndHoldRequest can come any more, and the quit message that the program
// posted on its way out must reach the GUI loop.
bool NextHeldRequest(MSG& message)
{
    for (;;) {
        if (PeekMessageA(&message, nullptr, requestMessage, requestMessage, PM_REMOVE))
            return true;
        HANDLE thread = runtime.programThreadHandle;
        // Wakes for messages that arrive after the look above, not for those already waiting.
        if (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_POSTMESSAGE | QS_SENDMESSAGE) == WAIT_OBJECT_0)
            return false;
    }
}

// All messages, as in the GUI loop, until SuspendMessagesRequest or a quit (posted again).
void PassAllMessages()
{
    MSG message;
    for (;;) {
        if (GetMessageA(&message, nullptr, 0, 0) <= 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (message.message == requestMessage) {
            if (message.wParam == suspendMessagesCode)
                return;
            ExecuteGuiRequest(message);
            continue;
        }
        // Recorded before dispatching, so that the window procedure's own records stand last.
        RecordLastEvent(message);
        HWND dialog = runtime.activeDialog;
        if (dialog == nullptr || !IsDialogMessageA(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        PulseEvent(runtime.messageEvent);
    }
}

}  // namespace

void PeekMessageHandler(PeekMessageRequest& block)
{
    MSG message;
    block.found = PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE) ? 1 : 0;
    if (block.found)
        RecordLastEvent(message);
}

void ProcessPendingHandler()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void HoldMessagesHandler()
{
    MSG message;
    while (NextHeldRequest(message)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (message.wParam == endHoldCode)
            return;
        if (message.wParam == resumeMessagesCode)
            PassAllMessages();
        else
            ExecuteGuiRequest(message);
    }
}
