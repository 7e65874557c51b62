// Submitting requests from the program thread.
#include "kernel/gui_request.h"
#include "kernel/runtime_state.h"

bool OpcodeSignalsCompletion(GuiOpcode opcode)
{
    return opcode <= lastOpcode && !(opcode >= OpenDialogWithProcOpcode && opcode <= SuspendMessagesOpcode);
}

void PostGuiRequest(GuiOpcode opcode, void* block)
{
    PostThreadMessageA(runtime.guiThreadId, requestMessage, requestBase + opcode,
                       reinterpret_cast<LPARAM>(block));
    if (OpcodeSignalsCompletion(opcode))
        WaitForSingleObject(runtime.requestDoneEvent, INFINITE);
}

void SendGuiRequest(GuiOpcode opcode, LPARAM argument)
{
    SendMessageA(runtime.requestWindow, requestMessage, requestBase + opcode, argument);
    Sleep(0);
}
