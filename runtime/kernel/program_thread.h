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
// program thread that reaches no safe point is ended where it holds no lock of the system, while
// it runs the program's own code or while it waits without running.
void WaitForProgramThreadEnd();

// Program thread: the safe point of every runtime entry (waits, requests, MCI commands, library
// calls). The thread holds no lock here. It ends the thread once the program's end was
// requested and waits while the GUI thread holds the program. Does nothing on other threads.
void ProgramThreadSafePoint();

// GUI thread: the main window is gone, or a fatal error was reported; the program thread ends at
// its next safe point, and requests start no new work. A program thread waiting for a request is
// released at once, unless that request is being carried out: then by its completion, after the
// handler has written the request's block for the last time. One waiting for input (the input
// events, messageEvent) is woken.
void RequestProgramEnd();
bool ProgramEndRequested();

// GUI thread, around the handler of every request that signals completion.
void BeginRequestWork();
void EndRequestWork();

// GUI thread: holds of the program, each under a key: the window whose move or size loop runs, or
// a caller's own (a library call made on the GUI thread). While one is in force the program stops
// at its next safe point, unless a message hold runs: that one waits for the program's own
// requests, so the program stays free as long as it runs, whatever happens meanwhile.
void HoldProgramThread(const void* key);
void ReleaseProgramThread(const void* key);    // one hold of the key
void ReleaseProgramHoldsOf(const void* key);   // every hold of the key: its window has gone
void BeginMessageHold();
void EndMessageHold();

// GUI thread, between two messages of the GUI loop: no move or size loop and no call on this
// thread runs there, so a hold still recorded would never be released (its window went inside
// the loop, or its message did not come from the system's loop): every hold goes.
void LiftProgramHolds();
