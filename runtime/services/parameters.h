// Command-line parameters and short file names.
#pragma once
#include <cstdint>
#include <string>

#include "values/rt_string.h"

// The parameter word; index 0 is the program file's full path. Error 208 beyond parameterCount.
RtString GetParameter(int32_t index);

// The short (8.3) form of a path, or "" when the system has none for it.
RtString ShortPathName(RtString path);

// Parameter word index as the user typed it, when the ANSI command line lost characters of it that
// the code page lacks; "" for a word the code page holds, and for an index beyond the words.
std::wstring ParameterAsTyped(int32_t index);

// A path for the ANSI functions (MCI among them) to the file that parameter word index names: the
// ShortPathName of the word; for a word that lost characters, the short form of the word as typed,
// when the volume keeps short names (the form then holds only characters of the code page); "" when
// there is none.
RtString ParameterShortPath(int32_t index);
