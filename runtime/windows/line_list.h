// lineList: the lines that the edit-box and list-box dialogs share with the program.
#pragma once
#include <windows.h>

#include "values/rt_string.h"

// Destroys every line; lastLineIndex becomes -1. Does nothing when it already is -1.
void ClearLines();

// Appends a copy of text; lastLineIndex becomes the index of the new line.
void AppendLine(const RtString& text);

// Sets the lines, joined by CR LF, as the edit control's text (a zero byte shown as a blank, so
// that nothing after it is lost) and returns 1; returns 0 and
// leaves the control alone when there are none (lastLineIndex -1).
int FillEditFromLines(HWND edit);
