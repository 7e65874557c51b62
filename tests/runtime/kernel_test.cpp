// The kernel on the real runtime: every way a program ends (this program started again with a
// scenario's name), LastEvent, requests (and another program's messages: this program started
// outside the runtime), library calls, reports, the hold, resources over cycles.
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "kernel/message_flow_requests.h"
#include "kernel/windowing.h"
#include "services/library_calls.h"
#include "services/parameters.h"
#include "services/runtime_errors.h"
#include "services/window_commands.h"
#include "support/runtime_test.h"
#include "values/program_objects.h"

namespace {

void Post(GuiOpcode opcode) { PostGuiRequest(opcode, nullptr); }
void Quit(WPARAM exitCode) { PostThreadMessageA(runtime.guiThreadId, WM_QUIT, exitCode, 0); }
void Check(bool condition) { if (!condition) ExitProcess(90); }   // in a child
void PrepareMainWindow() { if (runtime.mainWindow == nullptr) SetMainWindowGeometry(50, 50, 320, 200); }
void PostKey(WPARAM key) { StoreInterlocked(runtime.lastKey, 0); PostMessageA(runtime.mainWindow, WM_KEYDOWN, key, 0); }
bool KeyHandled(LONG key) { return WaitFor([key] { return runtime.lastKey == key; }); }
int32_t __cdecl LoadMissingLibrary(void*) { return CallLibraryFunction("nosuch.dll", "Anything", {}); }

bool MessageWaiting()   // looked at, not taken, by a request
{
    PeekMessageRequest block{0};
    PostGuiRequest(PeekMessageOpcode, &block);
    return block.found != 0;
}

// The main window's destruction outlasts its WM_DESTROY (a child slow to go).
LRESULT CALLBACK SlowToDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
        Sleep(1000);
    return DefWindowProcA(window, message, wParam, lParam);
}

std::string SafePointEvent(DWORD processId) { return "kalmus_safe_point_" + std::to_string(processId); }

// Runs on a thread that ends itself, not on one that is terminated: the program thread tells
// the parent that it ended at a safe point, and that no request it waits for still ran.
DestroyWindowRequest* volatile requestAwaited;

void NTAPI AtThreadExit(PVOID, DWORD reason, PVOID)
{
    if (reason != DLL_THREAD_DETACH || GetCurrentThreadId() != GetThreadId(runtime.programThreadHandle))
        return;
    if (requestAwaited != nullptr && requestAwaited->result == -1)
        Quit(104);
    SetEvent(OpenEventA(EVENT_MODIFY_STATE, FALSE, SafePointEvent(GetCurrentProcessId()).c_str()));
}

extern "C" __attribute__((section(".CRT$XLB"), used)) const PIMAGE_TLS_CALLBACK atThreadExit = AtThreadExit;

DWORD WINAPI PressEnterInTheMoveLoop(void*)   // the user ends the loop once it has begun
{
    while (IsRectEmpty(&runtime.savedWindowRect))
        Sleep(1);
    return PostMessageA(runtime.mainWindow, WM_KEYDOWN, VK_RETURN, 0);
}

// On the GUI thread: ProcessPendingRequest stops at the quit message and posts it again; the
// message behind it, dispatched later by the GUI loop, sees the quit still pending.
LRESULT CALLBACK BehindQuit(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG quit;
    if (message != WM_USER)
        return DefWindowProcA(window, message, wParam, lParam);
    Check(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) && quit.wParam == 1);
    PostQuitMessage(42);
    return 0;
}

int32_t __cdecl ProcessPendingBehindQuit(void*)
{
    WNDCLASSA behind{0, BehindQuit, 0, 0, runtime.instanceHandle, nullptr, nullptr, nullptr, nullptr, "BEHIND"};
    RegisterClassA(&behind);
    HWND window = CreateWindowA("BEHIND", "", 0, 0, 0, 9, 9, HWND_MESSAGE, nullptr, runtime.instanceHandle, nullptr);
    PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 1, 0);
    PostMessageA(window, WM_USER, 0, 0);
    ProcessPendingHandler();
    return 0;
}

