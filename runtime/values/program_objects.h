// The runtime's long-lived program objects and their release at shutdown.
#pragma once
#include <cstdint>

#include "values/rt_string.h"

extern RtString fileNameText;   // the player's medium path and file name

// 1 when the message number is watched (no program on this runtime watches any).
int32_t WatchedMessagesContains(int32_t message);
void ClearWatchedMessages();
