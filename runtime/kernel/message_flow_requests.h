// The message-flow requests: looking into and draining the GUI thread's queue, and holding the
// GUI thread in a loop that carries out requests only. GUI thread, called by ExecuteGuiRequest.
#pragma once
#include <windows.h>

#include <cstdint>

#include "kernel/gui_request.h"

struct PeekMessageRequest {
    int32_t found;                 // out: non-zero when a message waits (it stays queued)
};

void PeekMessageHandler(PeekMessageRequest& block);

// Dispatches the messages that wait when it begins (requests are carried out), then the windows'
// pending paints; what arrives meanwhile waits for the next loop, so that another program posting
// without end cannot keep the request from its end. A quit message found is posted again as the
// quit state.
void ProcessPendingHandler();

// Carries out requests only, leaving ordinary messages queued, until EndHoldRequest, a quit
// state, or the end of the program thread. ResumeMessagesRequest lets all messages through
// until SuspendMessagesRequest. Never signals completion.
void HoldMessagesHandler();

// EndHoldRequest, ResumeMessagesRequest and SuspendMessagesRequest: they change the innermost
// hold and do nothing outside a hold.
void ChangeHoldHandler(GuiOpcode opcode);