const std::initializer_list<Scenario> scenarios = {
    {"close-busy", [] { PrepareMainWindow(); for (DWORD start = GetTickCount(); GetTickCount() - start < 30000;) {} Quit(102); }},
    {"parameters", [] {   // the splitting itself is the unit tests'
         Check(runtime.parameterCount == 2 && GetParameter(0).CompareText(ThisProgram().c_str()) == 0 &&   // its whole path
               runtime.parameters[2].CompareText("C:\\My Clips\\a\t\xE4.avi") == 0);
         Quit(0);
     }},
    {"quit-from-outside", [] { PrepareMainWindow(); for (;;) GuiSleep(20); }},   // as the player's loop does
    {"fatal-on-gui-thread", [] { RunOnGuiThread(LoadMissingLibrary, nullptr); ExitProcess(107); }},
    {"waits-for-input", [] { PrepareMainWindow(); for (;;) WaitForSingleObject(runtime.keyOrWindowEvent, INFINITE); }},
    {"window-gone-in-its-move-loop",   // in a message hold the program stays free, whatever the user does
     [] {
         PrepareMainWindow();
         Post(HoldMessagesOpcode);
         Post(ResumeMessagesOpcode);
         HWND dialog = CreateDialogWindow("Fenster", nullptr, {60, 60, 300, 220});
         PostMessageA(dialog, WM_SYSCOMMAND, SC_MOVE, 0);   // the user presses on its caption
         while (IsRectEmpty(&runtime.dialogSavedRect))
             Sleep(1);
         DestroyByRequest(dialog);   // carried out in the window's own move loop
         Post(SuspendMessagesOpcode);
         Post(EndHoldOpcode);
         GuiSleep(0);
         Quit(44);
     }},
    {"destroy-in-request",
     [] {
         PrepareMainWindow();
         WNDCLASSA slowClass{0, SlowToDestroy, 0, 0, runtime.instanceHandle, nullptr, nullptr, nullptr, nullptr, "SLOW"};
         RegisterClassA(&slowClass);
         CreateControl("SLOW");
         DestroyWindowRequest block{runtime.mainWindow, -1};
         requestAwaited = &block;
         PostGuiRequest(DestroyWindowOpcode, &block);
         Quit(106);   // the safe point behind the request ends the program
     }},
    {"hold-in-move-loop",   // a hold posted while the user's command to move is still queued
     [] {
         SetWindowStyleFlags(0x4 | 0x8);
         PrepareMainWindow();
         SetRectEmpty(&runtime.savedWindowRect);
         CloseHandle(CreateThread(nullptr, 0, PressEnterInTheMoveLoop, nullptr, 0, nullptr));
         PostMessageA(runtime.mainWindow, WM_SYSCOMMAND, SC_MOVE, 0);
         Post(HoldMessagesOpcode);
         while (IsRectEmpty(&runtime.savedWindowRect))   // the loop has begun; no safe point meanwhile
             Sleep(1);
         Post(EndHoldOpcode);
         PostQuitToGuiThread();
     }},
    {"error248", [] { PrepareMainWindow(); RuntimeError(248, "Foo"); Quit(101); }},
    {"warning", [] { RuntimeWarning(223, nullptr); Quit(101); }},
    {"mode0", [] { runtime.errorMode = 0; RuntimeWarning(223, nullptr); RuntimeError(247, "x.dll"); Quit(101); }},
    {"mode2", [] { runtime.errorMode = 2; RuntimeWarning(223, nullptr); Quit(101); }},
    {"quit-waits-for-hold",
     [] {
         Post(HoldMessagesOpcode);
         Quit(41);
         Check(MessageWaiting() && runtime.lastEvent.message == WM_QUIT);   // carried out: the hold goes on
         Post(EndHoldOpcode);
     }},
    {"process-pending-keeps-quit", [] { RunOnGuiThread(ProcessPendingBehindQuit, nullptr); }},
    {"program-ends-during-hold", [] { Post(HoldMessagesOpcode); MessageWaiting(); Quit(43); }},
    {"window-destroyed-during-hold", [] { PrepareMainWindow(); Post(HoldMessagesOpcode); DestroyByRequest(runtime.mainWindow); ExitProcess(105); }},
};

}  // namespace

void PrepareRuntimeTests()
{
    if (runtime.parameters.empty()) {   // started with a command line of blanks
        Quit(runtime.parameterCount == 0 ? 0 : 103);
        ExitThread(0);
    }
    RunScenarioNamedOnCommandLine(scenarios);
}

