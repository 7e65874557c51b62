// Command-line parameters and short file names.
#pragma once
#include <cstdint>

#include "values/rt_string.h"

// The parameter word; index 0 is the program file's full path. Error 208 beyond parameterCount.
RtString GetParameter(int32_t index);

// The short (8.3) form of a path, or "" when the system has none for it.
RtString ShortPathName(RtString path);
