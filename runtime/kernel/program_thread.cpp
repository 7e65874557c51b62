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

namespace {

constexpr DWORD endGraceMilliseconds = 2000;   // for the next safe point after the loop ended
constexpr DWORD stopRetryMilliseconds = 25;    // between looks at where the thread stands
constexpr int stopAttempts = 200;              // then it is ended wherever it stands

// Waits up to timeout for the program thread to end, answering synchronous requests meanwhile.
bool WaitAnsweringRequests(DWORD timeout)
{
    HANDLE thread = runtime.programThreadHandle;
    DWORD start = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        DWORD remaining = timeout == INFINITE ? INFINITE : (elapsed >= timeout ? 0 : timeout - elapsed);
        DWORD result = MsgWaitForMultipleObjects(1, &thread, FALSE, remaining, QS_SENDMESSAGE);
        if (result == WAIT_OBJECT_0)
            return true;
        if (result != WAIT_OBJECT_0 + 1)
            return false;
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

bool InProgramModule(DWORD address)
{
    auto base = reinterpret_cast<const BYTE*>(GetModuleHandleA(nullptr));
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    DWORD start = reinterpret_cast<DWORD>(base);
    return address >= start && address - start < nt->OptionalHeader.SizeOfImage;
}

// Ends a program thread that reaches no safe point (a computation without runtime calls): only
// while it executes the program's own code, which holds no lock of the system (heap, loader,
// MCI). A thread that never gets there is ended anyway after stopAttempts looks.
void StopProgramThreadInOwnCode()
{
    HANDLE thread = runtime.programThreadHandle;
    for (int attempt = 0; attempt < stopAttempts; ++attempt) {
        if (SuspendThread(thread) != static_cast<DWORD>(-1)) {
            CONTEXT context{};
            context.ContextFlags = CONTEXT_CONTROL;
            if (GetThreadContext(thread, &context) && InProgramModule(context.Eip)) {
                TerminateThread(thread, 0);
                WaitForSingleObject(thread, INFINITE);
                return;
            }
            ResumeThread(thread);
        }
        if (WaitAnsweringRequests(stopRetryMilliseconds))
            return;
    }
    TerminateThread(thread, 0);
    WaitForSingleObject(thread, INFINITE);
}

bool OnProgramThread()
{
    return GetCurrentThreadId() == runtime.programThreadId;
}

int programHolds;       // GUI thread only: holds in force
int requestsAtWork;     // GUI thread only: signalling requests whose handlers run

void ReleaseEndWaiters()
{
    if (requestsAtWork == 0 && ProgramEndRequested())
        SetEvent(runtime.programEndEvent);
}

}  // namespace

void PrepareSafePoints()
{
    runtime.programEndRequested = 0;
    runtime.programHoldRequested = 0;
    programHolds = 0;
    requestsAtWork = 0;
    runtime.programEndEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    runtime.programReleaseEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);
}

void WaitForProgramThreadEnd()
{
    RequestProgramEnd();
    if (!WaitAnsweringRequests(endGraceMilliseconds))
        StopProgramThreadInOwnCode();
    CloseHandle(runtime.programEndEvent);
    CloseHandle(runtime.programReleaseEvent);
    runtime.programEndEvent = nullptr;
    runtime.programReleaseEvent = nullptr;
}

void ProgramThreadSafePoint()
{
    if (!OnProgramThread())
        return;
    if (runtime.programHoldRequested) {
        HANDLE events[2] = {runtime.programReleaseEvent, runtime.programEndEvent};
        WaitForMultipleObjects(2, events, FALSE, INFINITE);
    }
    if (runtime.programEndRequested)
        ExitThread(0);
}

void RequestProgramEnd()
{
    StoreInterlocked(runtime.programEndRequested, 1);
    ReleaseEndWaiters();
}

bool ProgramEndRequested()
{
    return runtime.programEndRequested != 0;
}

void BeginRequestWork()
{
    ++requestsAtWork;
}

void EndRequestWork()
{
    --requestsAtWork;
    ReleaseEndWaiters();
}

void HoldProgramThread()
{
    if (programHolds++ > 0)
        return;
    ResetEvent(runtime.programReleaseEvent);
    StoreInterlocked(runtime.programHoldRequested, 1);
}

void ReleaseProgramThread()
{
    if (programHolds == 0 || --programHolds > 0)
        return;
    StoreInterlocked(runtime.programHoldRequested, 0);
    SetEvent(runtime.programReleaseEvent);
}

int LiftProgramHolds()
{
    int holds = programHolds;
    if (holds > 0) {
        programHolds = 1;
        ReleaseProgramThread();
    }
    return holds;
}

void RestoreProgramHolds(int holds)
{
    for (; holds > 0; --holds)
        HoldProgramThread();
}
