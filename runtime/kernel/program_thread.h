// The program thread's side of the two-thread runtime.
#pragma once
#include <windows.h>

#include <cstdint>

// The first statements of every translated program: wait until the GUI thread has a message
// queue, then share its input state (cursor, focus, key state).
void SynchronizeWithGuiThread();

// Program thread: tells the GUI thread to quit and ends the calling thread. Does not return.
[[noreturn]] void EndProgramThread();

// Program thread: the normal end of a program: the GUI loop quits with exit code 0.
void PostQuitToGuiThread();

// The program's wait command: the pause happens on the GUI thread (SleepRequest).
void GuiSleep(DWORD milliseconds);

// Program thread: 1 when keyboard or mouse input waits in the GUI thread's queue.
int32_t InputPending();

// GUI thread, after the loop: waits for the program thread to end while still answering
// synchronous requests, so that a program thread caught in one is never left blocked.
void WaitForProgramThreadEnd();
