// A program on the runtime that ends the way its first parameter names, for end_paths_test.
// Exit code 0 means the program ended that way; codes from 100 on tell what went wrong:
//   100 the mode is unknown, 101 a report that should have ended the program returned,
//   102 the program thread outlived the main window, 103 a command line of blanks counted below 0,
//   104 the program thread ended while its request was carried out,
//   106 the program went on after its request destroyed the main window,
//   110 + i parameter i is not the expected one.
// The mode "path" writes GetParameter(0) into the file that parameter 2 names and then sets the
// event that parameter 3 names.
#include <cstring>

#include "kernel/gui_request.h"
#include "services/library_calls.h"

#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"
#include "kernel/startup.h"
#include "kernel/windowing.h"
#include "services/parameters.h"
#include "services/runtime_errors.h"

namespace {

void Quit(WPARAM exitCode)
{
    PostThreadMessageA(runtime.guiThreadId, WM_QUIT, exitCode, 0);
}

// The words end_paths_test passes after the mode for the "parameters" mode.
const char* const expectedParameters[] = {"parameters", "C:\\My Clips\\a b.avi", "1", "", "x\ty",
                                          "quoted", "letters", "\xE4\xF6\xFC", "open to  the end "};

WPARAM CheckParameters()
{
    constexpr LONG expectedCount = sizeof expectedParameters / sizeof expectedParameters[0];
    if (runtime.parameterCount != expectedCount || runtime.parameters.size() != expectedCount + 1u)
        return 110;
    for (LONG i = 1; i <= expectedCount; ++i) {
        if (runtime.parameters[i].CompareText(expectedParameters[i - 1]) != 0)
            return 110 + i;
    }
    return 0;
}

// Busy on the program thread until the main window's end terminates it; gives up after a while.
void SpinUntilTerminated()
{
    DWORD start = GetTickCount();
    volatile DWORD counter = 0;
    while (GetTickCount() - start < 30000)
        counter = counter + 1;
    Quit(102);
}

void ReportProgramPath()
{
    RtString path = GetParameter(0);
    HANDLE file = CreateFileA(runtime.parameters[2].Text(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, path.Text(), path.Length(), &written, nullptr);
    CloseHandle(file);
    HANDLE reported = OpenEventA(EVENT_MODIFY_STATE, FALSE, runtime.parameters[3].Text());
    SetEvent(reported);
    CloseHandle(reported);
}

void CreateMainWindowForTheDriver()
{
    SetMainWindowGeometry(50, 50, 320, 200);
}

// Pass after pass like the player's loop, until something outside ends the program.
[[noreturn]] void WaitPassAfterPass()
{
    for (;;)
        GuiSleep(20);
}

int32_t __cdecl LoadMissingLibrary(void*)
{
    return CallLibraryFunction("nosuch.dll", "Anything", {});
}

// A child window that takes its time to go, so that the main window's destruction outlasts the
// moment its WM_DESTROY asks the program to end.
LRESULT CALLBACK SlowToDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
        Sleep(1000);
    return DefWindowProcA(window, message, wParam, lParam);
}

// Every thread's exit runs this on that thread: the program thread must not end while the
// request it waits for is still being carried out.
DestroyWindowRequest* volatile requestAwaited;

void NTAPI CheckTheRequestAtThreadExit(PVOID, DWORD reason, PVOID)
{
    DestroyWindowRequest* block = requestAwaited;
    if (reason == DLL_THREAD_DETACH && block != nullptr && GetCurrentThreadId() == GetThreadId(runtime.programThreadHandle) &&
        block->result == -1)
        Quit(104);
}

extern "C" __attribute__((section(".CRT$XLB"), used)) const PIMAGE_TLS_CALLBACK checkTheRequestAtThreadExit =
    CheckTheRequestAtThreadExit;

void DestroyTheMainWindowInARequest()
{
    CreateMainWindowForTheDriver();
    WNDCLASSA slowClass{};
    slowClass.lpfnWndProc = SlowToDestroy;
    slowClass.hInstance = runtime.instanceHandle;
    slowClass.lpszClassName = "SLOW";
    RegisterClassA(&slowClass);
    CreateControlRequest child{1, WS_CHILD | WS_VISIBLE, 0, "SLOW", "", 0, 0, 10, 10, runtime.mainWindow,
                               nullptr, runtime.instanceHandle, nullptr};
    PostGuiRequest(CreateControlOpcode, &child);
    DestroyWindowRequest block{runtime.mainWindow, -1};
    requestAwaited = &block;
    PostGuiRequest(DestroyWindowOpcode, &block);
    Quit(106);
}

// The user: once the move loop has begun, Enter ends it (the key waits while a hold runs).
DWORD WINAPI PressEnterInTheMoveLoop(void*)
{
    while (IsRectEmpty(&runtime.savedWindowRect))
        Sleep(1);
    PostMessageA(runtime.mainWindow, WM_KEYDOWN, VK_RETURN, 0);
    return 0;
}

// The program asks for a hold while the user's command to move the window is still queued: the
// move loop begins, holds the program at its next safe point, and takes the hold request.
void HoldWhileAMoveLoopBegins()
{
    SetWindowStyleFlags(0x4 | 0x8);
    CreateMainWindowForTheDriver();
    SetRectEmpty(&runtime.savedWindowRect);   // the move loop notes the window's rectangle
    CloseHandle(CreateThread(nullptr, 0, PressEnterInTheMoveLoop, nullptr, 0, nullptr));
    PostMessageA(runtime.mainWindow, WM_SYSCOMMAND, SC_MOVE, 0);
    PostGuiRequest(HoldMessagesOpcode, nullptr);
    while (IsRectEmpty(&runtime.savedWindowRect))   // no safe point: the move loop holds none
        Sleep(1);
    PostGuiRequest(EndHoldOpcode, nullptr);
    PostQuitToGuiThread();
}

}  // namespace

