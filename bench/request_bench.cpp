// The round trip of a synchronous request against its floor, a raw cross-thread SendMessageA to
// a trivial window procedure of a window that the GUI thread owns. Prints figures; the goal is
// at most 1.2 times the floor. GuiSleep(0) also yields with Sleep(0) after the send, by design.
#include <cstdio>

#include "kernel/gui_request.h"
#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"
#include "kernel/startup.h"

namespace {

constexpr int rounds = 5;
constexpr int callsPerRound = 4000;   // 20000 calls per figure in all

LRESULT CALLBACK TrivialProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == requestMessage)
        return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

// Runs on the GUI thread: a hidden window like the request window, with a trivial procedure.
HWND __stdcall CreateFloorWindow()
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = TrivialProcedure;
    windowClass.hInstance = runtime.instanceHandle;
    windowClass.lpszClassName = "BENCHFLOOR";
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, "BENCHFLOOR", "", 0, 0, 0, 0, 0, nullptr, nullptr, runtime.instanceHandle, nullptr);
}

int32_t __stdcall Trivial()
{
    return 0;
}

HWND floorWindow;

void RawSend()
{
    SendMessageA(floorWindow, requestMessage, 0, 0);
}

void SleepRequest()
{
    GuiSleep(0);
}

void TrivialCallRequest()
{
    CallFunctionRequest block{reinterpret_cast<const void*>(Trivial), 0, 0};
    SendGuiRequest(CallFunctionOpcode, reinterpret_cast<LPARAM>(&block));
}

struct Measurement {
    const char* name;
    void (*call)();
    LONGLONG ticks;
};

LONGLONG TimeCalls(void (*call)())
{
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < callsPerRound; ++i)
        call();
    QueryPerformanceCounter(&end);
    return end.QuadPart - start.QuadPart;
}

void RunBenchmark()
{
    CallFunctionRequest create{reinterpret_cast<const void*>(CreateFloorWindow), 0, 0};
    SendGuiRequest(CallFunctionOpcode, reinterpret_cast<LPARAM>(&create));
    floorWindow = reinterpret_cast<HWND>(create.result);
    if (floorWindow == nullptr) {
        std::printf("the floor window could not be created\n");
        return;
    }

    Measurement measurements[] = {
        {"floor: raw SendMessageA", RawSend, 0},
        {"GuiSleep(0)", SleepRequest, 0},
        {"CallFunctionRequest, trivial function", TrivialCallRequest, 0},
    };
    for (Measurement& m : measurements)   // warm-up
        TimeCalls(m.call);
    for (int round = 0; round < rounds; ++round) {   // interleaved, so drift hits all alike
        for (Measurement& m : measurements)
            m.ticks += TimeCalls(m.call);
    }

    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    const int calls = rounds * callsPerRound;
    const double floorTicks = static_cast<double>(measurements[0].ticks);
    std::printf("%-40s %12s %10s   (%d calls each)\n", "synchronous request", "us per call", "x floor", calls);
    for (const Measurement& m : measurements) {
        double microseconds = 1e6 * static_cast<double>(m.ticks) / static_cast<double>(frequency.QuadPart) / calls;
        std::printf("%-40s %12.2f %10.2f\n", m.name, microseconds, static_cast<double>(m.ticks) / floorTicks);
    }
    std::printf("goal: at most 1.20 x floor\n");
    std::fflush(stdout);
}

}  // namespace

extern "C" DWORD WINAPI ProgramThreadMain(void*)
{
    SynchronizeWithGuiThread();
    RunBenchmark();
    PostQuitToGuiThread();
    return 0;
}

int main()
{
    return WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWNORMAL);
}
