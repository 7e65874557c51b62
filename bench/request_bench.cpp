// The round trip of a synchronous request against its floor, a raw cross-thread SendMessageA to
// a trivial window procedure of a window that the GUI thread owns. Prints figures; the goal is
// at most 1.2 times the floor. GuiSleep(0) also yields with Sleep(0) after the send, by design.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "kernel/gui_request.h"
#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"
#include "kernel/startup.h"

namespace {

constexpr int rounds = 20;
constexpr int callsPerRound = 1000;   // 20000 calls per figure in all

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

void PostedCallRequest()   // for comparison: posted, and waited for
{
    CallFunctionRequest block{reinterpret_cast<const void*>(Trivial), 0, 0};
    PostGuiRequest(CallFunctionOpcode, &block);
}

struct Measurement {
    const char* name;
    void (*call)();
    std::vector<double> ticks;    // per round
    std::vector<double> ratios;   // per round, to the floor's time of the same round
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

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
        {"floor: raw SendMessageA", RawSend, {}, {}},
        {"GuiSleep(0)", SleepRequest, {}, {}},
        {"CallFunctionRequest, trivial function", TrivialCallRequest, {}, {}},
        {"the same posted (no goal)", PostedCallRequest, {}, {}},
    };
    for (Measurement& m : measurements)   // warm-up
        TimeCalls(m.call);
    // Interleaved, so that drift hits all alike; the medians leave out the rounds in which the
    // shared machine was busy with something else.
    for (int round = 0; round < rounds; ++round) {
        for (Measurement& m : measurements)
            m.ticks.push_back(static_cast<double>(TimeCalls(m.call)));
        for (Measurement& m : measurements)
            m.ratios.push_back(m.ticks.back() / measurements[0].ticks.back());
    }

    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::printf("%-40s %12s %10s   (median of %d rounds of %d calls)\n", "synchronous request", "us per call",
                "x floor", rounds, callsPerRound);
    for (const Measurement& m : measurements) {
        double microseconds = 1e6 * Median(m.ticks) / static_cast<double>(frequency.QuadPart) / callsPerRound;
        std::printf("%-40s %12.2f %10.2f\n", m.name, microseconds, Median(m.ratios));
    }
    std::printf("goal: at most 1.20 x floor for the synchronous requests\n");
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
