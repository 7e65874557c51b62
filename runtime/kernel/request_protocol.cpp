// Submitting requests from the program thread.
#include "kernel/gui_request.h"
#include "kernel/program_thread.h"
#include "kernel/request_records.h"
#include "kernel/runtime_state.h"

namespace {

constexpr DWORD nudgeMilliseconds = 100;

// A queue that is full for the moment (another program floods it) takes the request a little
// later; one that is gone takes nothing, and the request is not carried out.
bool PostRequestMessage(WPARAM request, LPARAM block)
{
    while (!PostThreadMessageA(runtime.guiThreadId, requestMessage, request, block)) {
        if (GetLastError() != ERROR_NOT_ENOUGH_QUOTA)
            return false;
        ProgramThreadSafePoint();
        Sleep(1);
    }
    return true;
}

// Waits until the request has finished, or the program's end releases the requester. Only its
// own completion releases it: the event may still be set by a completion the requester of an
// earlier request did not wait for. A request that a loop of program code took from the queue and
// dropped is carried out when the GUI thread next dispatches in one of its loops; a request that
// takes long gives it occasion to.
bool WaitForCompletion(WPARAM request)
{
    HANDLE events[2] = {runtime.requestDoneEvent, runtime.programEndEvent};
    while (!RequestFinished(request)) {
        DWORD result = WaitForMultipleObjects(events[1] != nullptr ? 2 : 1, events, FALSE, nudgeMilliseconds);
        if (result == WAIT_TIMEOUT)
            NudgeGuiThread();
        else if (result != WAIT_OBJECT_0)
            return false;
    }
    return true;
}

}  // namespace

bool OpcodeSignalsCompletion(GuiOpcode opcode)
{
    return opcode <= lastOpcode && !(opcode >= OpenDialogWithProcOpcode && opcode <= SuspendMessagesOpcode);
}

// A request posted just before the main window went is never retrieved: the loop has ended. The
// wait therefore also ends with the program, at the safe point behind it.
void PostGuiRequest(GuiOpcode opcode, void* block)
{
    ProgramThreadSafePoint();
    WPARAM request = IssueRequest(opcode, reinterpret_cast<LPARAM>(block), false);
    bool posted = PostRequestMessage(request, reinterpret_cast<LPARAM>(block));
    if (!posted || (OpcodeSignalsCompletion(opcode) && WaitForCompletion(request)))
        RetireRequest(request);
    ProgramThreadSafePoint();
}

void SendGuiRequest(GuiOpcode opcode, LPARAM argument)
{
    ProgramThreadSafePoint();
    WPARAM request = IssueRequest(opcode, argument, true);
    SendMessageA(runtime.requestWindow, requestMessage, request, argument);
    RetireRequest(request);
    Sleep(0);
    ProgramThreadSafePoint();
}

void RunOnGuiThread(GuiWork work, void* context)
{
    if (GetCurrentThreadId() == runtime.guiThreadId) {
        work(context);
        return;
    }
    runtime.callArguments[0] = reinterpret_cast<DWORD>(context);
    CallFunctionRequest block{reinterpret_cast<const void*>(work), 1, 0};
    SendGuiRequest(CallFunctionOpcode, reinterpret_cast<LPARAM>(&block));
}