extern "C" DWORD WINAPI ProgramThreadMain(void*)
{
    SynchronizeWithGuiThread();
    if (runtime.parameterCount < 1) {   // started with a command line of blanks
        Quit(runtime.parameterCount == 0 ? 0 : 103);
        return 0;
    }
    const char* mode = runtime.parameters[1].Text();
    if (std::strcmp(mode, "return") == 0) {
        PostQuitToGuiThread();
        return 0;
    }
    if (std::strcmp(mode, "end") == 0)
        EndProgramThread();
    if (std::strcmp(mode, "close") == 0) {
        CreateMainWindowForTheDriver();
        SpinUntilTerminated();
        return 0;
    }
    if (std::strcmp(mode, "parameters") == 0) {
        Quit(CheckParameters());
        return 0;
    }
    if (std::strcmp(mode, "quit-from-outside") == 0) {
        CreateMainWindowForTheDriver();
        WaitPassAfterPass();
    }
    if (std::strcmp(mode, "fatal-on-gui-thread") == 0) {
        RunOnGuiThread(LoadMissingLibrary, nullptr);
        WaitPassAfterPass();
    }
    if (std::strcmp(mode, "destroy-in-request") == 0) {
        DestroyTheMainWindowInARequest();
        return 0;
    }
    if (std::strcmp(mode, "hold-in-move-loop") == 0) {
        HoldWhileAMoveLoopBegins();
        return 0;
    }
    if (std::strcmp(mode, "path") == 0 && runtime.parameters.size() > 3) {
        ReportProgramPath();
        Quit(0);
        return 0;
    }
    if (std::strcmp(mode, "error248") == 0) {
        RuntimeError(248, "Foo");
    } else if (std::strcmp(mode, "error248-window") == 0) {
        CreateMainWindowForTheDriver();
        RuntimeError(248, "Foo");
    } else if (std::strcmp(mode, "error207") == 0) {
        RuntimeError(207, nullptr);
    } else if (std::strcmp(mode, "warning") == 0) {
        RuntimeWarning(223, nullptr);   // the driver answers Cancel
    } else if (std::strcmp(mode, "mode0") == 0) {
        runtime.errorMode = 0;
        RuntimeWarning(223, nullptr);   // silent
        RuntimeError(247, "nosuch.dll");
    } else if (std::strcmp(mode, "mode2") == 0) {
        runtime.errorMode = 2;
        RuntimeWarning(223, nullptr);
    } else {
        Quit(100);
        return 0;
    }
    Quit(101);
    return 0;
}
