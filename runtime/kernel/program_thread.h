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

// GUI thread, after the loop, whatever ended it (the program's own quit message, a fatal report
// on the GUI thread, a quit message from another program, the main window's end): asks the
// program thread to end at its next safe point and waits for it, answering synchronous requests
// meanwhile, so that a program thread caught in one is never left blocked. The wait is bounded: a
// program thread that reaches no safe point is ended while it runs the program's own code, where
// it holds no lock of the system.
void WaitForProgramThreadEnd();

// Program thread: the safe point of every runtime entry (waits, requests, MCI commands, library
// calls). The thread holds no lock here. It ends the thread once the program's end was
// requested and waits while the GUI thread holds the program. Does nothing on other threads.
void ProgramThreadSafePoint();

// GUI thread: the main window is gone; the program thread ends at its next safe point, and
// requests start no new work. A program thread waiting for a request is released at once, unless
// that request is being carried out: then by its completion, after the handler has written the
// request's block for the last time.
void RequestProgramEnd();
bool ProgramEndRequested();

// GUI thread, around the handler of every request that signals completion.
void BeginRequestWork();
void EndRequestWork();

// GUI thread: the program stops at its next safe point until every hold is released (move and
// size loops, library calls made on the GUI thread). Holds nest.
void HoldProgramThread();
void ReleaseProgramThread();

// GUI thread: lets a held program run while the GUI thread waits for it; returns the holds that
// RestoreProgramHolds puts back afterwards.
int LiftProgramHolds();
void RestoreProgramHolds(int holds);
