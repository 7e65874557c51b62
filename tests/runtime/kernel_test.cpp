// The kernel on the real runtime: the GUI loop and LastEvent, the window requests, calls made on
// the GUI thread, library calls and reports, the hold, resources over many cycles; and, in child
// processes (this program started with a scenario's name), every way a program ends.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "kernel/message_flow_requests.h"
#include "kernel/windowing.h"
#include "services/library_calls.h"
#include "services/parameters.h"
#include "services/runtime_errors.h"
#include "services/window_commands.h"
#include "support/gui_probe.h"
#include "support/runtime_test.h"
#include "values/program_objects.h"

namespace {

constexpr LONG sentinel = static_cast<LONG>(0xFEEDABAD);
const HWND unwritten = reinterpret_cast<HWND>(0xFEEDABAD);
const std::string boxText = "Zeilennummer nicht verf\xFCgbar.";

void Post(GuiOpcode opcode)
{
    PostGuiRequest(opcode, nullptr);
}

void Quit(WPARAM exitCode)
{
    PostThreadMessageA(runtime.guiThreadId, WM_QUIT, exitCode, 0);
}

void Check(bool condition)   // in a child: 90 tells the parent that a check failed
{
    if (!condition)
        ExitProcess(90);
}

void PrepareMainWindow()
{
    if (runtime.mainWindow == nullptr)
        SetMainWindowGeometry(50, 50, 320, 200);
}

int32_t PeekMessageWaiting()
{
    PeekMessageRequest block{sentinel};
    PostGuiRequest(PeekMessageOpcode, &block);
    return block.found;
}

void PostKey(WPARAM key)
{
    StoreInterlocked(runtime.lastKey, 0);
    PostMessageA(runtime.mainWindow, WM_KEYDOWN, key, 0);
}

bool KeyHandled(LONG key)
{
    return WaitFor([key] { return runtime.lastKey == key; });
}

// ---- Scenarios: each ends its own process; exit codes from 100 on say what went wrong ----

[[noreturn]] void WaitPassAfterPass()   // as the player's loop, until something ends the program
{
    for (;;)
        GuiSleep(20);
}

const char* const expectedWords[] = {"parameters", "C:\\My Clips\\a b.avi", "1", "", "x\ty", "quoted", "letters",
                                     "\xE4\xF6\xFC", "open to  the end "};

void CheckTheWords()
{
    constexpr LONG count = sizeof expectedWords / sizeof expectedWords[0];
    Check(runtime.parameterCount == count && runtime.parameters.size() == count + 1u);
    for (LONG i = 1; i <= count; ++i)
        Check(runtime.parameters[i].CompareText(expectedWords[i - 1]) == 0);
    Quit(0);
}

int32_t __cdecl LoadMissingLibrary(void*)
{
    return CallLibraryFunction("nosuch.dll", "Anything", {});
}

// A child window that takes its time to go: the main window's destruction outlasts the moment
// its WM_DESTROY asks the program to end.
LRESULT CALLBACK SlowToDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
        Sleep(1000);
    return DefWindowProcA(window, message, wParam, lParam);
}

// Every thread's exit runs this on that thread: the program thread must not end while the
// request it waits for is still being carried out (its block would be written afterwards).
DestroyWindowRequest* volatile requestAwaited;

void NTAPI CheckTheRequestAtThreadExit(PVOID, DWORD reason, PVOID)
{
    DestroyWindowRequest* block = requestAwaited;
    if (reason == DLL_THREAD_DETACH && block != nullptr && block->result == -1 &&
        GetCurrentThreadId() == GetThreadId(runtime.programThreadHandle))
        Quit(104);
}

extern "C" __attribute__((section(".CRT$XLB"), used)) const PIMAGE_TLS_CALLBACK checkTheRequestAtThreadExit =
    CheckTheRequestAtThreadExit;

void DestroyTheMainWindowInARequest()
{
    PrepareMainWindow();
    WNDCLASSA slowClass{};
    slowClass.lpfnWndProc = SlowToDestroy;
    slowClass.hInstance = runtime.instanceHandle;
    slowClass.lpszClassName = "SLOW";
    RegisterClassA(&slowClass);
    CreateControl("SLOW");
    DestroyWindowRequest block{runtime.mainWindow, -1};
    requestAwaited = &block;
    PostGuiRequest(DestroyWindowOpcode, &block);
    Quit(106);   // the program ends at the safe point behind the request
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
    PrepareMainWindow();
    SetRectEmpty(&runtime.savedWindowRect);   // the move loop notes the window's rectangle
    CloseHandle(CreateThread(nullptr, 0, PressEnterInTheMoveLoop, nullptr, 0, nullptr));
    PostMessageA(runtime.mainWindow, WM_SYSCOMMAND, SC_MOVE, 0);
    Post(HoldMessagesOpcode);
    while (IsRectEmpty(&runtime.savedWindowRect))   // no safe point meanwhile
        Sleep(1);
    Post(EndHoldOpcode);
    PostQuitToGuiThread();
}

