// The GUI thread's message loop.
#include <windows.h>

#include "kernel/gui_request.h"
#include "kernel/last_event.h"
#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"
#include "kernel/startup.h"
#include "values/program_objects.h"

int RunGuiThread()
{
    StartTakingRequests();
    PrepareSafePoints();
    // Suspended until its id is known, which its safe points compare with.
    runtime.programThreadHandle = CreateThread(nullptr, 0, ProgramThreadMain, nullptr, CREATE_SUSPENDED,
                                               &runtime.programThreadId);
    ResumeThread(runtime.programThreadHandle);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!CarryOutRequest(message)) {
            HWND dialog = runtime.activeDialog;
            if (dialog == nullptr || !IsDialogMessageA(dialog, &message)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            RecordLastEvent(message);
            PulseEvent(runtime.messageEvent);
        }
        CarryOutDroppedRequests();
        PostTakenQuitAgain();
        LiftProgramHolds();
    }

    WaitForProgramThreadEnd();
    // The program's library calls ran on this thread: an execution state they set (the display kept
    // on) is this thread's, and it is dropped with the program, however the program ended.
    SetThreadExecutionState(ES_CONTINUOUS);
    StopTakingRequests();
    CloseHandle(runtime.programThreadHandle);
    ReleaseProgramObjects();
    return static_cast<int>(message.wParam);
}
