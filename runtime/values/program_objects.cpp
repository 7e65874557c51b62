#include "values/program_objects.h"

#include <map>

RtString fileNameText;
Value argumentSlots[argumentSlotCount];
int32_t procedureArgumentCount = 0;
std::deque<int32_t> valueStack;

namespace {

std::map<int32_t, uint32_t> watchedMessages;

}  // namespace

int32_t WatchedMessagesContains(int32_t message)
{
    return watchedMessages.count(message) != 0 ? 1 : 0;
}

void ClearWatchedMessages()
{
    watchedMessages.clear();
}
