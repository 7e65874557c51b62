// The program that the soak runs drive from outside.
//   (no word)        strings, MCI commands and library calls as fast as it can; every 32 rounds
//                    the round count becomes the window title, so that a driver sees it running.
//   requests N NAME  N mixed requests (posted window, control and message-flow requests,
//                    synchronous waits and library calls), counted in the shared memory NAME,
//                    then the same pass after pass until it is closed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "kernel/gui_request.h"
#include "kernel/message_flow_requests.h"
#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"
#include "kernel/startup.h"
#include "kernel/windowing.h"
#include "services/library_calls.h"
#include "services/mci.h"
#include "soak/soak_report.h"
#include "values/rt_string.h"

namespace {

SoakReport* report;

void BusyRounds()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    for (DWORD round = 0;; ++round) {
        RtString text = RtString::FromInt(static_cast<int32_t>(round));
        for (int piece = 0; piece < 8; ++piece)
            text = text.Concat(" Runde");
        SendMciCommand("status xyz mode");
        CallLibraryFunction("USER32", "GetAsyncKeyState", {VK_SPACE});
        CallLibraryFunction("VERSION", "GetFileVersionInfoSizeA", {reinterpret_cast<DWORD>(path), 0});
        if (round % 32 == 0) {
            char title[32];
            std::snprintf(title, sizeof title, "%lu", round);
            SetWindowTextA(runtime.mainWindow, title);
        }
    }
}

// Carried out on the GUI thread with the request's number: a number seen out of turn is a request
// lost or carried out twice.
int32_t __cdecl TakeNumber(void* context)
{
    LONG number = static_cast<LONG>(reinterpret_cast<INT_PTR>(context));
    LONG expected = report->carriedOut + 1;
    if (number < expected)
        InterlockedIncrement(&report->carriedOutTwice);
    else if (number > expected)
        InterlockedExchangeAdd(&report->lost, number - expected);
    InterlockedExchange(&report->carriedOut, number);
    return 0;
}

void CallNumbered(LONG number, bool posted)
{
    runtime.callArguments[0] = static_cast<DWORD>(number);
    CallFunctionRequest block{reinterpret_cast<const void*>(TakeNumber), 1, 0};
    if (posted)
        PostGuiRequest(CallFunctionOpcode, &block);
    else
        SendGuiRequest(CallFunctionOpcode, reinterpret_cast<LPARAM>(&block));
}

// LastEvent's fields, each written by itself, hold what some handled message held: a window of
// the process (or none), and no value that no message had.
void CheckLastEvent()
{
    HWND window = reinterpret_cast<HWND>(runtime.lastEvent.window);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (window != nullptr && process != GetCurrentProcessId() && IsWindow(window))
        InterlockedIncrement(&report->lastEventOdd);
}

void OneRequest(LONG number)
{
    switch (number % 8) {
    case 0: {
        CreateControlRequest control{0, WS_CHILD | WS_VISIBLE, 0, "BUTTON", "", 5, 5, 40, 20, runtime.mainWindow,
                                     nullptr, nullptr, nullptr};
        PostGuiRequest(CreateControlOpcode, &control);
        DestroyWindowRequest destroy{control.window, 0};
        PostGuiRequest(DestroyWindowOpcode, &destroy);
        break;
    }
    case 1: {
        PeekMessageRequest peek{0};
        PostGuiRequest(PeekMessageOpcode, &peek);
        break;
    }
    case 2:
        PostGuiRequest(HoldMessagesOpcode, nullptr);
        CallNumbered(number, true);   // carried out by the hold
        PostGuiRequest(EndHoldOpcode, nullptr);
        return;
    case 3: GuiSleep(0); break;
    case 4: InputPending(); break;
    case 5: CallLibraryFunction("USER32", "GetAsyncKeyState", {VK_SPACE}); break;
    case 6: PostGuiRequest(ProcessPendingOpcode, nullptr); break;
    default: break;
    }
    CallNumbered(number, number % 2 == 0);
}

void Requests(LONG count, const char* name)
{
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(SoakReport), name);
    report = static_cast<SoakReport*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SoakReport)));
    MeasureResources(report->before);
    for (LONG number = 1;; ++number) {
        OneRequest(number);
        InterlockedExchange(&report->completed, number);
        CheckLastEvent();
        if (number == count)
            MeasureResources(report->after);
    }
}

}  // namespace

extern "C" DWORD WINAPI ProgramThreadMain(void*)
{
    SynchronizeWithGuiThread();
    SetWindowStyleFlags(0x4 | 0x8);   // a sizing border and a system menu
    SetMainWindowGeometry(50, 50, 400, 300);
    if (runtime.parameterCount >= 3 && std::strcmp(runtime.parameters[1].Text(), "requests") == 0)
        Requests(std::atol(runtime.parameters[2].Text()), runtime.parameters[3].Text());
    BusyRounds();
    return 0;
}
