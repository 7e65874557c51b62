#include "kernel/program_thread.h"

#include "kernel/gui_request.h"
#include "kernel/runtime_state.h"

void SynchronizeWithGuiThread()
{
    while (!PostThreadMessageA(runtime.guiThreadId, WM_NULL, 0, 0))
        Sleep(0);
    AttachThreadInput(GetCurrentThreadId(), runtime.guiThreadId, TRUE);
}

void PostQuitToGuiThread()
{
    PostThreadMessageA(runtime.guiThreadId, WM_QUIT, 0, 0);
}

void EndProgramThread()
{
    PostQuitToGuiThread();
    ExitThread(0);
}

void GuiSleep(DWORD milliseconds)
{
    SendGuiRequest(SleepOpcode, static_cast<LPARAM>(milliseconds));
}

int32_t InputPending()
{
    int32_t pending = 0;
    SendGuiRequest(InputPendingOpcode, reinterpret_cast<LPARAM>(&pending));
    return pending;
}

void WaitForProgramThreadEnd()
{
    HANDLE thread = runtime.programThreadHandle;
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) != WAIT_OBJECT_0) {
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}
