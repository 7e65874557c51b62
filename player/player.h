// Kinoblick: plays one medium full screen through MCI until it ends or Escape is pressed.
#pragma once
#include <windows.h>

#include <cstdint>

#include "values/rt_string.h"
#include "values/value.h"

// The player from its first command to its end, on a program thread that has synchronised with
// the GUI thread. Returns 0 when the GUI thread was told to quit, 1 when that post failed. After
// a notice it does not return: the program thread ends.
DWORD RunPlayer();

// "OPEN <short path> TYPE MPEGVIDEO ALIAS VIDEO", or AVIVIDEO when mpeg is not 1. A short path
// can still contain a blank on volumes that keep no 8.3 names; MCI would cut the name there, so
// such a path is put in double quotes.
RtString OpenCommandText(RtString shortPath, int32_t mpeg);

// The player's one procedure, with count 0 or 1 arguments: argument 1 equal to 1 shows the usage
// notice, anything else (or no argument) the notice that fileNameText cannot be played. Then the
// program thread ends.
[[noreturn]] Value ShowNoticeAndEnd(int32_t count, const Value* argument);