void QuitWaitsForTheHold(GuiOpcode release)
{
    Post(HoldMessagesOpcode);
    Quit(41);
    Check(PeekMessageWaiting() != 0 && runtime.lastEvent.message == WM_QUIT);   // carried out: the hold goes on
    Post(release);
}

// On the GUI thread, where nothing else takes messages meanwhile: ProcessPendingRequest stops
// at the quit message and posts it again, and the message behind it stays queued for the GUI
// loop, whose window checks the pending quit message and sets the exit code.
bool processPendingDone = false;

LRESULT CALLBACK BehindQuitProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_USER)
        return DefWindowProcA(window, message, wParam, lParam);
    MSG quit;
    Check(processPendingDone && PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) && quit.wParam == 1);
    PostQuitMessage(42);
    return 0;
}

int32_t __cdecl ProcessPendingBehindQuit(void*)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = BehindQuitProcedure;
    windowClass.hInstance = runtime.instanceHandle;
    windowClass.lpszClassName = "BehindQuit";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("BehindQuit", "", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, runtime.instanceHandle, nullptr);
    PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 1, 0);
    PostMessageA(window, WM_USER, 0, 0);
    ProcessPendingHandler();
    processPendingDone = true;
    MSG waiting;
    Check(PeekMessageA(&waiting, nullptr, WM_USER, WM_USER, PM_NOREMOVE) && waiting.hwnd == window);
    return 0;
}

// Writes GetParameter(0) into the file that word 2 names, then sets the event that word 3 names.
void ReportProgramPath()
{
    RtString path = GetParameter(0);
    std::ofstream(runtime.parameters[2].Text(), std::ios::binary).write(path.Text(), path.Length());
    HANDLE reported = OpenEventA(EVENT_MODIFY_STATE, FALSE, runtime.parameters[3].Text());
    SetEvent(reported);
    CloseHandle(reported);
    Quit(0);
}

