// What the player's loop pays per round for the services it calls, and the string functions on
// long texts. Prints figures; nothing fails on a figure. Needs calltest.dll and test_clip.avi
// next to the program (both are built with the tests).
#include <algorithm>
#include <cstdio>
#include <cstring>
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

// Nanoseconds per call of call(argument): the best of five rounds of up to 20 calls (as many as
// fill about 20 ms), so that another program's burst on the machine spoils one round only. Each
// call gets a copy of the argument made right before it, as a program copies a string to pass
// it; the copy is the caller's and is not timed.
template <typename Call>
double BestNanoseconds(const RtString& argument, Call call)
{
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    auto seconds = [&](int calls) {
        LONGLONG ticks = 0;
        for (int i = 0; i < calls; ++i) {
            RtString copy(argument);
            QueryPerformanceCounter(&start);
            call(std::move(copy));
            QueryPerformanceCounter(&end);
            ticks += end.QuadPart - start.QuadPart;
        }
        return static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
    };
    int calls = static_cast<int>(std::min(20.0, std::max(1.0, 0.02 / std::max(seconds(1), 1e-6))));
    double best = seconds(calls);
    for (int round = 1; round < 5; ++round)
        best = std::min(best, seconds(calls));
    return 1e9 * best / calls;
}

RtString Text(const std::string& bytes)
{
    return RtString::ConstructFromRange(bytes.data(), 0, static_cast<uint32_t>(bytes.size()));
}

// One line per function on a text of about 1 MB: its time per byte of the text, and its ratio to
// a plain copy of as many bytes (of the result, where the line says so) in the same run.
void StringFigures()
{
    std::string from(2 << 20, 'c'), to(2 << 20, 0);
    auto copy = [&](size_t bytes) {
        return BestNanoseconds("", [&](RtString) { std::memcpy(&to[0], from.data(), bytes); ++from[bytes / 2]; });
    };
    auto line = [&](const char* name, double goal, const RtString& text, size_t copiedBytes, double nanoseconds) {
        std::printf("string %s: %.3f ns/byte, %.1f x copy (goal %g)\n", name, nanoseconds / text.Length(),
                    nanoseconds / copy(copiedBytes), goal);
    };
    const size_t megabyte = 1 << 20;

    std::string xs(megabyte, 'x');
    RtString needleAtEnd = Text(xs.substr(6) + "needle");
    line("FindSubstring, needle at the end", 4, needleAtEnd, megabyte,
         BestNanoseconds(needleAtEnd, [](RtString s) { FindSubstring("needle", std::move(s)); }));

    std::string hits;
    while (hits.size() < megabyte)
        hits += std::string(994, 'x') + "needle";
    RtString everyThousand = Text(hits);
    line("CountOccurrences, one hit in 1,000 bytes", 4, everyThousand, hits.size(),
         BestNanoseconds(everyThousand, [](RtString s) { CountOccurrences(std::move(s), "needle"); }));

    std::string fields;
    for (int field = 0; field < 100000; ++field)
        fields += std::to_string(100000000 + field) + " ";
    RtString manyFields = Text(fields);
    line("ExtractField, the last of 100,000 fields", 4, manyFields, fields.size(),
         BestNanoseconds(manyFields, [](RtString s) { ExtractField(std::move(s), 100000, " "); }));

    std::string words;
    while (words.size() < megabyte)
        words += "Der Spieler \xD6" "FFNET die Datei CLIP.MPG und zeigt das Bild auf dem ganzen Schirm. ";
    RtString mixedCase = Text(words);
    line("ToLowerCase", 4, mixedCase, words.size(),
         BestNanoseconds(mixedCase, [](RtString s) { ToLowerCase(std::move(s)); }));

    std::string lines;
    while (lines.size() < megabyte)
        lines += std::string(999, 'x') + "\n";
    RtString oneInThousand = Text(lines);
    line("ReplaceAll, one byte in 1,000 replaced", 4, oneInThousand, lines.size(),
         BestNanoseconds(oneInThousand, [](RtString s) { ReplaceAll(std::move(s), "\n", "\r\n"); }));

    RtString onlyX = Text(xs);
    line("ReplaceAll x -> yz, every byte (ratio to a copy of the result)", 10, onlyX, 2 * megabyte,
         BestNanoseconds(onlyX, [](RtString s) { ReplaceAll(std::move(s), "x", "yz"); }));

    RtString periodic = Text(std::string(megabyte, 'a'));
    RtString periodicNeedle = Text(std::string(1000, 'a') + "b");
    line("FindSubstring on a periodic text (a^1000 b in 1 MB of a)", 40, periodic, megabyte,
         BestNanoseconds(periodic, [&](RtString s) { FindSubstring(periodicNeedle, std::move(s)); }));

    // The floors of the lines above that lie in the string type and the system's heap rather than
    // in the functions: the release of a 1 MB argument, which each function pays at its end, and
    // a fresh 1 MB block, which each 1 MB result and each caller's copy of a 1 MB argument pays
    // (the heap gives a block this large pages of its own, and each page costs on its first touch).
    auto floorLine = [&](const char* name, double nanoseconds) {
        std::printf("string %s: %.3f ns/byte, %.1f x copy\n", name, nanoseconds / megabyte,
                    nanoseconds / copy(megabyte));
    };
    floorLine("release of a 1 MB argument", BestNanoseconds(onlyX, [](RtString) {}));
    floorLine("fresh 1 MB block, filled and released", BestNanoseconds("", [&](RtString) { RtString::Repeat('x', megabyte); }));

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
