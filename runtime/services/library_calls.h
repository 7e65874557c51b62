// Calls into any exported function of a library, made on the GUI thread, and message boxes.
#pragma once
#include <windows.h>

#include <cstdint>
#include <initializer_list>

#include "values/rt_string.h"

// Loads the library unless it is in the process already (and frees it again afterwards),
// looks the function up by its exact export name and calls it on the GUI thread with the 32-bit
// values (at most callArgumentCapacity). Errors 247 (library) and 248 (function, or too many
// values); -1 when the error mode lets them return.
int32_t CallLibraryFunction(RtString library, RtString function, std::initializer_list<DWORD> values);

// MessageBoxA owned by the main window (unowned before it exists); the result is also stored
// in dialogResult.
int32_t ShowMessageBox(RtString text, RtString caption, DWORD style);

// ShowMessageBox with parameter word index appended to the text as the user typed it: a word with
// characters the ANSI code page lacks is shown whole, in a box of wide texts.
int32_t ShowMessageBoxNamingParameter(RtString text, int32_t index, RtString caption, DWORD style);
