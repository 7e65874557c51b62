// Runtime test programs: GoogleTest cases run on the program thread of the real runtime while the
// real GUI thread loops; the exit code is the number of failed tests. Started with the name of one
// of its scenarios as its first word, a test program runs that scenario instead, as a child
// process of one of its tests.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <future>
#include <string>

#include "kernel/gui_request.h"
#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"
#include "support/gui_probe.h"

constexpr DWORD patience = 10000;   // milliseconds; reached only when something is broken

void PrepareRuntimeTests();   // a test program's own set-up, on the program thread; none by default

// Started with "outside" as its first word, a test program does not start the runtime: it is
// another program on the desktop, run by RunOutsideRuntime (none by default), whose result is the exit code.
int RunOutsideRuntime(int argc, char** argv);

struct Scenario { const char* name; void (*run)(); };
void RunScenarioNamedOnCommandLine(std::initializer_list<Scenario> scenarios);   // ends the process

int32_t CallOnGuiThread(const void* function, std::initializer_list<DWORD> arguments = {});
COLORREF PixelOnGuiThread(HDC dc, int x, int y);   // the GUI thread paints from its contexts at any time

template <typename Condition>
bool WaitFor(Condition condition)   // through the GUI thread; the condition's last answer
{
    for (DWORD start = GetTickCount(); !condition() && GetTickCount() - start < patience;)
        GuiSleep(5);
    return condition();
}

// A box of this process answered on a thread of its own, for a box the test's own call shows.
inline std::future<MessageBoxSeen> AnswerBox(int buttonId, DWORD timeoutMilliseconds = patience)
{
    return std::async(std::launch::async, AnswerProcessMessageBox, GetCurrentProcessId(), buttonId, timeoutMilliseconds);
}

HWND CreateControl(const char* className, DWORD style = WS_CHILD | WS_VISIBLE, RECT place = {10, 10, 70, 30});
HWND CreateDialogWindow(const char* title, HWND parent, RECT place);   // of the class "DIALOG"
void DestroyByRequest(HWND window);
inline RECT Frame(HWND window) { RECT frame{}; GetWindowRect(window, &frame); return frame; }
void TypeKey(WORD key);   // pressed and released, for the window that has the focus

// Counts the pulses of an auto-reset event. A pulse releases only a thread that waits at that
// moment, so two threads wait by turns; Arm returns the count once both wait.
class PulseWatcher {
public:
    explicit PulseWatcher(HANDLE event);
    int Arm();
    bool WaitForCount(int count);
    int Count() const { return count; }

private:
    static DWORD WINAPI Run(void* self);
    HANDLE event, seen = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    std::atomic<int> count{0}, waiting{0};
};
