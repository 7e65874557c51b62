// Console-like text output into the main window at a cursor counted in character cells
// (textColumn, textRow), mirrored into the back buffer so that repaints keep it.
#pragma once
#include <windows.h>

#include <cstdint>

#include "values/rt_string.h"

// lineEnd 0: a blank follows and the cursor stays on the line; 1: the cursor stays right after
// the text; 2: the cursor moves to the start of the next line. wrap: a text that does not fit
// into the rest of the line continues on the next one. pad: a text shorter than
// printFieldWidth is right-aligned with blanks. CR and LF in the text are dropped.
void PrintText(RtString text, int32_t lineEnd, int32_t wrap, int32_t pad);

// The text colours by palette index; an index outside 0 to 15 counts modulo 16.
COLORREF TextPaletteColour(int32_t index);