const std::initializer_list<Scenario> scenarios = {
    {"return", [] { PostQuitToGuiThread(); }},
    {"end", [] { EndProgramThread(); }},
    {"close-busy",
     [] {
         PrepareMainWindow();
         for (DWORD start = GetTickCount(); GetTickCount() - start < 30000;) {   // no safe point
         }
         Quit(102);
     }},
    {"parameters", CheckTheWords},
    {"path", ReportProgramPath},
    {"quit-from-outside", [] { PrepareMainWindow(); WaitPassAfterPass(); }},
    {"fatal-on-gui-thread", [] { RunOnGuiThread(LoadMissingLibrary, nullptr); WaitPassAfterPass(); }},
    {"destroy-in-request", DestroyTheMainWindowInARequest},
    {"hold-in-move-loop", HoldWhileAMoveLoopBegins},
    {"error248", [] { RuntimeError(248, "Foo"); Quit(101); }},
    {"error248-window", [] { PrepareMainWindow(); RuntimeError(248, "Foo"); Quit(101); }},
    {"error207", [] { RuntimeError(207, nullptr); Quit(101); }},
    {"warning", [] { RuntimeWarning(223, nullptr); Quit(101); }},
    {"mode0", [] { runtime.errorMode = 0; RuntimeWarning(223, nullptr); RuntimeError(247, "nosuch.dll"); Quit(101); }},
    {"mode2", [] { runtime.errorMode = 2; RuntimeWarning(223, nullptr); Quit(101); }},
    {"quit-waits-for-end-hold", [] { QuitWaitsForTheHold(EndHoldOpcode); }},
    {"quit-waits-for-resume", [] { QuitWaitsForTheHold(ResumeMessagesOpcode); }},
    {"process-pending-keeps-quit", [] { RunOnGuiThread(ProcessPendingBehindQuit, nullptr); }},
    {"program-ends-during-hold", [] { Post(HoldMessagesOpcode); PeekMessageWaiting(); Quit(43); }},
    {"window-destroyed-during-hold",
     [] {
         PrepareMainWindow();
         Post(HoldMessagesOpcode);
         DestroyByRequest(runtime.mainWindow);
         ExitProcess(105);   // the safe point behind the request ends the thread
     }},
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

// ---- The ways a program ends, each in a child ----

void CloseItsWindow(ChildProcess& child)
{
    PostMessageA(child.WaitForWindow("FENSTER"), WM_CLOSE, 0, 0);
}

void QuitFromOutside(ChildProcess& child)
{
    PostThreadMessageA(GetWindowThreadProcessId(child.WaitForWindow("FENSTER"), nullptr), WM_QUIT, 0, 0);
}

struct Box {
    int answer;
    const char* caption;
    bool withCancel;
    bool ownedByMainWindow;
};

struct Ending {
    const char* arguments;   // null: a command line of blanks
    DWORD exitCode;
    void (*drive)(ChildProcess&);   // what the user or another program does meanwhile
    std::vector<Box> boxes;
};

const std::string negativeSize = "Negative Fenstergr\xF6\xDF" "e!";

const Ending endings[] = {
    {"return", 0, nullptr, {}},
    {"end", 0, nullptr, {}},
    {"close-busy", 0, CloseItsWindow, {}},
    {"parameters \"C:\\My Clips\\a b.avi\"   1 \"\" x\ty \"quoted\"letters \xE4\xF6\xFC \"open to  the end ", 0,
     nullptr, {}},
    {nullptr, 0, nullptr, {}},
    {"quit-from-outside", 0, QuitFromOutside, {}},
    {"fatal-on-gui-thread", 0, nullptr, {{IDOK, "Fehler beim Laden der DLL: nosuch.dll", false, false}}},
    {"destroy-in-request", 0, nullptr, {}},
    {"hold-in-move-loop", 0, nullptr, {}},
    {"error248", 0, nullptr, {{IDOK, "Funktion in DLL nicht vohanden: Foo", false, false}}},
    {"error248-window", 0, nullptr, {{IDOK, "Funktion in DLL nicht vohanden: Foo", false, true}}},
    {"error207", 0, nullptr, {{IDOK, "", false, false}}},
    {"warning", 0, nullptr, {{IDCANCEL, negativeSize.c_str(), true, false}, {IDOK, "Programm abgebrochen!", false, false}}},
    {"mode0", 0, nullptr, {{IDOK, "Fehler beim Laden der DLL: nosuch.dll", false, false}}},
    {"mode2", 0, nullptr, {{IDOK, negativeSize.c_str(), false, false}}},
    {"quit-waits-for-end-hold", 41, nullptr, {}},
    {"quit-waits-for-resume", 41, nullptr, {}},
    {"process-pending-keeps-quit", 42, nullptr, {}},
    {"program-ends-during-hold", 43, nullptr, {}},
    {"window-destroyed-during-hold", 0, nullptr, {}},
};

TEST(EndPaths, EveryWayOfEndingEndsTheProcessWithItsCode)
{
    for (const Ending& ending : endings) {
        std::string name = ending.arguments != nullptr ? ending.arguments : "(blanks)";
        ChildProcess child(ending.arguments != nullptr ? "\"" + ThisProgram() + "\" " + ending.arguments : "   ",
                           ending.arguments != nullptr ? nullptr : ThisProgram().c_str());
        ASSERT_TRUE(child.Started()) << name;
        if (ending.drive != nullptr)
            ending.drive(child);
        HWND mainWindow = nullptr;
        for (const Box& expected : ending.boxes) {
            if (expected.ownedByMainWindow && mainWindow == nullptr)
                mainWindow = child.WaitForWindow("FENSTER");
            MessageBoxSeen box = AnswerProcessMessageBox(child.Id(), expected.answer);
            EXPECT_TRUE(box.found && box.text == boxText && box.hasOk && box.hasCancel == expected.withCancel &&
                        box.owner == (expected.ownedByMainWindow ? mainWindow : nullptr))
                << name << ": " << expected.caption;
            EXPECT_EQ(box.caption, expected.caption) << name;
        }
        EXPECT_EQ(child.ExitCode(), ending.exitCode) << name << " (90: its check failed)";
    }
}

// Wine's CreateProcess takes no program path longer than MAX_PATH, but its loader does: the
// program, copied into a folder deeper than that, is started through the loader as a shell
// starts it. Such a process cannot be waited for; it reports through a file and an event.
TEST(EndPaths, ParameterZeroIsTheWholePathOfAProgramInADeepFolder)
{
    using UnixName = char*(WINAPI*)(const wchar_t*);
    auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    const char* loader = std::getenv("WINELOADER");
    ASSERT_TRUE(unixName != nullptr && loader != nullptr) << "Wine's loader starts the program";
    auto wide = [](const std::string& text) {
        std::wstring result(text.size(), L'\0');
        result.resize(MultiByteToWideChar(CP_ACP, 0, text.data(), text.size(), &result[0], result.size()));
        return result;
    };
    std::string deep = ProgramFolder() + "deep";
    CreateDirectoryW(wide(deep).c_str(), nullptr);
    while (deep.size() < 300) {
        deep += "\\" + std::string(60, 'o');
        CreateDirectoryW(wide(deep).c_str(), nullptr);
    }
    std::string program = deep + "\\kernel_test.exe", report = ProgramFolder() + "parameter_zero.txt";
    ASSERT_TRUE(CopyFileW(wide(ThisProgram()).c_str(), wide(program).c_str(), FALSE));
    DeleteFileA(report.c_str());
    char* unixProgram = unixName(wide(program).c_str());
    std::string command = std::string(loader) + " \"" + unixProgram + "\" path \"" + report + "\" kalmus_path_reported";
    HeapFree(GetProcessHeap(), 0, unixProgram);
    HANDLE reported = CreateEventA(nullptr, TRUE, FALSE, "kalmus_path_reported");
    ChildProcess child(command);
    ASSERT_TRUE(child.Started());
    EXPECT_EQ(WaitForSingleObject(reported, patience), WAIT_OBJECT_0) << "no report from " << program;
    std::ifstream file(report, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()), program);
    CloseHandle(reported);
}

