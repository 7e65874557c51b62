// The language's string and conversion functions. Every function builds a new string and leaves
// its arguments alone; searching is byte-exact and counts embedded zero bytes as ordinary bytes.
// A result the heap cannot hold is reported (error 211) and is the empty string.
#pragma once
#include <cstdint>

#include "values/rt_string.h"
#include "values/value.h"

RtString TakeLeft(RtString s, int32_t count);
RtString TakeRight(RtString s, int32_t count);        // a count beyond the length gives ""
RtString MakeBlanks(int32_t count);                   // "" for count 0 or below
RtString TrimBlanks(RtString s);
RtString ToLowerCase(RtString s);
int32_t FindSubstring(RtString needle, RtString searched);   // 1-based; 0 when absent
int32_t CountOccurrences(RtString searched, RtString needle);
RtString ReplaceAll(RtString s, RtString search, RtString replacement);
RtString ExtractField(RtString s, int32_t fieldNumber, RtString delimiter);  // error 205 below 1
int32_t IsNumericText(const char* text);
Value ParseValue(RtString s);
int32_t ParseInteger(RtString s);
const char* FindBytes(const char* buffer, const char* needle, uint32_t bufferLength, uint32_t needleLength);
