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

// GUI thread, before the program thread starts: what its safe points need.
void PrepareSafePoints();

// GUI thread, after the loop: waits for the program thread to end while still answering
// synchronous requests, so that a program thread caught in one is never left blocked. After
// RequestProgramEnd the wait is bounded: a program thread that reaches no safe point is ended
// while it runs the program's own code, where it holds no lock of the system.
void WaitForProgramThreadEnd();

// Program thread: the safe point of every runtime entry (waits, requests, MCI commands, library
// calls). The thread holds no lock here. It ends the thread once the program's end was
// requested and waits while the GUI thread holds the program. Does nothing on other threads.
void ProgramThreadSafePoint();

// GUI thread: the main window is gone; the program thread ends at its next safe point, and
// requests start no new work.
void RequestProgramEnd();
bool ProgramEndRequested();

// GUI thread: the program stops at its next safe point until released (a move or size loop).
void HoldProgramThread();
void ReleaseProgramThread();
