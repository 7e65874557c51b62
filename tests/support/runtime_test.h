// Runtime test programs: GoogleTest cases run on the program thread of the real runtime while
// the real GUI thread loops. The process's exit code is the number of failed tests.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

// Called on the program thread before the cases run, after it has synchronised with the GUI
// thread. A test program may define it to set the runtime up; the default does nothing.
void PrepareRuntimeTests();
