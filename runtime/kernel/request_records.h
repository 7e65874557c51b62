// The requests that a requester has issued and the GUI thread has not yet finished.
//
// Every request message names its record: the high half of its wParam is the record's tag, the low
// half requestBase + opcode. The GUI thread carries out a message only when it matches a record
// waiting for it (tag, opcode, block, and the way it came: posted or sent) and claims that record
// atomically, so every request runs at most once, and a message that no requester of this process
// issued (another program's, or one seen before) changes nothing, writes nothing, signals nothing.
#pragma once
#include <windows.h>

#include "kernel/gui_request.h"

struct RequestRecord;

constexpr int requestRecordCount = 64;   // a power of two: the low bits of a tag pick the record

// Requester: records the request and returns the wParam of its message. When every record is in
// use (requests that are not waited for, issued faster than the GUI thread takes them) it waits
// for one, at its safe point.
WPARAM IssueRequest(GuiOpcode opcode, LPARAM block, bool sent);
// Requester, after its wait: the GUI thread has finished this request.
bool RequestFinished(WPARAM request);
// Requester: the record is free again, whether or not its request ran. Not while it runs.
void RetireRequest(WPARAM request);

// GUI thread: a posted request leaves the queue (the message hook). False for a message that
// matches no posted request waiting in the queue.
bool NoteRemovedRequest(WPARAM wParam, LPARAM lParam);
// GUI thread: the record of the message, now running; null when the message is to be refused.
RequestRecord* ClaimRequest(WPARAM wParam, LPARAM lParam, bool sent);
// GUI thread: a requester that waits sees it finished; a record nobody waits for is free.
void FinishRequest(RequestRecord* record);
// GUI thread: the oldest posted request that a loop took from the queue and never dispatched.
// Asked between two messages of the runtime's own loops, where no loop that took a message is
// still about to dispatch it.
bool TakeDroppedRequest(WPARAM& wParam, LPARAM& lParam);
