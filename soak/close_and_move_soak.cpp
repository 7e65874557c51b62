// Closing the main window at any instant ends the process cleanly, and move and size loops
// never hang, whatever the program thread is doing: window_stress_program runs strings, MCI
// commands and library calls in a tight loop while this driver closes it or drives its loops.
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "support/gui_probe.h"
#include "support/runtime_test.h"

namespace {

constexpr int closeRuns = 200;
constexpr int parallelRuns = 4;             // children alive at once
constexpr int moveLoops = 50;
constexpr DWORD windowTimeout = 20000;      // the child's window appears
constexpr DWORD exitTimeout = 10000;        // the child ends after the close
constexpr DWORD progressTimeout = 10000;    // the child's program runs again after a loop

struct Child {
    PROCESS_INFORMATION process{};
    HWND window = nullptr;
    DWORD closedAt = 0;
};

std::string ProgramPath()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string text = path;
    return text.substr(0, text.find_last_of("\\/") + 1) + "window_stress_program.exe";
}

bool StartChild(Child& child)
{
    std::string commandLine = "\"" + ProgramPath() + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    return CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &child.process) != 0;
}

// The child's main window once its program has shown a round count as the title.
HWND WaitForRunningWindow(const Child& child, DWORD timeout)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout) {
        HWND found = FindProcessWindow(child.process.dwProcessId, "FENSTER");
        char title[32] = {};
        if (found != nullptr && GetWindowTextA(found, title, sizeof title) > 0 && title[0] != 'K')
            return found;
        if (WaitForSingleObject(child.process.hProcess, 10) != WAIT_TIMEOUT)
            return nullptr;
    }
    return nullptr;
}

int Title(HWND window)
{
    char title[32] = {};
    GetWindowTextA(window, title, sizeof title);
    return atoi(title);
}

// Waits until the child's program has shown a newer round than `since`.
bool WaitForProgress(HWND window, int since, DWORD timeout)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout) {
        if (Title(window) > since)
            return true;
        Sleep(5);
    }
    return false;
}

struct Ending {
    bool ended;
    DWORD exitCode;
    DWORD milliseconds;
};

Ending WaitForEnd(Child& child)
{
    Ending ending{};
    ending.ended = WaitForSingleObject(child.process.hProcess, exitTimeout) == WAIT_OBJECT_0;
    ending.milliseconds = GetTickCount() - child.closedAt;
    GetExitCodeProcess(child.process.hProcess, &ending.exitCode);
    if (!ending.ended)
        TerminateProcess(child.process.hProcess, 99);
    CloseHandle(child.process.hProcess);
    CloseHandle(child.process.hThread);
    return ending;
}

}  // namespace

TEST(WindowStress, ClosingTheWindowAtRandomInstantsAlwaysEndsTheProcessWithCodeZero)
{
    std::mt19937 random(20261206);
    std::uniform_int_distribution<DWORD> delay(0, 60);
    int closes = 0;
    int cleanExits = 0;
    DWORD longestExit = 0;
    for (int batch = 0; batch < closeRuns / parallelRuns; ++batch) {
        std::vector<Child> children(parallelRuns);
        for (Child& child : children) {
            ASSERT_TRUE(StartChild(child)) << ProgramPath();
        }
        for (Child& child : children) {
            child.window = WaitForRunningWindow(child, windowTimeout);
            EXPECT_NE(child.window, nullptr) << "run " << batch << ": the child's program did not start";
        }
        for (Child& child : children) {
            Sleep(delay(random));   // the random instant
            child.closedAt = GetTickCount();
            if (child.window != nullptr)
                PostMessageA(child.window, WM_CLOSE, 0, 0);
        }
        for (Child& child : children) {
            Ending ending = WaitForEnd(child);
            if (child.window == nullptr)
                continue;
            ++closes;
            EXPECT_TRUE(ending.ended) << "batch " << batch << ": the process did not end";
            EXPECT_EQ(ending.exitCode, 0u) << "batch " << batch;
            if (ending.ended && ending.exitCode == 0)
                ++cleanExits;
            if (ending.milliseconds > longestExit)
                longestExit = ending.milliseconds;
        }
    }
    std::printf("closes: %d, clean exits: %d, longest exit: %lu ms\n", closes, cleanExits, longestExit);
    EXPECT_EQ(closes, closeRuns);
}

TEST(WindowStress, MoveAndSizeLoopsNeverHangAndTheProgramRunsOnAfterEach)
{
    Child child;
    ASSERT_TRUE(StartChild(child));
    HWND window = WaitForRunningWindow(child, windowTimeout);
    ASSERT_NE(window, nullptr);
    int resumed = 0;
    for (int loop = 0; loop < moveLoops; ++loop) {
        // Keyboard loops: the command starts one, arrows move or size, Enter ends it.
        WPARAM command = loop % 2 == 0 ? SC_MOVE : SC_SIZE;
        WPARAM arrow = loop % 4 < 2 ? VK_RIGHT : VK_DOWN;
        PostMessageA(window, WM_SYSCOMMAND, command, 0);
        PostMessageA(window, WM_KEYDOWN, arrow, 0);
        PostMessageA(window, WM_KEYDOWN, arrow, 0);
        PostMessageA(window, WM_KEYDOWN, loop % 5 == 0 ? VK_ESCAPE : VK_RETURN, 0);
        if (WaitForProgress(window, Title(window), progressTimeout))
            ++resumed;
        else
            ADD_FAILURE() << "loop " << loop << ": the program did not run on";
    }
    child.closedAt = GetTickCount();
    PostMessageA(window, WM_CLOSE, 0, 0);
    Ending ending = WaitForEnd(child);
    std::printf("move and size loops: %d, program ran on after: %d, exit after %lu ms\n", moveLoops, resumed,
                ending.milliseconds);
    EXPECT_TRUE(ending.ended);
    EXPECT_EQ(ending.exitCode, 0u);
}
