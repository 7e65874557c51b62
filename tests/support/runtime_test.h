// Runtime test programs: GoogleTest cases run on the program thread of the real runtime while the
// real GUI thread loops; the exit code is the number of failed tests. Started with the name of one
// of its scenarios as the first word, a test program runs that scenario instead: a child process
// that a test starts, ends its own way and judges by its exit code and its windows.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <initializer_list>
#include <string>

#include "kernel/gui_request.h"
#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"

constexpr DWORD patience = 10000;   // milliseconds; reached only when something is broken

// Program thread, before the cases run: a test program may set the runtime up here; the
// default does nothing.
void PrepareRuntimeTests();

struct Scenario {
    const char* name;
    void (*run)();
};

// Runs the scenario that the program's first word names, if any; the process ends there.
void RunScenarioNamedOnCommandLine(std::initializer_list<Scenario> scenarios);

// Program thread: calls function on the GUI thread (a synchronous CallFunctionRequest).
int32_t CallOnGuiThread(const void* function, std::initializer_list<DWORD> arguments = {});

// A pixel of one of the main window's device contexts, read on the GUI thread, which paints from
// them at any moment (a read from another thread meanwhile answers CLR_INVALID).
COLORREF PixelOnGuiThread(HDC dc, int x, int y);

// Waits through the GUI thread until the condition holds or the patience runs out; the
// condition's last answer.
template <typename Condition>
bool WaitFor(Condition condition)
{
    DWORD start = GetTickCount();
    while (!condition() && GetTickCount() - start < patience)
        GuiSleep(5);
    return condition();
}

// Window requests as a program makes them.
HWND CreateControl(const char* className, DWORD style = WS_CHILD | WS_VISIBLE, RECT place = {10, 10, 70, 30});
void DestroyByRequest(HWND window);
std::string TextOf(HWND window);
std::string ClassOf(HWND window);

// Counts the pulses of one event. A pulse releases only a thread that waits at that moment, so two
// threads wait by turns, one still waiting while the other counts; Arm returns once both wait.
class PulseWatcher {
public:
    explicit PulseWatcher(HANDLE event);
    int Arm();                                  // the count so far
    bool WaitForCount(int count);               // until count pulses were seen, or the patience
    int Count() const { return count; }

private:
    static DWORD WINAPI Run(void* self);
    HANDLE event;
    HANDLE seen = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    std::atomic<int> count{0};
    std::atomic<int> waiting{0};
};
