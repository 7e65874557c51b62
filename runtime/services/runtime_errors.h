// Runtime errors and warnings: numbered German messages, reported as the error mode says.
#pragma once
#include <cstdint>

// The constant message of a code; the empty text for codes without one. Never allocates.
const char* ErrorMessageText(int32_t code);

// Fatal report. Returns only in error mode -1, or on the GUI thread after telling the loop to
// quit; otherwise shows the box and ends the program thread.
void RuntimeError(int32_t code, const char* detail);

// Recoverable report. Returns when silent or when the user chose OK; Cancel ends the program.
void RuntimeWarning(int32_t code, const char* detail);

// The constant body text of every report box.
extern const char errorBoxText[];
