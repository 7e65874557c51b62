// The message-flow requests on the real runtime: peeking, draining, and the hold with its three
// states. Cases that end the GUI loop run in a child: this program started again with the
// scenario's name as its parameter; the child's exit code tells the outcome.
#include <string>

#include "kernel/message_flow_requests.h"
#include "kernel/program_thread.h"
#include "kernel/windowing.h"
#include "support/runtime_test.h"

namespace {

constexpr DWORD childPatience = 30000;
constexpr DWORD timedOut = 0xFFFFFFFF;
constexpr UINT scenarioFailed = 90;      // a child's check failed
constexpr LONG sentinel = static_cast<LONG>(0xFEEDABAD);

void PostToGuiThread(GuiOpcode opcode)
{
    PostGuiRequest(opcode, nullptr);
}

int32_t PeekMessageWaiting()
{
    PeekMessageRequest block{sentinel};
    PostGuiRequest(PeekMessageOpcode, &block);
    return block.found;
}

void SetLastEventSentinels()
{
    for (volatile LONG* field : {&runtime.lastEvent.window, &runtime.lastEvent.message, &runtime.lastEvent.wParam,
                                 &runtime.lastEvent.lParam})
        StoreInterlocked(*field, sentinel);
}

void PostKeyToMainWindow(WPARAM key)
{
    StoreInterlocked(runtime.lastKey, 0);
    PostMessageA(runtime.mainWindow, WM_KEYDOWN, key, 0);
}

void PrepareMainWindow()
{
    if (runtime.mainWindow == nullptr)
        SetMainWindowGeometry(50, 50, 300, 200);
    ASSERT_NE(runtime.mainWindow, nullptr);
}

// --- Children: each scenario ends its process, and the exit code is what the parent checks ---

void Check(bool condition)
{
    if (!condition)
        ExitProcess(scenarioFailed);
}

void QuitWaitsForTheHold(GuiOpcode release)
{
    PostToGuiThread(HoldMessagesOpcode);
    PostThreadMessageA(runtime.guiThreadId, WM_QUIT, 41, 0);
    Check(PeekMessageWaiting() != 0);          // carried out: the hold goes on
    Check(runtime.lastEvent.message == WM_QUIT);
    PostToGuiThread(release);
}

// "process-pending-keeps-quit" runs on the GUI thread, where nothing else takes messages
// meanwhile: ProcessPendingRequest stops at the quit message and posts it again, and the message
// behind it stays queued. The GUI loop then dispatches that message, whose window checks the
// pending quit message and sets the code the process ends with.
constexpr WPARAM placeholderQuitCode = 1;
bool processPendingDone = false;

LRESULT CALLBACK BehindQuitProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_USER)
        return DefWindowProcA(window, message, wParam, lParam);
    Check(processPendingDone);
    MSG quit;
    Check(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) && quit.wParam == placeholderQuitCode);
    PostQuitMessage(42);
    return 0;
}

int32_t __cdecl ProcessPendingBehindQuit(void*)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = BehindQuitProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "BehindQuit";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("BehindQuit", "", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, windowClass.hInstance,
                                nullptr);
    Check(window != nullptr);

    PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, placeholderQuitCode, 0);
    PostMessageA(window, WM_USER, 0, 0);
    ProcessPendingHandler();
    processPendingDone = true;
    MSG waiting;
    Check(PeekMessageA(&waiting, nullptr, WM_USER, WM_USER, PM_NOREMOVE) && waiting.hwnd == window);
    return 0;
}

struct Scenario {
    const char* name;
    void (*run)();
    DWORD exitCode;
};

const Scenario scenarios[] = {
    // A WM_QUIT posted to the thread stays queued while the hold carries out requests.
    {"quit-waits-for-end-hold", [] { QuitWaitsForTheHold(EndHoldOpcode); }, 41},
    {"quit-waits-for-resume", [] { QuitWaitsForTheHold(ResumeMessagesOpcode); }, 41},
    {"process-pending-keeps-quit", [] { RunOnGuiThread(ProcessPendingBehindQuit, nullptr); }, 42},
    // The program ends without ending the hold: its quit message still ends the GUI loop.
    {"program-ends-during-hold",
     [] {
         PostToGuiThread(HoldMessagesOpcode);
         PeekMessageWaiting();                 // carried out inside the hold
         PostThreadMessageA(runtime.guiThreadId, WM_QUIT, 43, 0);
     },
     43},
    // The main window goes during the hold: the quit state ends the hold and the program.
    {"window-destroyed-during-hold",
     [] {
         SetMainWindowGeometry(50, 50, 300, 200);
         PostToGuiThread(HoldMessagesOpcode);
         DestroyWindowRequest block{runtime.mainWindow, 0};
         PostGuiRequest(DestroyWindowOpcode, &block);
         ExitProcess(scenarioFailed + 1);      // the safe point behind the request ends the thread
     },
     0},
};

DWORD RunChild(const char* scenario)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string commandLine = std::string("\"") + path + "\" " + scenario;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return timedOut;
    DWORD code = timedOut;
    if (WaitForSingleObject(process.hProcess, childPatience) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, timedOut);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

TEST(MessageFlowEnds, EachScenarioEndsItsProcessWithTheQuitCode)
{
    for (const Scenario& scenario : scenarios)
        EXPECT_EQ(RunChild(scenario.name), scenario.exitCode) << scenario.name << " (90: a check failed)";
}

// --- In this process ---

