// Start-up and shutdown of the runtime around the GUI loop.
#pragma once
#include <windows.h>

int InitRuntime();
int ReleaseRuntime();

// The GUI thread's part: starts the program thread, loops, waits for its end; the exit code.
int RunGuiThread();

// The translated program's entry, run on the program thread. Every program on the runtime
// supplies it.
extern "C" DWORD WINAPI ProgramThreadMain(void* unused);
