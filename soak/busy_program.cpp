// The program that window_stress_test closes at random instants: its program thread allocates
// and frees strings, sends MCI commands and makes library calls (one of them loading and
// freeing a library) as fast as it can. Every 32 rounds it shows the round count as the window
// title, so that a driver can see it running.
#include <cstdio>

#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"
#include "kernel/startup.h"
#include "kernel/windowing.h"
#include "services/library_calls.h"
#include "services/mci.h"
#include "values/rt_string.h"

extern "C" DWORD WINAPI ProgramThreadMain(void*)
{
    SynchronizeWithGuiThread();
    SetWindowStyleFlags(0x4 | 0x8);   // a sizing border and a system menu
    SetMainWindowGeometry(50, 50, 400, 300);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    for (DWORD round = 0;; ++round) {
        RtString text = RtString::FromInt(static_cast<int32_t>(round));
        for (int piece = 0; piece < 8; ++piece)
            text = text.Concat(" Runde");
        SendMciCommand("status xyz mode");
        CallLibraryFunction("USER32", "GetAsyncKeyState", {VK_SPACE});
        CallLibraryFunction("VERSION", "GetFileVersionInfoSizeA", {reinterpret_cast<DWORD>(path), 0});
        if (round % 32 == 0) {
            char title[32];
            std::snprintf(title, sizeof title, "%lu", round);
            SetWindowTextA(runtime.mainWindow, title);
        }
    }
}
