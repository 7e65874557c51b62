// Runtime test programs: GoogleTest cases run on the program thread of the real runtime while
// the real GUI thread loops. The process's exit code is the number of failed tests.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <initializer_list>

#include "kernel/gui_request.h"
#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"

// Called on the program thread before the cases run, after it has synchronised with the GUI
// thread. A test program may define it to set the runtime up; the default does nothing.
void PrepareRuntimeTests();

// Program thread: calls a function on the GUI thread through CallFunctionRequest (synchronous),
// with the arguments in callArguments; returns the function's result.
inline int32_t CallOnGuiThread(const void* function, std::initializer_list<DWORD> arguments = {})
{
    int32_t count = 0;
    for (DWORD argument : arguments)
        runtime.callArguments[count++] = argument;
    CallFunctionRequest block{function, count, 0};
    SendGuiRequest(CallFunctionOpcode, reinterpret_cast<LPARAM>(&block));
    return block.result;
}

// Program thread: a pixel of one of the main window's device contexts, read on the GUI thread.
// Those contexts belong to the GUI thread, which paints from them at any moment; a read from
// another thread meanwhile fails and answers CLR_INVALID.
inline COLORREF PixelOnGuiThread(HDC dc, int x, int y)
{
    return static_cast<COLORREF>(CallOnGuiThread(reinterpret_cast<const void*>(&GetPixel),
                                                 {reinterpret_cast<DWORD>(dc), static_cast<DWORD>(x),
                                                  static_cast<DWORD>(y)}));
}

// Program thread: waits through the GUI thread until the condition holds or ten seconds (a
// time reached only when something is broken) have passed; the condition's last answer.
template <typename Condition>
bool WaitFor(Condition condition)
{
    constexpr DWORD patience = 10000;
    DWORD start = GetTickCount();
    while (!condition() && GetTickCount() - start < patience)
        GuiSleep(5);
    return condition();
}