namespace {

struct Box { int answer; std::string caption; bool withCancel, ownedByMainWindow; };

const std::string negativeSize = "Negative Fenstergr\xF6\xDF" "e!";

// Exit codes: 90 a check failed; 101 a report returned; 102 the program outlived its window; 103
// blanks counted -1 words; 104 the program ended while its request ran; 105 to 107 it went on.
// Arguments null: a command line of blanks; the boxes are answered in order; drive: what the user
// or another program does, and the process ends soon after it; a program thread busy in its own
// code or waiting for input ends without reaching a safe point.
const struct { const char* arguments; DWORD exitCode; std::vector<Box> boxes; void (*drive)(HWND window); bool safePoint = true; } endings[] = {
    {"close-busy", 0, {}, [](HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }, false},
    {"waits-for-input", 0, {}, [](HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }, false},
    {"window-gone-in-its-move-loop", 44, {}, nullptr},
    {"parameters   \"C:\\My Clips\\a\t\xE4.avi", 0, {}, nullptr},
    {nullptr, 0, {}, nullptr},
    {"quit-from-outside", 0, {}, [](HWND window) { PostThreadMessageA(GetWindowThreadProcessId(window, nullptr), WM_QUIT, 0, 0); }},
    {"fatal-on-gui-thread", 0, {{IDOK, "Fehler beim Laden der DLL: nosuch.dll", false, false}}, nullptr},
    {"destroy-in-request", 0, {}, nullptr},
    {"hold-in-move-loop", 0, {}, nullptr},
    {"error248", 0, {{IDOK, "Funktion in DLL nicht vohanden: Foo", false, true}}, nullptr},
    {"warning", 0, {{IDCANCEL, negativeSize, true, false}, {IDOK, "Programm abgebrochen!", false, false}}, nullptr},
    {"mode0", 0, {{IDOK, "Fehler beim Laden der DLL: x.dll", false, false}}, nullptr},
    {"mode2", 0, {{IDOK, negativeSize, false, false}}, nullptr},
    {"quit-waits-for-hold", 41, {}, nullptr},
    {"process-pending-keeps-quit", 42, {}, nullptr},
    {"program-ends-during-hold", 43, {}, nullptr},
    {"window-destroyed-during-hold", 0, {}, nullptr},
};

TEST(EndPaths, EveryWayOfEndingEndsTheProcessWithItsCode)
{
    for (const auto& ending : endings) {
        std::string name = ending.arguments != nullptr ? ending.arguments : "(blanks)";
        ChildProcess child(ending.arguments != nullptr ? "\"" + ThisProgram() + "\" " + name : "   ",
                           ending.arguments != nullptr ? nullptr : ThisProgram().c_str());
        HANDLE safePoint = CreateEventA(nullptr, TRUE, FALSE, SafePointEvent(child.Id()).c_str());
        HWND window = ending.drive != nullptr || !ending.boxes.empty() ? child.WaitForWindow("FENSTER", 3000) : nullptr;
        DWORD driven = GetTickCount();
        if (ending.drive != nullptr)
            ending.drive(window);
        for (const Box& expected : ending.boxes) {
            MessageBoxSeen box = AnswerProcessMessageBox(child.Id(), expected.answer);
            EXPECT_EQ(box.caption, expected.caption) << name;
            EXPECT_TRUE(box.text == "Zeilennummer nicht verf\xFCgbar." && box.hasOk && box.hasCancel == expected.withCancel &&
                        box.owner == (expected.ownedByMainWindow ? window : nullptr)) << name << ": " << box.text;
        }
        EXPECT_EQ(child.ExitCode(), ending.exitCode) << name;
        EXPECT_TRUE(ending.drive == nullptr || GetTickCount() - driven < 6000) << name << ": a slow end";   // 7 s and more when it hung
        EXPECT_EQ(WaitForSingleObject(safePoint, 0) == WAIT_OBJECT_0, ending.safePoint) << name << ": a safe point";
        CloseHandle(safePoint);
    }
}

// ---- The GUI loop records and pulses every ordinary message it takes; requests run once each, only
// the program's own, and each releases its requester ----

volatile LONG counted;
int32_t __stdcall Count() { return InterlockedIncrement(&counted); }
const LONG unwritten = static_cast<LONG>(0xFEEDABAD);

// A request from a thread of its own, behind a completion that is not its own. Completed: it
// returned within patience; a thread whose request never completes keeps waiting, with its job.
struct Job { GuiOpcode opcode; void* block; };

DWORD WINAPI Request(void* context)
{
    std::unique_ptr<Job> job(static_cast<Job*>(context));
    SetEvent(runtime.requestDoneEvent);
    PostGuiRequest(job->opcode, job->block);
    return 0;
}

HANDLE StartRequest(GuiOpcode opcode, void* block) { return CreateThread(nullptr, 0, Request, new Job{opcode, block}, 0, nullptr); }
bool Completed(HANDLE request) { return WaitForSingleObject(request, patience) == WAIT_OBJECT_0 && CloseHandle(request); }
bool CompletesOnce(GuiOpcode opcode, void* block) { return Completed(StartRequest(opcode, block)); }

CreateMainWindowRequest* CreationBlock()   // the executor frees it
{
    return new (HeapAlloc(GetProcessHeap(), 0, sizeof(CreateMainWindowRequest))) CreateMainWindowRequest{0, 0, 90, 90};
}

// Program code on the GUI thread that takes every message and dispatches only its own window's, as
// some libraries do, while another thread makes a request.
CallFunctionRequest call{reinterpret_cast<const void*>(&Count), 0, unwritten};
HANDLE requestWhileDropping;

volatile bool flooding = true;
DWORD WINAPI Flood(void*) { while (flooding) PostMessageA(runtime.mainWindow, WM_MOUSEMOVE, 0, 0); return 0; }

int32_t __stdcall DropEveryMessageForAWhile()
{
    requestWhileDropping = StartRequest(CallFunctionOpcode, &call);
    MSG message;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 300;)
        PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
    return 0;
}