// ---- The GUI loop and the window requests ----

int32_t __cdecl CreateActiveDialog(void*)
{
    HWND dialog = CreateWindowExA(0, "#32770", "probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  runtime.instanceHandle, nullptr);
    StoreInterlocked(runtime.activeDialog, dialog);
    return reinterpret_cast<int32_t>(dialog);
}

// Every ordinary message the loop takes is recorded in LastEvent and pulses messageEvent, also one
// the active dialog consumes; a request is neither recorded nor pulsed.
TEST(GuiLoop, OrdinaryMessagesAreRecordedAndPulsedRequestsAreNot)
{
    static PulseWatcher pulses(runtime.messageEvent);
    HWND dialog = reinterpret_cast<HWND>(CallOnGuiThread(reinterpret_cast<const void*>(&CreateActiveDialog)));
    const struct {
        HWND window;   // null: a thread message
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } messages[] = {
        {nullptr, WM_NULL, 0, 0},
        {nullptr, 0x8002, requestBase + SleepOpcode, static_cast<LPARAM>(0x9ABCDEF0)},
        {runtime.requestWindow, WM_USER + 7, 3, 4},
        {dialog, WM_USER + 9, 11, 12},
    };
    for (const auto& m : messages) {
        int before = pulses.Arm();
        m.window != nullptr ? PostMessageA(m.window, m.message, m.wParam, m.lParam)
                            : PostThreadMessageA(runtime.guiThreadId, m.message, m.wParam, m.lParam);
        EXPECT_TRUE(pulses.WaitForCount(before + 1)) << std::hex << m.message;
        EXPECT_EQ(runtime.lastEvent.window, reinterpret_cast<LONG>(m.window));
        EXPECT_EQ(runtime.lastEvent.message, static_cast<LONG>(m.message));
        EXPECT_EQ(runtime.lastEvent.wParam, static_cast<LONG>(m.wParam));
        EXPECT_EQ(runtime.lastEvent.lParam, static_cast<LONG>(m.lParam));
    }
    StoreInterlocked(runtime.activeDialog, static_cast<HWND>(nullptr));
    CallOnGuiThread(reinterpret_cast<const void*>(&DestroyWindow), {reinterpret_cast<DWORD>(dialog)});

    StoreInterlocked(runtime.lastEvent.message, sentinel);
    int before = pulses.Arm();
    PostThreadMessageA(runtime.guiThreadId, requestMessage, requestBase + lastOpcode + 1, 0);   // ignored
    PostThreadMessageA(runtime.guiThreadId, requestMessage, requestBase - 1, 0);                // ignored
    Post(SleepOpcode);   // returns once the three are handled, in order
    GuiSleep(0);
    EXPECT_EQ(InputPending(), 0);
    EXPECT_EQ(runtime.lastEvent.message, sentinel);
    EXPECT_EQ(pulses.Count(), before);
    EXPECT_EQ(WaitForSingleObject(runtime.requestDoneEvent, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "signalled twice";
}

TEST(WindowRequests, IdentifiersAndFontsOfNewControls)
{
    PrepareMainWindow();
    LONG first = runtime.nextControlId;
    HWND a = CreateControl("BUTTON");
    CreateControlRequest given{1, WS_CHILD, 0, "BUTTON", "", 0, 0, 9, 9, runtime.mainWindow, reinterpret_cast<HMENU>(77),
                               runtime.instanceHandle, unwritten};
    PostGuiRequest(CreateControlOpcode, &given);
    CreateStatusBarRequest status{runtime.mainWindow, "Bereit", unwritten};
    PostGuiRequest(CreateStatusBarOpcode, &status);
    CreateTabControlRequest tab{};
    static_cast<CreateControlRequest&>(tab) = {0, WS_CHILD, 0, WC_TABCONTROLA, "Erste", 0, 0, 200, 90, runtime.mainWindow,
                                               nullptr, nullptr, unwritten};
    PostGuiRequest(CreateTabControlOpcode, &tab);
    CreateUpDownRequest upDown{100, 10, 20, 20, runtime.mainWindow, a, 10, 0, 5};
    PostGuiRequest(CreateUpDownOpcode, &upDown);
    EXPECT_EQ(GetDlgCtrlID(a), first);
    EXPECT_EQ(GetDlgCtrlID(given.window), 77) << "a given identifier consumes none";
    EXPECT_EQ(GetDlgCtrlID(status.window), first + 1);
    EXPECT_EQ(GetDlgCtrlID(tab.window), first + 2);
    EXPECT_EQ(runtime.nextControlId, first + 4) << "the up-down control took one";
    EXPECT_EQ(TextOf(status.window), "Bereit");
    EXPECT_EQ(SendMessageA(tab.window, TCM_GETITEMCOUNT, 0, 0), 1);
    CreateToolTipRequest tip{runtime.mainWindow, a, "Hinweis", unwritten};
    PostGuiRequest(CreateToolTipOpcode, &tip);
    EXPECT_EQ(ClassOf(tip.window), TOOLTIPS_CLASSA);
    EXPECT_EQ(SendMessageA(tip.window, TTM_GETTOOLCOUNT, 0, 0), 1);
    for (HWND window : {a, given.window, status.window, tab.window, tip.window})
        DestroyByRequest(window);

    HFONT standard = CreateFontA(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    runtime.standardFont = standard;
    for (auto [mode, font] : {std::pair<LONG, WPARAM>{0, 0}, {-3, 0}, {1, reinterpret_cast<WPARAM>(standard)}, {5, 5}}) {
        runtime.controlFontMode = mode;
        HWND button = CreateControl("BUTTON");
        EXPECT_EQ(static_cast<WPARAM>(SendMessageA(button, WM_GETFONT, 0, 0)), font) << "mode " << mode;
        DestroyByRequest(button);
    }
    runtime.controlFontMode = 0;
}

// ---- Calls made on the GUI thread: both conventions, any count, the stack intact ----

volatile DWORD calleeStack;
volatile LONG argumentsInOrder;

DWORD ExpectedArgument(int position)
{
    return 0x01010101u * static_cast<DWORD>(position + 1) ^ 0x5A000000u;
}

int32_t Record(const DWORD* arguments, int count, int32_t result)
{
    asm volatile("movl %%esp, %0" : "=r"(calleeStack));
    bool inOrder = GetCurrentThreadId() == runtime.guiThreadId;
    for (int i = 0; i < count; ++i)
        inOrder = inOrder && arguments[i] == ExpectedArgument(i);
    argumentsInOrder = inOrder;
    return result;
}

#define PARAMETERS_36                                                                                         \
    DWORD a0, DWORD a1, DWORD a2, DWORD a3, DWORD a4, DWORD a5, DWORD a6, DWORD a7, DWORD a8, DWORD a9, DWORD a10, \
        DWORD a11, DWORD a12, DWORD a13, DWORD a14, DWORD a15, DWORD a16, DWORD a17, DWORD a18, DWORD a19,       \
        DWORD a20, DWORD a21, DWORD a22, DWORD a23, DWORD a24, DWORD a25, DWORD a26, DWORD a27, DWORD a28,       \
        DWORD a29, DWORD a30, DWORD a31, DWORD a32, DWORD a33, DWORD a34, DWORD a35
#define ARGUMENTS_36                                                                                          \
    a0, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15, a16, a17, a18, a19, a20, a21, a22, a23, \
        a24, a25, a26, a27, a28, a29, a30, a31, a32, a33, a34, a35

int32_t __stdcall StdcallNone() { return Record(nullptr, 0, 0x5000); }
int32_t __cdecl CdeclNone() { return Record(nullptr, 0, 0xC000); }
int32_t __stdcall StdcallOne(DWORD a) { return Record(&a, 1, 0x5001); }
int32_t __cdecl CdeclOne(DWORD a) { return Record(&a, 1, 0xC001); }
int32_t __stdcall StdcallMany(PARAMETERS_36) { const DWORD all[] = {ARGUMENTS_36}; return Record(all, 36, 0x5024); }
int32_t __cdecl CdeclMany(PARAMETERS_36) { const DWORD all[] = {ARGUMENTS_36}; return Record(all, 36, 0xC024); }

TEST(CallFunctionRequest, BothConventionsGetEveryArgumentInOrderAndLeaveTheStackAsItWas)
{
    const struct {
        const void* function;
        int32_t count;   // as requested: beyond the table it is clamped
        int32_t result;
    } callees[] = {
        {reinterpret_cast<const void*>(StdcallNone), 0, 0x5000}, {reinterpret_cast<const void*>(CdeclNone), -5, 0xC000},
        {reinterpret_cast<const void*>(StdcallOne), 1, 0x5001},  {reinterpret_cast<const void*>(CdeclOne), 1, 0xC001},
        {reinterpret_cast<const void*>(StdcallMany), 36, 0x5024}, {reinterpret_cast<const void*>(CdeclMany), 136, 0xC024},
    };
    for (int i = 0; i < callArgumentCapacity; ++i)
        runtime.callArguments[i] = ExpectedArgument(i);
    for (bool posted : {false, true}) {
        DWORD stacks[6] = {};   // each callee's stack pointer on its first call this way
        for (int pass = 0; pass < 100; ++pass) {
            for (int c = 0; c < 6; ++c) {
                CallFunctionRequest block{callees[c].function, callees[c].count, -1};
                argumentsInOrder = 0;
                posted ? PostGuiRequest(CallFunctionOpcode, &block)
                       : SendGuiRequest(CallFunctionOpcode, reinterpret_cast<LPARAM>(&block));
                ASSERT_EQ(block.result, callees[c].result) << (posted ? "posted" : "sent");
                ASSERT_EQ(argumentsInOrder, 1) << std::hex << callees[c].result;
                stacks[c] = pass == 0 ? calleeStack : stacks[c];
                ASSERT_EQ(calleeStack, stacks[c]) << std::hex << callees[c].result << ": the GUI thread's stack moved";
            }
        }
    }
}

// ---- Library calls, message boxes and the reports that return ----

bool TestLibraryLoaded()
{
    return GetModuleHandleA("calltest.dll") != nullptr;
}

int32_t Call(const std::string& library, const char* function, std::initializer_list<DWORD> values = {})
{
    return CallLibraryFunction(RtString(library.c_str()), RtString(function), values);
}

// Called back by the test library on the GUI thread: a library call from there holds the program.
volatile LONG heldDuringCall;

LONG __stdcall NoteTheHold(LONG argument)
{
    heldDuringCall = runtime.programHoldRequested;
    return argument - 1;
}

LONG __stdcall CallFromGuiThread(LONG argument)
{
    return Call("calltest", "CallBack", {reinterpret_cast<DWORD>(&NoteTheHold), static_cast<DWORD>(argument)});
}

TEST(CallLibraryFunction, LooksUpLoadsCallsAndFreesEveryTime)
{
    runtime.errorMode = -1;
    std::string path = ProgramFolder() + "calltest.dll", slashes = path;
    for (char& c : slashes)
        c = c == '\\' ? '/' : c;
    std::initializer_list<DWORD> tooMany = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19,
                                            20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37};
    const struct {
        std::string library;
        const char* function;
        std::initializer_list<DWORD> values;
        int32_t result;
        LONG error;
    } calls[] = {
        {"calltest", "CountCall", {}, 1, 0},   // a fresh load counts from 1: freed after each call
        {"CALLTEST", "CountCall", {}, 1, 0},
        {path, "CountCall", {}, 1, 0},
        {slashes, "CountCall", {}, 1, 0},
        {"calltest.dll", "WeighStd", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 385, 0},
        {"calltest", "SubtractCdecl", {0x7FFFFFFF, 0xFFFFFFFF}, INT32_MIN, 0},
        {"calltest", "CallingThread", {}, static_cast<int32_t>(runtime.guiThreadId), 0},
        {"calltest", "CallBack", {reinterpret_cast<DWORD>(&CallFromGuiThread), 43}, 42, 0},
        {"nosuchlibrary", "CountCall", {}, -1, 247},
        {"C:\\nowhere\\calltest.dll", "CountCall", {}, -1, 247},
        {std::string(300, 'n'), "CountCall", {}, -1, 247},
        {"calltest", "countcall", {}, -1, 248},
        {"calltest", "_CountCall@0", {}, -1, 248},
        {"User32", "messageboxa", {}, -1, 248},
        {"calltest", "CountCall", tooMany, -1, 248},
    };
    for (const auto& c : calls) {
        StoreInterlocked(runtime.lastErrorCode, 0);
        EXPECT_EQ(Call(c.library, c.function, c.values), c.result) << c.library << " " << c.function;
        EXPECT_EQ(runtime.lastErrorCode, c.error) << c.library << " " << c.function;
        EXPECT_FALSE(TestLibraryLoaded()) << c.library << " " << c.function;
    }
    EXPECT_EQ(heldDuringCall, 1) << "the program is held while the GUI thread calls";
    EXPECT_EQ(runtime.programHoldRequested, 0);
    HMODULE held = LoadLibraryA(path.c_str());   // in the process already: used, not freed
    EXPECT_EQ(Call("C:\\elsewhere\\calltest.dll", "CountCall"), 1);
    EXPECT_EQ(Call("calltest", "CountCall"), 2);
    EXPECT_TRUE(TestLibraryLoaded());
    FreeLibrary(held);
    runtime.errorMode = 1;
}

TEST(Reports, WarningsAnsweredOkAndSilentModesReturnToTheProgram)
{
    for (const auto& [mode, button] : {std::pair<LONG, int>{1, IDOK}, {1000, IDOK}}) {   // above 2 acts as 1
        runtime.errorMode = mode;
        MessageBoxAnswerer answerer(button);
        RuntimeWarning(209, "C:\\a b.avi");
        MessageBoxSeen box = answerer.Result();
        EXPECT_EQ(box.caption, "Datei nicht gefunden: C:\\a b.avi");
        EXPECT_TRUE(box.text == boxText && box.hasCancel && box.owner == runtime.mainWindow);
        EXPECT_EQ(runtime.lastErrorKind, 1);
    }
    MessageBoxAnswerer watcher(IDOK, 1500);   // presses OK if a box shows, so that nothing hangs
    for (const auto& [mode, error] : {std::pair<LONG, bool>{-1, true}, {-1, false}, {0, false}, {-5, false}}) {
        runtime.errorMode = mode;
        StoreInterlocked(runtime.lastErrorCode, 0);
        error ? RuntimeError(248, "Foo") : RuntimeWarning(223, nullptr);
        EXPECT_EQ(runtime.lastErrorCode, error ? 248 : 223) << "mode " << mode;
        EXPECT_EQ(runtime.lastErrorKind, error ? 2 : 1) << "mode " << mode;
    }
    EXPECT_FALSE(watcher.Result().found) << "a silent mode showed a box";
    runtime.errorMode = 1;
    MessageBoxAnswerer answerer(IDCANCEL);
    EXPECT_EQ(ShowMessageBox("Keine Datei: \xE4\xF6\xFC", "Kinoblick", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(answerer.Result().text, "Keine Datei: \xE4\xF6\xFC");
    EXPECT_EQ(runtime.dialogResult, IDCANCEL);
}

// ---- The hold: requests only, until its release; whichever loop takes its requests ----

TEST(HoldMessagesRequest, AKeyWaitsUntilTheHoldLetsItThrough)
{
    PrepareMainWindow();
    for (GuiOpcode release : {EndHoldOpcode, ResumeMessagesOpcode}) {
        Post(HoldMessagesOpcode);
        PostKey('H');
        StoreInterlocked(runtime.lastEvent.message, sentinel);
        EXPECT_NE(PeekMessageWaiting(), 0);
        EXPECT_EQ(runtime.lastEvent.message, static_cast<LONG>(WM_KEYDOWN)) << "seen, and left in the queue";
        EXPECT_EQ(runtime.lastKey, 0);
        Post(release);
        EXPECT_TRUE(KeyHandled('H')) << release;
        if (release == ResumeMessagesOpcode) {   // back to holding, then out
            Post(EndHoldOpcode);                  // an ordinary request in the resumed state
            Post(SuspendMessagesOpcode);
            PostKey('J');
            EXPECT_NE(PeekMessageWaiting(), 0);
            EXPECT_EQ(runtime.lastKey, 0) << "handled after SuspendMessagesRequest";
            Post(EndHoldOpcode);
            EXPECT_TRUE(KeyHandled('J'));
        }
    }
    Post(HoldMessagesOpcode);   // nested holds end one at a time; ProcessPendingRequest drains
    Post(HoldMessagesOpcode);
    Post(EndHoldOpcode);
    PostKey('N');
    EXPECT_NE(PeekMessageWaiting(), 0);
    EXPECT_EQ(runtime.lastKey, 0) << "the outer hold ended with the inner one";
    Post(ProcessPendingOpcode);
    EXPECT_EQ(runtime.lastKey, 'N');
    Post(EndHoldOpcode);
    for (GuiOpcode release : {EndHoldOpcode, ResumeMessagesOpcode, SuspendMessagesOpcode}) {
        Post(release);   // nothing outside a hold
        PostKey('O');
        EXPECT_TRUE(KeyHandled('O')) << release;
    }
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
    Post(HoldMessagesOpcode);
    Post(EndHoldOpcode);
    CallOnGuiThread(reinterpret_cast<const void*>(&EndMenu));
    PostKey('M');
    bool handled = KeyHandled('M');
    EXPECT_TRUE(handled) << "a second hold is still holding";
    if (!handled)
        Post(EndHoldOpcode);
}

// Keyboard input waiting in the GUI thread's queue (held there by a hold) counts; the program
// thread's own queue does not.
TEST(InputPendingRequest, KeysForTheMainWindowCountUntilTheLoopTakesThem)
{
    PrepareMainWindow();
    SetForegroundWindow(runtime.mainWindow);
    ASSERT_TRUE(WaitFor([] { return GetForegroundWindow() == runtime.mainWindow && InputPending() == 0; }));
    PostThreadMessageA(GetCurrentThreadId(), WM_KEYDOWN, 'Q', 0);
    EXPECT_EQ(InputPending(), 0);
    Post(HoldMessagesOpcode);
    StoreInterlocked(runtime.lastKey, 0);
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = 'Q';
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ASSERT_EQ(SendInput(2, keys, sizeof(INPUT)), 2u);
    EXPECT_TRUE(WaitFor([] { return InputPending() == 1; }));
    Post(EndHoldOpcode);
    EXPECT_TRUE(KeyHandled('Q'));
    EXPECT_TRUE(WaitFor([] { return InputPending() == 0; }));
    MSG own;
    EXPECT_TRUE(PeekMessageA(&own, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) << "stayed in the program's queue";
}

// ---- Nothing grows over many cycles of strings, requests, windows, drawing and calls ----

size_t BusyHeapBlocks()   // of every heap of the process, the C runtime's included
{
    HANDLE heaps[64];
    DWORD count = GetProcessHeaps(64, heaps);
    size_t busy = 0;
    for (DWORD i = 0; i < count && i < 64; ++i) {
        PROCESS_HEAP_ENTRY entry{};
        HeapLock(heaps[i]);
        while (HeapWalk(heaps[i], &entry))
            busy += (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0;
        HeapUnlock(heaps[i]);
    }
    return busy;
}

// GDI objects in use: the system's count, or where it answers none (the emulator) the slot of a
// new object, which a leak pushes up since a freed slot is used again first.
DWORD GdiObjects()
{
    if (DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS))
        return count;
    HBRUSH probe = CreateSolidBrush(0);
    DeleteObject(probe);
    return LOWORD(reinterpret_cast<UINT_PTR>(probe)) >> 2;
}

BOOL CALLBACK CountWindow(HWND, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int LiveWindows()
{
    int count = 0;
    EnumChildWindows(runtime.mainWindow, CountWindow, reinterpret_cast<LPARAM>(&count));
    EnumThreadWindows(runtime.guiThreadId, CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

void Cycle()
{
    RtString text = RtString::FromReal(-1234.5678);
    for (int i = 0; i < 10; ++i)
        text = RtString(text.Text()).Concat(RtString::FromInt(i)).ReplaceRange(1, 2, "ab");
    DestroyByRequest(CreateControl("BUTTON"));
    CreateDialogWindowRequest dialog{};   // a child: the emulator waits for every top-level window it hides
    static_cast<OpenRuntimeDialogRequest&>(dialog) = {"Fenster", runtime.mainWindow, 6, 6, 200, 100, unwritten};
    PostGuiRequest(CreateDialogWindowOpcode, &dialog);
    DestroyByRequest(dialog.window);
    ClearWindow(MakeColor(1, 2, 3));
    Call("calltest", "CountCall");
}

TEST(Resources, NothingGrowsOverAThousandCycles)
{
    PrepareMainWindow();
    DWORD savedStyle = runtime.mainWindowStyle;
    runtime.mainWindowStyle = WS_CHILD | WS_VISIBLE;
    for (int warmUp = 0; warmUp < 20; ++warmUp)
        Cycle();
    size_t heapBefore = BusyHeapBlocks();
    DWORD gdiBefore = GdiObjects(), userBefore = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    int windowsBefore = LiveWindows();
    for (int round = 0; round < 1000; ++round)
        Cycle();
    size_t heapAfter = BusyHeapBlocks();
    DWORD gdiAfter = GdiObjects(), userAfter = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    std::printf("heap blocks %u -> %u, GDI %lu -> %lu, user objects %lu -> %lu, windows %d -> %d\n",
                static_cast<unsigned>(heapBefore), static_cast<unsigned>(heapAfter), gdiBefore, gdiAfter, userBefore,
                userAfter, windowsBefore, LiveWindows());
    EXPECT_LE(heapAfter, heapBefore + 16);
    EXPECT_LE(gdiAfter, gdiBefore + 16);
    EXPECT_LE(userAfter, userBefore + 16);
    EXPECT_EQ(LiveWindows(), windowsBefore);
    runtime.mainWindowStyle = savedStyle;

    size_t before = BusyHeapBlocks();   // the shutdown operations free what the containers hold
    programBlocks.push_back(std::malloc(16));
    programStrings.push_back(new RtString[3]{"a", "b", "c"});
    programPointers = {{nullptr, std::malloc(8), nullptr}, new RtString[2]};
    programMap[5] = 7;
    firstRuntimeTable[1] = 2;
    secondRuntimeTable[3] = 4;
    ReleaseProgramObjects();
    EmptyRuntimeTables();
    EXPECT_EQ(BusyHeapBlocks(), before);
}

}  // namespace
