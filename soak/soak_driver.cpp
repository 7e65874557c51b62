// Soak runs of busy_program, driven as a user and another program would drive it. Prints figures;
// its exit code is the number of runs that went wrong (a process that did not end, did not end
// with 0, a request lost or carried out twice, a program that stopped making progress).
//   soak_driver closes    closes the program at random instants, 200 times, 4 at a time
//   soak_driver moves     50 keyboard move and size loops; the program runs on after each
//   soak_driver requests  100,000 mixed requests while another thread floods the main window
//                         with input and the user moves it now and then; then a close at a
//                         random instant
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "soak/soak_report.h"
#include "support/gui_probe.h"

namespace {

constexpr DWORD windowTimeout = 20000;
constexpr DWORD exitTimeout = 10000;
constexpr DWORD stallTimeout = 10000;   // no progress for this long is a deadlock
std::mt19937 randomness(20261207);

std::string Program(const std::string& words = "")
{
    return "\"" + ProgramFolder() + "busy_program.exe\" " + words;
}

int Title(HWND window)
{
    char title[32] = {};
    GetWindowTextA(window, title, sizeof title);
    return std::atoi(title);
}

// The child's main window once its program shows a round count as the title.
HWND RunningWindow(const ChildProcess& child)
{
    HWND window = child.WaitForWindow("FENSTER", windowTimeout);
    for (DWORD start = GetTickCount(); window != nullptr && Title(window) == 0 && GetTickCount() - start < windowTimeout;)
        Sleep(5);
    return window;
}

bool RunsOn(HWND window)
{
    int since = Title(window);
    for (DWORD start = GetTickCount(); GetTickCount() - start < stallTimeout; Sleep(5)) {
        if (Title(window) > since)
            return true;
    }
    return false;
}

struct Close {
    DWORD exitCode;
    DWORD milliseconds;
};

Close CloseAndWait(ChildProcess& child, HWND window)
{
    DWORD start = GetTickCount();
    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD code = child.ExitCode(exitTimeout);
    return Close{code, GetTickCount() - start};
}

int Closes()
{
    std::uniform_int_distribution<DWORD> delay(0, 60);
    int closes = 0, clean = 0;
    DWORD longest = 0;
    for (int batch = 0; batch < 50; ++batch) {
        std::vector<ChildProcess*> children;
        std::vector<HWND> windows;
        for (int i = 0; i < 4; ++i) {
            children.push_back(new ChildProcess(Program()));
            windows.push_back(RunningWindow(*children.back()));
        }
        std::vector<DWORD> closedAt;
        for (HWND window : windows) {
            Sleep(delay(randomness));   // the random instant
            closedAt.push_back(GetTickCount());
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
        for (int i = 0; i < 4; ++i) {
            DWORD code = children[i]->ExitCode(exitTimeout), milliseconds = GetTickCount() - closedAt[i];
            closes += windows[i] != nullptr;
            clean += windows[i] != nullptr && code == 0;
            longest = milliseconds > longest ? milliseconds : longest;
            delete children[i];
        }
    }
    std::printf("closes: %d, clean exits: %d, longest exit: %lu ms\n", closes, clean, longest);
    return closes - clean + (closes != 200);
}

void MoveOrSize(HWND window, int loop)   // a keyboard loop: the command, two arrows, Enter or Escape
{
    WPARAM arrow = loop % 4 < 2 ? VK_RIGHT : VK_DOWN;
    PostMessageA(window, WM_SYSCOMMAND, loop % 2 == 0 ? SC_MOVE : SC_SIZE, 0);
    PostMessageA(window, WM_KEYDOWN, arrow, 0);
    PostMessageA(window, WM_KEYDOWN, arrow, 0);
    PostMessageA(window, WM_KEYDOWN, loop % 5 == 0 ? VK_ESCAPE : VK_RETURN, 0);
}

int Moves()
{
    ChildProcess child(Program());
    HWND window = RunningWindow(child);
    int ranOn = 0;
    for (int loop = 0; loop < 50 && window != nullptr; ++loop) {
        MoveOrSize(window, loop);
        ranOn += RunsOn(window);
    }
    Close close = CloseAndWait(child, window);
    std::printf("move and size loops: 50, program ran on after: %d, exit code %lu after %lu ms\n", ranOn,
                close.exitCode, close.milliseconds);
    return (50 - ranOn) + (close.exitCode != 0);
}

// Another program's input: mouse moves and keys nobody asked for, a few every millisecond (as many
// as the GUI thread takes in that time, or its queue would only grow and every request would wait
// behind it).
volatile bool flooding = true;
volatile LONG floodMessages = 0;

DWORD WINAPI Flood(void* window)
{
    for (WPARAM i = 0; flooding; ++i) {
        PostMessageA(static_cast<HWND>(window), i % 2 ? WM_MOUSEMOVE : WM_KEYUP, i & 0xFF, i);
        if (++floodMessages % 2 == 0)
            Sleep(1);
    }
    return 0;
}

void PrintCounts(const char* when, const ResourceCounts& counts)
{
    std::printf("  %s: handles %lu, GDI objects %lu, user objects %lu, heap blocks %lu\n", when, counts.handles,
                counts.gdiObjects, counts.userObjects, counts.heapBlocks);
}

int Requests()
{
    constexpr LONG count = 100000;
    const char* name = "KinoblickSoakReport";
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(SoakReport), name);
    auto* report = static_cast<SoakReport*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SoakReport)));
    std::memset(report, 0, sizeof *report);
    ChildProcess child(Program("requests " + std::to_string(count) + " " + name));
    HWND window = child.WaitForWindow("FENSTER", windowTimeout);
    HANDLE flood = CreateThread(nullptr, 0, Flood, window, 0, nullptr);
    DWORD start = GetTickCount(), lastProgress = start;
    LONG seen = 0;
    bool deadlock = false;
    for (int loop = 0; window != nullptr && report->completed < count && !deadlock; ++loop) {
        Sleep(200);
        if (loop % 10 == 9)
            MoveOrSize(window, loop);   // now and then the user moves or sizes the window
        if (report->completed != seen) {
            seen = report->completed;
            lastProgress = GetTickCount();
        }
        deadlock = GetTickCount() - lastProgress > stallTimeout;
    }
    DWORD seconds = (GetTickCount() - start) / 1000;
    flooding = false;
    WaitForSingleObject(flood, INFINITE);
    Sleep(std::uniform_int_distribution<DWORD>(0, 60)(randomness));
    Close close = CloseAndWait(child, window);
    std::printf("requests: %ld completed in %lu s, %ld carried out, %ld lost, %ld carried out twice, %s\n",
                report->completed, seconds, report->carriedOut, report->lost, report->carriedOutTwice,
                deadlock ? "DEADLOCK" : "no deadlock");
    std::printf("  %ld input messages flooded in; LastEvent named a foreign window %ld times\n", floodMessages,
                report->lastEventOdd);
    PrintCounts("before", report->before);
    PrintCounts("after ", report->after);
    std::printf("  closed at a random instant: exit code %lu after %lu ms\n", close.exitCode, close.milliseconds);
    return (report->completed < count) + deadlock + (report->lost != 0) + (report->carriedOutTwice != 0) +
           (close.exitCode != 0) + (report->lastEventOdd != 0);
}

}  // namespace

int main(int argc, char** argv)
{
    std::string mode = argc > 1 ? argv[1] : "";
    int failures = mode == "closes" ? Closes() : mode == "moves" ? Moves() : mode == "requests" ? Requests() : -1;
    if (failures < 0)
        std::fprintf(stderr, "usage: soak_driver closes|moves|requests\n");
    return failures;
}