TEST(PeekMessageRequest, AnEmptyQueueGivesZeroAndLeavesLastEventAlone)
{
    PostToGuiThread(ProcessPendingOpcode);     // paint and other leftovers are handled first
    SetLastEventSentinels();
    EXPECT_EQ(PeekMessageWaiting(), 0);
    for (LONG field : {runtime.lastEvent.window, runtime.lastEvent.message, runtime.lastEvent.wParam,
                       runtime.lastEvent.lParam})
        EXPECT_EQ(field, sentinel);
}

// The hold: a key posted to the main window waits, is seen by PeekMessageRequest without being
// taken, and reaches the window procedure once the hold is released or resumed.
struct Release {
    const char* name;
    GuiOpcode opcode;
    bool resumed;                              // the hold goes on in the resumed state
};

const Release releases[] = {
    {"EndHoldRequest", EndHoldOpcode, false},
    {"ResumeMessagesRequest", ResumeMessagesOpcode, true},
};

TEST(HoldMessagesRequest, AKeyWaitsUntilTheHoldLetsItThrough)
{
    PrepareMainWindow();
    for (const Release& release : releases) {
        PostToGuiThread(HoldMessagesOpcode);
        PostKeyToMainWindow('H');
        SetLastEventSentinels();
        EXPECT_NE(PeekMessageWaiting(), 0) << release.name;
        EXPECT_EQ(runtime.lastEvent.message, static_cast<LONG>(WM_KEYDOWN)) << release.name;
        EXPECT_EQ(runtime.lastEvent.wParam, 'H') << release.name;
        EXPECT_EQ(runtime.lastKey, 0) << release.name << ": handled during the hold";
        PostToGuiThread(release.opcode);
        EXPECT_TRUE(WaitFor([] { return runtime.lastKey == 'H'; })) << release.name;
        if (release.resumed) {
            // Back to holding, then out: a key waits again until the end of the hold.
            PostToGuiThread(SuspendMessagesOpcode);
            PostKeyToMainWindow('J');
            EXPECT_NE(PeekMessageWaiting(), 0);
            EXPECT_EQ(runtime.lastKey, 0) << "handled after SuspendMessagesRequest";
            PostToGuiThread(EndHoldOpcode);
            EXPECT_TRUE(WaitFor([] { return runtime.lastKey == 'J'; }));
        }
    }
}

TEST(HoldMessagesRequest, ProcessPendingRequestHandlesWhatTheHoldKeeps)
{
    PrepareMainWindow();
    PostToGuiThread(HoldMessagesOpcode);
    PostKeyToMainWindow('P');
    PostToGuiThread(ProcessPendingOpcode);
    EXPECT_EQ(runtime.lastKey, 'P');
    PostToGuiThread(EndHoldOpcode);
}

TEST(HoldMessagesRequest, NestedHoldsEndOneAtATime)
{
    PrepareMainWindow();
    PostToGuiThread(HoldMessagesOpcode);
    PostToGuiThread(HoldMessagesOpcode);
    PostToGuiThread(EndHoldOpcode);
    PostKeyToMainWindow('N');
    EXPECT_NE(PeekMessageWaiting(), 0);
    EXPECT_EQ(runtime.lastKey, 0) << "the outer hold ended with the inner one";
    PostToGuiThread(EndHoldOpcode);
    EXPECT_TRUE(WaitFor([] { return runtime.lastKey == 'N'; }));
}

bool InMenuMode()
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(runtime.guiThreadId, &info) && (info.flags & GUI_INMENUMODE) != 0;
}

// The system menu's loop looks at a message, offers it to the hooks, and removes it only then:
// a hold taken there runs once, and one EndHoldRequest ends it.
TEST(HoldMessagesRequest, AHoldTakenByTheSystemMenuRunsOnce)
{
    PrepareMainWindow();
    PostMessageA(runtime.mainWindow, WM_SYSCOMMAND, SC_KEYMENU, VK_SPACE);
    ASSERT_TRUE(WaitFor([] {
        HWND popup = FindWindowA("#32768", nullptr);
        return popup != nullptr && IsWindowVisible(popup);
    })) << "the system menu did not open";
    PostToGuiThread(HoldMessagesOpcode);
    PostToGuiThread(EndHoldOpcode);
    CallOnGuiThread(reinterpret_cast<const void*>(&EndMenu));
    EXPECT_TRUE(WaitFor([] { return !InMenuMode(); }));
    PostKeyToMainWindow('M');
    bool handled = WaitFor([] { return runtime.lastKey == 'M'; });
    EXPECT_TRUE(handled) << "a second hold is still holding";
    if (!handled)
        PostToGuiThread(EndHoldOpcode);
}

TEST(HoldMessagesRequest, TheReleaseRequestsDoNothingOutsideAHold)
{
    PrepareMainWindow();
    for (GuiOpcode opcode : {EndHoldOpcode, ResumeMessagesOpcode, SuspendMessagesOpcode}) {
        PostToGuiThread(opcode);
        PostKeyToMainWindow('O');
        EXPECT_TRUE(WaitFor([] { return runtime.lastKey == 'O'; })) << opcode;
    }
}

}  // namespace

void PrepareRuntimeTests()
{
    if (runtime.parameterCount < 1)
        return;
    for (const Scenario& scenario : scenarios) {
        if (runtime.parameters[1].CompareText(scenario.name) == 0) {
            scenario.run();
            ExitThread(0);
        }
    }
}
