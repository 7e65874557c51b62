// The smallest program on the runtime: a window until Escape is pressed.
#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"
#include "kernel/startup.h"
#include "kernel/windowing.h"

extern "C" DWORD WINAPI ProgramThreadMain(void*)
{
    SynchronizeWithGuiThread();
    SetMainWindowGeometry(100, 100, 640, 480);
    for (int pass = 0; pass < 500 && runtime.lastKey != 27; ++pass)
        GuiSleep(20);
    PostQuitToGuiThread();
    return 0;
}
