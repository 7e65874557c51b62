// The runtime's long-lived program objects and their release at shutdown.
#pragma once
#include <cstdint>
#include <deque>

#include "values/rt_string.h"
#include "values/value.h"

extern RtString fileNameText;   // the player's medium path and file name

// The current procedure's arguments: argument i lives in slot i; slot 0 is never written.
constexpr int32_t argumentSlotCount = 32;
extern Value argumentSlots[argumentSlotCount];
extern int32_t procedureArgumentCount;   // arguments of the most recently entered procedure

// The translated program's stack of saved loop conditions (top at the back).
extern std::deque<int32_t> valueStack;

// 1 when the message number is watched (no program on this runtime watches any).
int32_t WatchedMessagesContains(int32_t message);
void ClearWatchedMessages();
