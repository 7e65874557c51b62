// What the player's loop pays per round for the services it calls, and the string functions on
// long texts. Prints figures; nothing fails on a figure. Needs calltest.dll and test_clip.avi
// next to the program (both are built with the tests).
#include <cstdio>
#include <string>

#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"
#include "kernel/startup.h"
#include "services/library_calls.h"
#include "services/mci.h"
#include "values/string_functions.h"

namespace {

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

// Microseconds per call of `call`, over `calls` calls after one warm-up call.
template <typename Call>
double MicrosecondsPerCall(int calls, Call call)
{
    call();
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < calls; ++i)
        call();
    QueryPerformanceCounter(&end);
    return 1e6 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart) / calls;
}

void Print(const char* what, int calls, double microseconds)
{
    std::printf("%-58s %12.2f us   (%d calls)\n", what, microseconds, calls);
}

void ServiceFigures()
{
    Print("CallLibraryFunction User32 GetAsyncKeyState (in process)", 5000, MicrosecondsPerCall(5000, [] {
              CallLibraryFunction("User32", "GetAsyncKeyState", {VK_SPACE});
          }));
    Print("CallLibraryFunction calltest CountCall (load, call, free)", 500, MicrosecondsPerCall(500, [] {
              CallLibraryFunction("calltest", "CountCall", {});
          }));

    std::string open = "OPEN " + ProgramFolder() + "test_clip.avi TYPE AVIVIDEO ALIAS BENCH";
    if (SendMciCommand(open.c_str()).Length() == 0) {
        std::printf("the clip does not open (MCI error %ld)\n", runtime.lastMciError);
        return;
    }
    Print("SendMciCommand STATUS BENCH MODE", 2000, MicrosecondsPerCall(2000, [] {
              SendMciCommand("STATUS BENCH MODE");
          }));
    Print("SendMciCommand STATUS BENCH POSITION + ParseInteger", 2000, MicrosecondsPerCall(2000, [] {
              ParseInteger(SendMciCommand("STATUS BENCH POSITION"));
          }));
    SendMciCommand("CLOSE BENCH");
}

void StringFigures()
{
    std::string text(1 << 20, 'x');
    text.replace(text.size() - 6, 6, "needle");
    RtString megabyte = RtString::ConstructFromRange(text.data(), 0, static_cast<uint32_t>(text.size()));
    Print("FindSubstring, needle at the end of 1 MB", 200, MicrosecondsPerCall(200, [&] {
              FindSubstring("needle", megabyte);
          }));
    Print("ReplaceAll x -> yz over 1 MB (every byte replaced)", 20, MicrosecondsPerCall(20, [&] {
              ReplaceAll(megabyte, "x", "yz");
          }));
    Print("ToLowerCase of 1 MB", 50, MicrosecondsPerCall(50, [&] { ToLowerCase(megabyte); }));
    Print("ExtractField 3 of \"0 0 160 120\" + ParseInteger", 100000, MicrosecondsPerCall(100000, [] {
              ParseInteger(ExtractField("0 0 160 120", 3, " "));
          }));
}

}  // namespace

extern "C" DWORD WINAPI ProgramThreadMain(void*)
{
    SynchronizeWithGuiThread();
    ServiceFigures();
    StringFigures();
    std::fflush(stdout);
    PostQuitToGuiThread();
    return 0;
}

int main()
{
    return WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWNORMAL);
}