TEST(Requests, LastEventTheMessageEventAndControlIds)
{
    static PulseWatcher pulses(runtime.messageEvent);
    for (HWND window : {static_cast<HWND>(nullptr), runtime.requestWindow}) {
        int before = pulses.Arm();
        window != nullptr ? PostMessageA(window, 0x8002, 7, 8) : PostThreadMessageA(runtime.guiThreadId, 0x8002, 7, 8);
        EXPECT_TRUE(pulses.WaitForCount(before + 1));
        EXPECT_TRUE(runtime.lastEvent.window == reinterpret_cast<LONG>(window) && runtime.lastEvent.message == 0x8002 &&
                    runtime.lastEvent.wParam == 7 && runtime.lastEvent.lParam == 8);
    }
    int before = pulses.Arm();
    Post(ProcessPendingOpcode);
    EXPECT_TRUE(runtime.lastEvent.message == 0x8002 && pulses.Count() == before) << "a request recorded or pulsed";

    PrepareMainWindow();
    LONG first = runtime.nextControlId;
    HWND a = CreateControl("BUTTON");
    CreateControlRequest given{1, WS_CHILD, 0, "BUTTON", "", 0, 0, 9, 9, runtime.mainWindow, reinterpret_cast<HMENU>(77),
                               runtime.instanceHandle, nullptr};
    PostGuiRequest(CreateControlOpcode, &given);
    CreateUpDownRequest upDown{100, 10, 20, 20, runtime.mainWindow, a, 10, 0, 5};
    PostGuiRequest(CreateUpDownOpcode, &upDown);
    CreateStatusBarRequest status{runtime.mainWindow, "Bereit", nullptr};
    PostGuiRequest(CreateStatusBarOpcode, &status);
    EXPECT_TRUE(GetDlgCtrlID(a) == first && GetDlgCtrlID(given.window) == 77 && GetDlgCtrlID(status.window) == first + 2);
}

