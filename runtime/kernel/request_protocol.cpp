// Submitting requests from the program thread.
#include "kernel/gui_request.h"
#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"

bool OpcodeSignalsCompletion(GuiOpcode opcode)
{
    return opcode <= lastOpcode && !(opcode >= OpenDialogWithProcOpcode && opcode <= SuspendMessagesOpcode);
}

// A request posted just before the main window went is never retrieved: the loop has ended.
// The wait therefore also ends with the program, at the safe point behind it.
void PostGuiRequest(GuiOpcode opcode, void* block)
{
    ProgramThreadSafePoint();
    PostThreadMessageA(runtime.guiThreadId, requestMessage, requestBase + opcode,
                       reinterpret_cast<LPARAM>(block));
    if (OpcodeSignalsCompletion(opcode)) {
        HANDLE events[2] = {runtime.requestDoneEvent, runtime.programEndEvent};
        WaitForMultipleObjects(events[1] != nullptr ? 2 : 1, events, FALSE, INFINITE);
    }
    ProgramThreadSafePoint();
}

void SendGuiRequest(GuiOpcode opcode, LPARAM argument)
{
    ProgramThreadSafePoint();
    SendMessageA(runtime.requestWindow, requestMessage, requestBase + opcode, argument);
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
