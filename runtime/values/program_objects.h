// The runtime's long-lived program objects, constructed before the program's entry in the order
// below and destroyed in the reverse order after it, and the two shutdown operations that empty
// the containers among them.
#pragma once
#include <cstdint>
#include <deque>
#include <list>
#include <map>
#include <vector>

#include "values/rt_string.h"
#include "values/value.h"

using IntegerMap = std::map<int32_t, uint32_t>;

extern RtString fileNameText;                 // the player's medium path and file name
extern std::list<void*> programBlocks;        // heap blocks (malloc) of the runtime's facilities
extern std::list<RtString*> programStrings;   // string arrays (new[]) of the runtime's facilities
extern std::vector<RtString> commandLineWords;   // parameters: element 0 is the program's own word
extern IntegerMap programMap;
extern IntegerMap firstRuntimeTable;
extern IntegerMap secondRuntimeTable;

// The current procedure's arguments: argument i lives in slot i; slot 0 is never written.
constexpr int32_t argumentSlotCount = 32;
extern Value argumentSlots[argumentSlotCount];
extern int32_t procedureArgumentCount;   // arguments of the most recently entered procedure

extern RtString startText;                    // start-up assigns it the empty text once
extern std::deque<int32_t> valueStack;        // saved loop conditions (top at the back)
extern RtString typedInputText;
extern RtString windowTitle;                  // mainWindowTitle
extern IntegerMap watchedMessages;
extern RtString closeQuestionText;            // a question asked on closing while its caption
extern RtString closeQuestionCaption;         // is not empty; nothing on this runtime sets them
extern std::list<RtString> dialogLines;       // lineList of the runtime's dialogs

// Blocks that the runtime's facilities hand over for release after the program: three heap
// blocks (malloc) and one string array (new[]); null when unused.
struct ProgramPointers {
    void* blocks[3];
    RtString* strings;
};
extern ProgramPointers programPointers;

// 1 when the message number is watched (no program on this runtime watches any).
int32_t WatchedMessagesContains(int32_t message);
void ClearWatchedMessages();

// GUI thread, after the program thread has ended: frees the payloads of programBlocks and
// programStrings, the program pointers, and empties programMap.
void ReleaseProgramObjects();
// The last step of the runtime's release: empties the two runtime tables.
void EmptyRuntimeTables();
