// The objects are defined in one place, so that they are constructed in this order and
// destroyed in the reverse order. The runtime's facilities that this program does not use have
// no objects here.
#include "values/program_objects.h"

#include <cstdlib>

RtString fileNameText;
std::list<void*> programBlocks;
std::list<RtString*> programStrings;
std::vector<RtString> commandLineWords;
IntegerMap programMap;
IntegerMap firstRuntimeTable;
IntegerMap secondRuntimeTable;
Value argumentSlots[argumentSlotCount];
int32_t procedureArgumentCount = 0;
RtString startText;
std::deque<int32_t> valueStack;
RtString typedInputText;
RtString windowTitle;
IntegerMap watchedMessages;
RtString closeQuestionText;
RtString closeQuestionCaption;
std::list<RtString> dialogLines;
ProgramPointers programPointers{};

int32_t WatchedMessagesContains(int32_t message)
{
    return watchedMessages.count(message) != 0 ? 1 : 0;
}

void ClearWatchedMessages()
{
    watchedMessages.clear();
}

void ReleaseProgramObjects()
{
    while (!programBlocks.empty()) {
        void* payload = programBlocks.front();
        programBlocks.pop_front();
        std::free(payload);
    }
    while (!programStrings.empty()) {
        RtString* payload = programStrings.front();
        programStrings.pop_front();
        delete[] payload;
    }
    for (void*& block : programPointers.blocks) {
        std::free(block);
        block = nullptr;
    }
    delete[] programPointers.strings;
    programPointers.strings = nullptr;
    programMap.clear();
}

void EmptyRuntimeTables()
{
    firstRuntimeTable.clear();
    secondRuntimeTable.clear();
}