// Each request with a block of zeros but for the word it writes (-1: none), behind a completion that
// is not its own; no templates here: the dialogs fail at once, none waits for a user.
TEST(Requests, EveryRequestThatSignalsRunsOnceAndReleasesItsRequesterWhenItHasRun)
{
    PrepareMainWindow();
    const std::pair<GuiOpcode, int> requests[] = {
        {CreateControlOpcode, 12}, {PeekMessageOpcode, 0}, {OpenRuntimeDialogOpcode, 6}, {OpenTemplateDialogOpcode, 3},
        {PopupMenuOpcode, 0}, {DestroyWindowOpcode, 1}, {FileDialogOpcode, -1}, {CreateTabControlOpcode, 12},
        {ProcessPendingOpcode, -1}, {CreateDialogWindowOpcode, 6}, {FolderDialogOpcode, -1}, {EditBoxDialogOpcode, 2},
        {ListBoxDialogOpcode, -1}, {InputDialogOpcode, -1}, {InputPendingOpcode, 0}, {FillListOpcode, -1},
        {CreateUpDownOpcode, -1}, {CreateStatusBarOpcode, 2}, {CreateToolTipOpcode, 3}};
    static LONG blocks[std::size(requests)][16];   // written even after a failed wait
    for (size_t i = 0; i < std::size(requests); ++i) {
        auto [opcode, out] = requests[i];
        blocks[i][out >= 0 ? out : 15] = unwritten;
        EXPECT_TRUE(CompletesOnce(opcode, blocks[i]) && (out < 0 || blocks[i][out] != unwritten)) << "opcode " << opcode;
        if (out >= 0 && IsWindow(reinterpret_cast<HWND>(blocks[i][out])))
            DestroyByRequest(reinterpret_cast<HWND>(blocks[i][out]));
    }
    static DestroyWindowRequest keep{runtime.requestWindow, unwritten};
    HWND mainWindow = runtime.mainWindow;
    counted = 0;   // a negative time waits not at all; the request window stays; a program has one main window
    EXPECT_TRUE(CompletesOnce(CallFunctionOpcode, &call) && CompletesOnce(SleepOpcode, reinterpret_cast<void*>(-1)) &&
                CompletesOnce(DestroyWindowOpcode, &keep) && CompletesOnce(CreateMainWindowOpcode, CreationBlock()));
    EXPECT_TRUE(call.result == 1 && counted == 1 && keep.result == 0 && IsWindow(runtime.requestWindow) &&
                runtime.mainWindow == mainWindow);
    CallOnGuiThread(reinterpret_cast<const void*>(&DropEveryMessageForAWhile));
    EXPECT_TRUE(Completed(requestWhileDropping) && counted == 2) << "a request that a loop took and dropped";
    HANDLE flood = CreateThread(nullptr, 0, Flood, nullptr, 0, nullptr);
    EXPECT_TRUE(CompletesOnce(ProcessPendingOpcode, nullptr)) << "another program that posts without end";
    flooding = false;
    WaitForSingleObject(flood, INFINITE);
    CloseHandle(flood);
}

// What another program's message might write to, call or free here: the copy of this program
// outside the runtime posts and sends every opcode with these blocks, with and without a tag,
// as a thread message, to the request window, and readdressed as the runtime's hook does.
LONG sentinel;
CallFunctionRequest trap{reinterpret_cast<const void*>(&Count), 0, 0};

}  // namespace

int RunOutsideRuntime(int argc, char** argv)   // outside <request window> <main window> <a heap block>
{
    if (argc != 5)
        return 2;
    auto requestWindow = reinterpret_cast<HWND>(std::strtoul(argv[2], nullptr, 16));
    auto mainWindow = reinterpret_cast<HWND>(std::strtoul(argv[3], nullptr, 16));
    UINT taken = RegisterWindowMessageA("KalmusTakenRequest");
    const LPARAM blocks[] = {0, 1, 0x41414141, 0x7FFFFFFF, reinterpret_cast<LPARAM>(&sentinel),
                             reinterpret_cast<LPARAM>(&trap), static_cast<LPARAM>(std::strtoul(argv[4], nullptr, 16))};
    for (LPARAM block : blocks) {
        for (WPARAM opcode = 0; opcode <= lastOpcode; ++opcode) {
            for (WPARAM wParam : {requestBase + opcode, (65u << 16) + requestBase + opcode}) {
                PostThreadMessageA(GetWindowThreadProcessId(requestWindow, nullptr), requestMessage, wParam, block);
                for (UINT message : {requestMessage, taken}) {
                    PostMessageA(requestWindow, message, wParam, block);
                    SendMessageTimeoutA(requestWindow, message, wParam, block, SMTO_NORMAL, 1000, nullptr);
                }
            }
        }
        for (UINT message : {WM_ENTERSIZEMOVE, WM_NOTIFY, WM_HELP}) {
            PostMessageA(mainWindow, message, 0, block);
            SendMessageTimeoutA(mainWindow, message, 0, block, SMTO_NORMAL, 1000, nullptr);
        }
    }
    return 0;
}

