// The issued requests. A record's state word holds its tag and its phase together, so that one
// interlocked exchange both checks that a message belongs to the record's current issue and
// moves it on: a record freed and issued again carries another tag, and no message of the earlier
// issue can claim it.
#include "kernel/request_records.h"

#include "kernel/program_thread.h"

namespace {

constexpr int recordCount = requestRecordCount;
constexpr LONG tagMask = 0xFFFF;           // the high half of a wParam
constexpr LONG phaseMask = 0xFF;

enum Phase : LONG {
    Free,       // no request
    Reserved,   // its requester fills it
    Issued,     // in the queue, or being sent
    Removed,    // a posted request that a loop took from the queue
    Running,    // its handler runs on the GUI thread
    Finished,   // done; its requester has not looked yet
};

}  // namespace

struct RequestRecord {
    volatile LONG state;   // tag << 8 | phase; interlocked
    WPARAM wParam;         // written by the requester while Reserved, then read-only until free
    LPARAM block;
    bool sent;             // through the request window, rather than posted
    bool waited;           // its requester waits for it to finish
    LONG order;            // of issue, for the order in which dropped requests run
};

namespace {

RequestRecord records[recordCount];
volatile LONG issueCount;
int removedCount;          // GUI thread only: records in the phase Removed

LONG TagOf(WPARAM request)
{
    return static_cast<LONG>(request >> 16) & tagMask;
}

LONG State(LONG tag, Phase phase)
{
    return tag << 8 | phase;
}

RequestRecord& RecordOf(LONG tag)
{
    return records[tag & (recordCount - 1)];
}

bool Move(RequestRecord& record, LONG tag, Phase from, Phase to)
{
    return InterlockedCompareExchange(&record.state, State(tag, to), State(tag, from)) == State(tag, from);
}

// A free record, reserved for the caller; the next generation of its tag.
RequestRecord* ReserveRecord(LONG& tag)
{
    for (int slot = 0; slot < recordCount; ++slot) {
        RequestRecord& record = records[slot];
        LONG state = record.state;
        if ((state & phaseMask) != Free)
            continue;
        LONG next = (((state >> 8) + recordCount) & tagMask) | slot;
        if (next < recordCount)   // no tag of 0: a message without one names no request
            next += recordCount;
        if (InterlockedCompareExchange(&record.state, State(next, Reserved), state) == state) {
            tag = next;
            return &record;
        }
    }
    return nullptr;
}

}  // namespace

WPARAM IssueRequest(GuiOpcode opcode, LPARAM block, bool sent)
{
    LONG tag = 0;
    RequestRecord* record;
    while ((record = ReserveRecord(tag)) == nullptr) {
        ProgramThreadSafePoint();
        Sleep(1);
    }
    record->wParam = static_cast<WPARAM>(tag) << 16 | (requestBase + opcode);
    record->block = block;
    record->sent = sent;
    record->waited = sent || OpcodeSignalsCompletion(opcode);
    record->order = InterlockedIncrement(&issueCount);
    InterlockedExchange(&record->state, State(tag, Issued));
    return record->wParam;
}

bool RequestFinished(WPARAM request)
{
    LONG tag = TagOf(request);
    return RecordOf(tag).state == State(tag, Finished);
}

// A request whose message was never carried out (a failed post, a window that took no message)
// may still be claimed by a late message; the record is freed only from a phase that no handler
// runs in.
void RetireRequest(WPARAM request)
{
    LONG tag = TagOf(request);
    RequestRecord& record = RecordOf(tag);
    while (!Move(record, tag, Finished, Free) && !Move(record, tag, Issued, Free) && !Move(record, tag, Removed, Free)) {
        if (record.state != State(tag, Running))
            return;   // not this issue's any more
        Sleep(1);
    }
}

bool NoteRemovedRequest(WPARAM wParam, LPARAM lParam)
{
    LONG tag = TagOf(wParam);
    RequestRecord& record = RecordOf(tag);
    if (record.wParam != wParam || record.block != lParam || record.sent || !Move(record, tag, Issued, Removed))
        return false;
    ++removedCount;
    return true;
}

// The fields are compared after the claim: before it, the record may be between two issues.
RequestRecord* ClaimRequest(WPARAM wParam, LPARAM lParam, bool sent)
{
    LONG tag = TagOf(wParam);
    RequestRecord& record = RecordOf(tag);
    Phase from = Issued;
    if (!Move(record, tag, Issued, Running)) {
        if (sent || !Move(record, tag, Removed, Running))
            return nullptr;
        from = Removed;
    }
    if (record.wParam != wParam || record.block != lParam || record.sent != sent) {
        Move(record, tag, Running, from);
        return nullptr;
    }
    if (from == Removed)
        --removedCount;
    return &record;
}

void FinishRequest(RequestRecord* record)
{
    LONG tag = TagOf(record->wParam);
    Move(*record, tag, Running, record->waited ? Finished : Free);
}

bool TakeDroppedRequest(WPARAM& wParam, LPARAM& lParam)
{
    if (removedCount == 0)
        return false;
    RequestRecord* oldest = nullptr;
    for (RequestRecord& record : records) {
        if ((record.state & phaseMask) == Removed && (oldest == nullptr || record.order - oldest->order < 0))
            oldest = &record;
    }
    if (oldest == nullptr) {
        removedCount = 0;   // a requester freed the last one
        return false;
    }
    wParam = oldest->wParam;
    lParam = oldest->block;
    return true;
}
