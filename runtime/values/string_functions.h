// The language's string and conversion functions.
#pragma once
#include <cstdint>

#include "values/rt_string.h"

// count blanks; the empty string for count 0 or below.
RtString MakeBlanks(int32_t count);
