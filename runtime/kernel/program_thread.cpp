#include "kernel/program_thread.h"

#include <algorithm>
#include <vector>

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
constexpr int idleLooksToStop = 4;             // looks without processor time: it waits
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

// The processor time the thread has used, in 100 ns.
ULONGLONG ThreadTime(HANDLE thread)
{
    FILETIME created, ended, kernel, user;
    if (!GetThreadTimes(thread, &created, &ended, &kernel, &user))
        return 0;
    ULARGE_INTEGER inKernel{{kernel.dwLowDateTime, kernel.dwHighDateTime}};
    ULARGE_INTEGER inUser{{user.dwLowDateTime, user.dwHighDateTime}};
    return inKernel.QuadPart + inUser.QuadPart;
}

// Ends a program thread that reaches no safe point: while it executes the program's own code
// (a computation without runtime calls), which holds no lock of the system (heap, loader, MCI),
// or once it has used no processor time for several looks: then it waits, and not for input
// (its events were set when the end was requested), for something that does not come. A thread
// that does neither is ended anyway after stopAttempts looks.
void StopProgramThread()
{
    HANDLE thread = runtime.programThreadHandle;
    ULONGLONG usedBefore = ThreadTime(thread);
    int idleLooks = 0;
    for (int attempt = 0; attempt < stopAttempts; ++attempt) {
        if (SuspendThread(thread) != static_cast<DWORD>(-1)) {
            CONTEXT context{};
            context.ContextFlags = CONTEXT_CONTROL;
            bool ownCode = GetThreadContext(thread, &context) && InProgramModule(context.Eip);
            ULONGLONG used = ThreadTime(thread);
            idleLooks = used == usedBefore ? idleLooks + 1 : 0;
            usedBefore = used;
            if (ownCode || idleLooks >= idleLooksToStop)
                break;
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

std::vector<const void*> programHolds;   // GUI thread only: the keys of the holds in force
int messageHolds;                         // GUI thread only: message holds running
int requestsAtWork;                       // GUI thread only: signalling requests whose handlers run

void ReleaseEndWaiters()
{
    if (requestsAtWork == 0 && ProgramEndRequested())
        SetEvent(runtime.programEndEvent);
}

// The program is held while a hold is in force and no message hold runs.
void UpdateProgramHold()
{
    bool hold = !programHolds.empty() && messageHolds == 0;
    if (hold == (runtime.programHoldRequested != 0))
        return;
    if (hold) {
        ResetEvent(runtime.programReleaseEvent);
        StoreInterlocked(runtime.programHoldRequested, 1);
    } else {
        StoreInterlocked(runtime.programHoldRequested, 0);
        SetEvent(runtime.programReleaseEvent);
    }
}

}  // namespace

void PrepareSafePoints()
{
    runtime.programEndRequested = 0;
    runtime.programHoldRequested = 0;
    programHolds.clear();
    messageHolds = 0;
    requestsAtWork = 0;
    runtime.programEndEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    runtime.programReleaseEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);
}

void WaitForProgramThreadEnd()
{
    RequestProgramEnd();
    if (!WaitAnsweringRequests(endGraceMilliseconds))
        StopProgramThread();
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

// Set, not pulsed: a program about to wait passes as well, and goes on to its next safe point.
void RequestProgramEnd()
{
    if (InterlockedExchange(&runtime.programEndRequested, 1) == 0) {
        for (HANDLE input : {runtime.anyInputEvent, runtime.keyOrWindowEvent, runtime.characterEvent,
                             runtime.mouseOrCommandEvent, runtime.messageEvent})
            SetEvent(input);
    }
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

void HoldProgramThread(const void* key)
{
    programHolds.push_back(key);
    UpdateProgramHold();
}

void ReleaseProgramThread(const void* key)
{
    auto hold = std::find(programHolds.rbegin(), programHolds.rend(), key);
    if (hold != programHolds.rend())
        programHolds.erase(std::next(hold).base());
    UpdateProgramHold();
}

void ReleaseProgramHoldsOf(const void* key)
{
    programHolds.erase(std::remove(programHolds.begin(), programHolds.end(), key), programHolds.end());
    UpdateProgramHold();
}

void BeginMessageHold()
{
    ++messageHolds;
    UpdateProgramHold();
}

void EndMessageHold()
{
    --messageHolds;
    UpdateProgramHold();
}

void LiftProgramHolds()
{
    if (programHolds.empty())
        return;
    programHolds.clear();
    UpdateProgramHold();
}
