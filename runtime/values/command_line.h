// Splitting the command line into words.
#pragma once
#include <vector>

#include "values/rt_string.h"

// Appends one word per token of text. Only the blank (0x20) separates; a double quote opens a
// token that runs to the next double quote or the end; the character after a closing quote
// starts the next token. Quotes inside an unquoted token are ordinary characters.
// The text itself is not changed.
void SplitCommandLine(const char* text, std::vector<RtString>& words);
