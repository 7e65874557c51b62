// Launch to visible: how long a program on this runtime that creates its main window at once
// takes from CreateProcess to a visible window, against the floor (launch_floor.exe, a minimal
// hand-written Win32 program). Run as "launch_bench.exe" it measures both; run with the word
// "window" it is the measured runtime program itself.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"
#include "kernel/startup.h"
#include "kernel/windowing.h"

namespace {

constexpr int launches = 15;
constexpr DWORD visibleTimeout = 20000;

struct Search {
    DWORD processId;
    bool visible;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM search)
{
    auto* wanted = reinterpret_cast<Search*>(search);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == wanted->processId && IsWindowVisible(window)) {
        wanted->visible = true;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds from CreateProcess to the first visible window of the process; -1 if none.
double LaunchToVisible(const std::string& commandLine)
{
    std::string line = commandLine;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    double elapsed = -1;
    for (;;) {
        Search search{process.dwProcessId, false};
        EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
        QueryPerformanceCounter(&now);
        double milliseconds = 1000.0 * (now.QuadPart - start.QuadPart) / frequency.QuadPart;
        if (search.visible) {
            elapsed = milliseconds;
            break;
        }
        if (milliseconds > visibleTimeout || WaitForSingleObject(process.hProcess, 1) != WAIT_TIMEOUT)
            break;
    }
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, visibleTimeout);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return elapsed;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

std::string Folder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string text = path;
    return text.substr(0, text.find_last_of("\\/") + 1);
}

void Measure()
{
    std::string runtimeProgram = "\"" + Folder() + "launch_bench.exe\" window";
    std::string floorProgram = "\"" + Folder() + "launch_floor.exe\"";
    std::vector<double> onRuntime, floor;
    LaunchToVisible(runtimeProgram);   // warm the emulator's caches for both
    LaunchToVisible(floorProgram);
    for (int launch = 0; launch < launches; ++launch) {
        onRuntime.push_back(LaunchToVisible(runtimeProgram));
        floor.push_back(LaunchToVisible(floorProgram));
    }
    double runtimeMedian = Median(onRuntime);
    double floorMedian = Median(floor);
    std::printf("launch to visible, median of %d: runtime program %.1f ms, floor %.1f ms, ratio %.2f (goal <= 1.10)\n",
                launches, runtimeMedian, floorMedian, floorMedian > 0 ? runtimeMedian / floorMedian : 0.0);
}

}  // namespace

extern "C" DWORD WINAPI ProgramThreadMain(void*)
{
    SynchronizeWithGuiThread();
    bool isMeasured = runtime.parameterCount >= 1 && runtime.parameters[1].CompareText("window") == 0;
    if (isMeasured) {
        SetWindowStyleFlags(0x40);
        SetMainWindowGeometry(0, 0, 320, 240);
        for (;;)
            GuiSleep(1000);
    }
    Measure();
    PostQuitToGuiThread();
    return 0;
}
