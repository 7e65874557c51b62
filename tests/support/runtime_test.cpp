#include "support/runtime_test.h"

#include <cstdio>
#include <cstring>

#include "kernel/startup.h"

__attribute__((weak)) void PrepareRuntimeTests()
{
}

void RunScenarioNamedOnCommandLine(std::initializer_list<Scenario> scenarios)
{
    for (const Scenario& scenario : scenarios) {
        if (runtime.parameterCount >= 1 && std::strcmp(runtime.parameters[1].Text(), scenario.name) == 0) {
            scenario.run();
            ExitThread(0);
        }
    }
}

int32_t CallOnGuiThread(const void* function, std::initializer_list<DWORD> arguments)
{
    int32_t count = 0;
    for (DWORD argument : arguments)
        runtime.callArguments[count++] = argument;
    CallFunctionRequest block{function, count, 0};
    SendGuiRequest(CallFunctionOpcode, reinterpret_cast<LPARAM>(&block));
    return block.result;
}

COLORREF PixelOnGuiThread(HDC dc, int x, int y)
{
    return CallOnGuiThread(reinterpret_cast<const void*>(&GetPixel),
                           {reinterpret_cast<DWORD>(dc), static_cast<DWORD>(x), static_cast<DWORD>(y)});
}

HWND CreateControl(const char* className, DWORD style, RECT place)
{
    CreateControlRequest block{0, style, 0, className, "", place.left, place.top, place.right - place.left,
                               place.bottom - place.top, runtime.mainWindow, nullptr, nullptr, nullptr};
    PostGuiRequest(CreateControlOpcode, &block);
    return block.window;
}

HWND CreateDialogWindow(const char* title, HWND parent, RECT place)
{
    CreateDialogWindowRequest block{};
    static_cast<OpenRuntimeDialogRequest&>(block) = {title, parent, place.left, place.top, place.right - place.left,
                                                     place.bottom - place.top, nullptr};
    PostGuiRequest(CreateDialogWindowOpcode, &block);
    return block.window;
}

void DestroyByRequest(HWND window)
{
    DestroyWindowRequest block{window, -1};
    PostGuiRequest(DestroyWindowOpcode, &block);
}

void TypeKey(WORD key)
{
    INPUT keys[2] = {{INPUT_KEYBOARD, {}}, {INPUT_KEYBOARD, {}}};
    keys[0].ki.wVk = keys[1].ki.wVk = key;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
}

PulseWatcher::PulseWatcher(HANDLE watched) : event(watched)
{
    for (int thread = 0; thread < 2; ++thread)
        CloseHandle(CreateThread(nullptr, 0, Run, this, 0, nullptr));
}

DWORD WINAPI PulseWatcher::Run(void* self)
{
    auto* watcher = static_cast<PulseWatcher*>(self);
    for (;;) {
        ++watcher->waiting;
        WaitForSingleObject(watcher->event, INFINITE);
        --watcher->waiting;
        ++watcher->count;
        SetEvent(watcher->seen);
    }
}

int PulseWatcher::Arm()
{
    for (DWORD start = GetTickCount(); waiting < 2 && GetTickCount() - start < patience;)
        Sleep(1);
    Sleep(5);   // from "about to wait" to waiting
    ResetEvent(seen);
    return count;
}

bool PulseWatcher::WaitForCount(int wanted)
{
    for (DWORD start = GetTickCount(); count < wanted && GetTickCount() - start < patience;)
        WaitForSingleObject(seen, 100);
    return count >= wanted;
}

extern "C" DWORD WINAPI ProgramThreadMain(void*)
{
    SynchronizeWithGuiThread();
    PrepareRuntimeTests();
    int failures = RUN_ALL_TESTS() == 0 ? 0 : testing::UnitTest::GetInstance()->failed_test_count();
    PostThreadMessageA(runtime.guiThreadId, WM_QUIT, static_cast<WPARAM>(failures), 0);
    return 0;
}

__attribute__((weak)) int RunOutsideRuntime(int, char**)
{
    return 1;
}

// A crash ends the test program with exit code 3 (under the emulator its own end of a crashed
// process sometimes reports 0, a success).
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception)
{
    std::fprintf(stderr, "crash: exception %08lx at %p\n", exception->ExceptionRecord->ExceptionCode,
                 exception->ExceptionRecord->ExceptionAddress);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_CONTINUE_SEARCH;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int);

int main(int argc, char** argv)
{
    SetUnhandledExceptionFilter(ReportCrash);
    if (argc > 1 && std::strcmp(argv[1], "outside") == 0)
        return RunOutsideRuntime(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWNORMAL);
}
