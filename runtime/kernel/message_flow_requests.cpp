// The message-flow requests of the executor. The hold has three states: not holding (the GUI
// loop runs), holding (requests only) and resumed (all messages). A quit state set by
// PostQuitMessage leaves every state and stays pending for the next loop out; a WM_QUIT posted as
// a thread message is taken only in the resumed state.
#include "kernel/message_flow_requests.h"

#include <vector>

#include "kernel/gui_request.h"
#include "kernel/last_event.h"
#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"

namespace {

constexpr int paintLimit = 1000;        // a window that never validates itself would keep the request
constexpr int queueCapacity = 10000;    // the messages a queue holds at most

// One hold in progress. Its state changes with the requests that end, resume and suspend it,
// whichever loop took them from the queue (the hold's own, or a dialog's run by a request).
struct Hold {
    bool resumed = false;
    bool ended = false;
};

std::vector<Hold*> holds;   // GUI thread only; the innermost last

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

// An ordinary message of the resumed state, handled as in the GUI loop but recorded first, so
// that a window procedure's own records stand last.
void PassOn(MSG& message)
{
    RecordLastEvent(message);
    HWND dialog = runtime.activeDialog;
    if (dialog == nullptr || !IsDialogMessageA(dialog, &message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    PulseEvent(runtime.messageEvent);
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
    LPARAM mark = PostQueueMark();
    MSG message;
    for (int taken = 0; (mark != 0 ? !QueueMarkPassed(mark) : taken < queueCapacity) &&
                        PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
         ++taken) {
        if (message.message == WM_QUIT) {
            PostQuitAgain(message.wParam);
            return;
        }
        if (!CarryOutRequest(message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        CarryOutDroppedRequests();
    }
    for (int paints = 0; paints < paintLimit && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT); ++paints)
        DispatchMessageA(&message);
}

// The program is never held at a safe point while the hold runs (a move or size loop, or a
// library call made on the GUI thread, may ask for that): the hold waits for the program's own
// EndHoldRequest, which a held program could never send.
void HoldMessagesHandler()
{
    Hold hold;
    holds.push_back(&hold);
    BeginMessageHold();
    MSG message;
    while (!hold.ended) {
        bool taken = hold.resumed ? GetMessageA(&message, nullptr, 0, 0) != -1 : NextHeldRequest(message);
        if (!taken)
            break;
        if (message.message == WM_QUIT) {
            PostQuitAgain(message.wParam);
            break;
        }
        if (!CarryOutRequest(message))
            PassOn(message);
        CarryOutDroppedRequests();
    }
    EndMessageHold();
    holds.pop_back();
}

// EndHoldRequest acts in the holding state only; in the resumed state it is an ordinary request
// that does nothing, and only SuspendMessagesRequest leads back to holding.
void ChangeHoldHandler(GuiOpcode opcode)
{
    if (holds.empty())
        return;
    Hold& hold = *holds.back();
    switch (opcode) {
    case EndHoldOpcode: hold.ended = hold.ended || !hold.resumed; break;
    case ResumeMessagesOpcode: hold.resumed = true; break;
    case SuspendMessagesOpcode: hold.resumed = false; break;
    default: break;
    }
}