namespace {

TEST(Requests, AnotherProgramsMessagesChangeNothingWriteNothingSignalNothing)
{
    PrepareMainWindow();
    HWND mainWindow = runtime.mainWindow;
    sentinel = unwritten;
    counted = 0;
    void* heapBlock = HeapAlloc(GetProcessHeap(), 0, sizeof(CreateMainWindowRequest));
    Post(HoldMessagesOpcode);   // and meet a hold
    char windows[64];
    std::snprintf(windows, sizeof windows, "%p %p %p", runtime.requestWindow, mainWindow, heapBlock);
    ChildProcess other("\"" + ThisProgram() + "\" outside " + windows);
    int early = 0;   // requests of this program that returned before they ran
    while (other.ExitCode(0) == ChildProcess::timedOut) {
        HWND button = CreateControl("BUTTON");
        early += button == nullptr;
        DestroyByRequest(button);
        GuiSleep(0);
    }
    EXPECT_EQ(other.ExitCode(), 0u);
    Post(EndHoldOpcode);
    PostKey('F');
    EXPECT_TRUE(KeyHandled('F')) << "a hold goes on";
    EXPECT_TRUE(early == 0 && sentinel == unwritten && counted == 0 && HeapValidate(GetProcessHeap(), 0, heapBlock) &&
                runtime.mainWindow == mainWindow && runtime.programHoldRequested == 0)
        << early << " early, " << counted << " calls";
    HeapFree(GetProcessHeap(), 0, heapBlock);
}

// ---- Library calls, made on the GUI thread, and the reports that return ----

int32_t Call(const std::string& library, const char* function, std::initializer_list<DWORD> values = {})
{
    return CallLibraryFunction(RtString(library.c_str()), RtString(function), values);
}

volatile LONG heldDuringCall;
LONG __stdcall NoteTheHold(LONG argument) { heldDuringCall = runtime.programHoldRequested; return argument - 1; }
LONG __stdcall CallFromGuiThread(LONG argument)   // called back on the GUI thread
{
    return Call("calltest", "CallBack", {reinterpret_cast<DWORD>(&NoteTheHold), static_cast<DWORD>(argument)});
}

TEST(CallLibraryFunction, LooksUpLoadsCallsAndFreesEveryTime)
{
    runtime.errorMode = -1;
    std::string path = ProgramFolder() + "calltest.dll", slashes = path;
    for (char& c : slashes)
        c = c == '\\' ? '/' : c;
    std::initializer_list<DWORD> most = {35, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
                                 tooMany = {36, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    const struct { std::string library; const char* function; std::initializer_list<DWORD> values; int32_t result; LONG error; } calls[] = {
        {"calltest", "CountCall", {}, 1, 0},   // a fresh load counts from 1: freed after each call
        {path, "CountCall", {}, 1, 0},
        {slashes, "CountCall", {}, 1, 0},
        {"calltest.dll", "WeighStd", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 385, 0},
        {"CALLTEST", "WeighCdecl", {2, 7, 10}, 27, 0},
        {"calltest", "WeighCdecl", most, 630, 0},
        {"calltest", "CallingThread", {}, static_cast<int32_t>(runtime.guiThreadId), 0},
        {"calltest", "CallBack", {reinterpret_cast<DWORD>(&CallFromGuiThread), 43}, 42, 0},
        {"nosuchlibrary", "CountCall", {}, -1, 247},
        {std::string(300, 'n'), "CountCall", {}, -1, 247},
        {"calltest", "countcall", {}, -1, 248},
        {"User32", "messageboxa", {}, -1, 248},
        {"calltest", "WeighCdecl", tooMany, -1, 248},
    };
    for (const auto& c : calls) {
        StoreInterlocked(runtime.lastErrorCode, 0);
        int32_t result = Call(c.library, c.function, c.values);
        EXPECT_TRUE(result == c.result && runtime.lastErrorCode == c.error && GetModuleHandleA("calltest.dll") == nullptr)
            << c.library.substr(0, 20) << " " << c.function << ": " << result << ", error " << runtime.lastErrorCode;
    }
    EXPECT_EQ(heldDuringCall, 1) << "the program is held while the GUI thread calls";
    HMODULE held = LoadLibraryA(path.c_str());   // in the process already: used, not freed
    EXPECT_TRUE(Call("C:\\elsewhere\\calltest.dll", "CountCall") == 1 && Call("calltest", "CountCall") == 2);
    EXPECT_EQ(GetModuleHandleA("calltest.dll"), held);
    FreeLibrary(held);

    auto watcher = AnswerBox(IDOK, 1500);   // the silent modes show no box
    for (auto [mode, error] : {std::pair<LONG, bool>{-1, true}, {-1, false}, {0, false}, {-5, false}}) {
        runtime.errorMode = mode;
        error ? RuntimeError(248, "Foo") : RuntimeWarning(223, nullptr);
        EXPECT_TRUE(runtime.lastErrorCode == (error ? 248 : 223) && runtime.lastErrorKind == (error ? 2 : 1)) << mode;
    }
    EXPECT_FALSE(watcher.get().found) << "a silent mode showed a box";
    runtime.errorMode = 1;
    auto answer = AnswerBox(IDOK);   // a warning answered with OK returns
    RuntimeWarning(209, "C:\\a b.avi");
    MessageBoxSeen warning = answer.get();
    EXPECT_TRUE(warning.caption == "Datei nicht gefunden: C:\\a b.avi" && warning.icon == LoadIconA(nullptr, IDI_EXCLAMATION))
        << warning.caption;
    answer = AnswerBox(IDCANCEL);
    EXPECT_EQ(ShowMessageBox("Keine Datei: \xE4", "Kinoblick", MB_OKCANCEL), IDCANCEL);
    EXPECT_TRUE(answer.get().text == "Keine Datei: \xE4" && runtime.dialogResult == IDCANCEL);
}

// ---- The hold: requests only until its release, whichever loop takes its requests ----

// A key of the user's is pending input until the GUI loop takes it.
TEST(HoldMessagesRequest, AKeyWaitsUntilTheHoldLetsItThrough)
{
    PrepareMainWindow();
    SetForegroundWindow(runtime.mainWindow);
    ASSERT_TRUE(WaitFor([] { return GetForegroundWindow() == runtime.mainWindow && InputPending() == 0; }));
    for (GuiOpcode release : {EndHoldOpcode, ResumeMessagesOpcode}) {
        Post(HoldMessagesOpcode);
        StoreInterlocked(runtime.lastKey, 0);
        TypeKey('H');
        EXPECT_TRUE(WaitFor([] { return InputPending() == 1; }) && MessageWaiting() &&
                    runtime.lastEvent.message == WM_KEYDOWN && runtime.lastKey == 0);
        Post(release);
        EXPECT_TRUE(KeyHandled('H') && WaitFor([] { return InputPending() == 0; })) << release;
    }
    Post(EndHoldOpcode);   // resumed: an ordinary request
    Post(SuspendMessagesOpcode);
    PostKey('J');
    EXPECT_TRUE(MessageWaiting() && runtime.lastKey == 0) << "handled after SuspendMessagesRequest";
    Post(HoldMessagesOpcode);   // nested holds end one at a time; ProcessPendingRequest drains
    Post(EndHoldOpcode);
    EXPECT_TRUE(MessageWaiting() && runtime.lastKey == 0) << "the outer hold ended with the inner one";
    Post(ProcessPendingOpcode);
    EXPECT_EQ(runtime.lastKey, 'J');
    Post(EndHoldOpcode);
    PostMessageA(runtime.mainWindow, WM_ENTERSIZEMOVE, 0, 0);   // another program's: no move loop holds the program
    for (GuiOpcode release : {EndHoldOpcode, ResumeMessagesOpcode, SuspendMessagesOpcode}) {
        Post(release);   // nothing outside a hold
        PostKey('O');
        EXPECT_TRUE(KeyHandled('O')) << release;
    }

    // The system menu's loop looks at a message, offers it to the hooks and only then removes it: a
    // hold taken there runs once, and one EndHoldRequest ends it.
    PostMessageA(runtime.mainWindow, WM_SYSCOMMAND, SC_KEYMENU, VK_SPACE);
    ASSERT_TRUE(WaitFor([] { return IsWindowVisible(FindWindowA("#32768", nullptr)); })) << "no system menu";
    Post(HoldMessagesOpcode);
    EXPECT_TRUE(CompletesOnce(SleepOpcode, nullptr)) << "a request the menu took was lost";
    Post(EndHoldOpcode);
    CallOnGuiThread(reinterpret_cast<const void*>(&EndMenu));
    PostKey('M');
    if (!KeyHandled('M')) {
        ADD_FAILURE() << "a second hold is still holding";
        Post(EndHoldOpcode);
    }
}

// ---- Nothing grows over many cycles of requests, windows, drawing and library calls (the strings'
// own leaks are the sanitizers' in the host build) ----

BOOL CALLBACK CountWindow(HWND, LPARAM count) { return ++*reinterpret_cast<DWORD*>(count) > 0; }

// Busy heap blocks (the C runtime's heap included), the system's GDI and user object counts, where
// it answers none (the emulator) the slot of a new GDI object (a leak pushes it up, as a freed slot
// is used again first), and the main window's children.
std::vector<DWORD> Counts()
{
    std::vector<DWORD> counts{0, GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
                              GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), 0, 0};
    HANDLE heaps[64];
    for (DWORD i = 0, count = GetProcessHeaps(64, heaps); i < count && i < 64; ++i) {
        PROCESS_HEAP_ENTRY entry{};
        for (HeapLock(heaps[i]); HeapWalk(heaps[i], &entry);)
            counts[0] += (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0;
        HeapUnlock(heaps[i]);
    }
    HBRUSH probe = CreateSolidBrush(0);
    DeleteObject(probe);
    counts[3] = LOWORD(reinterpret_cast<UINT_PTR>(probe)) / 4u;
    EnumChildWindows(runtime.mainWindow, CountWindow, reinterpret_cast<LPARAM>(&counts[4]));
    return counts;
}

void Cycles(int count)
{
    for (int round = 0; round < count; ++round) {
        DestroyByRequest(CreateControl("BUTTON"));
        DestroyByRequest(CreateDialogWindow("Fenster", runtime.mainWindow, {6, 6, 206, 106}));   // a child: see the style below
        ClearWindow(MakeColor(1, 2, 3));
        Call("calltest", "CountCall");
        PostGuiRequest(CreateMainWindowOpcode, CreationBlock());   // the executor's, whatever it makes
    }
}

TEST(Resources, NothingGrowsOverAThousandCycles)
{
    DWORD savedStyle = runtime.mainWindowStyle;
    runtime.mainWindowStyle = WS_CHILD | WS_VISIBLE;
    Cycles(20);
    std::vector<DWORD> before = Counts();
    Cycles(1000);
    std::vector<DWORD> after = Counts();
    runtime.mainWindowStyle = savedStyle;
    // A leak in every cycle adds a thousand. The GDI slot also moves by a few dozen with the
    // objects that controls and dialogs create once and keep, wherever they happen to land.
    const char* names[] = {"heap blocks", "GDI objects", "user objects", "GDI slot", "windows"};
    const DWORD slack[] = {16, 16, 16, 100, 0};
    for (size_t i = 0; i < before.size(); ++i) {
        std::printf("%s %lu -> %lu\n", names[i], before[i], after[i]);
        EXPECT_LE(after[i], before[i] + slack[i]) << names[i];
    }
    DWORD heap = Counts()[0];   // the shutdown operations free what the containers hold
    programBlocks.push_back(std::malloc(16));
    programStrings.push_back(new RtString[3]{"a", "b", "c"});
    programPointers = {{nullptr, std::malloc(8), nullptr}, new RtString[2]};
    programMap[5] = firstRuntimeTable[1] = secondRuntimeTable[3] = 4;
    ReleaseProgramObjects();
    EmptyRuntimeTables();
    EXPECT_EQ(Counts()[0], heap);
}

}  // namespace
