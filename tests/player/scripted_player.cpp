// The player on the real runtime with a scripted MCI device in place of the system's. The device
// is the driver at the other end of the standard handles (player_scenarios.py). Lines out:
//   mci <command>                 a command the player sent; the driver answers it
//   box <owner: main|none|other> <caption> <text>   a message box, answered with OK
//   background <BBGGRR>           the main window's back buffer, read as CLOSE VIDEO is sent
// Lines in, per command: "do <action>" any number of times (space-down, space-up: injected key
// events; key <code>: stored as the last key), then "ok <reply>" or "fail <MCI error>".
// SCRIPTED_SCREEN="WIDTHxHEIGHT" replaces the screen size the player sees.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "kernel/gui_request.h"
#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"
#include "player/player.h"
#include "services/mci.h"
#include "support/gui_probe.h"

namespace {

void Report(const std::string& line)
{
    std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// One line from the driver; the empty text once it has gone.
std::string ReadLine()
{
    std::string line;
    char character = 0;
    DWORD read = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), &character, 1, &read, nullptr) && read == 1 && character != '\n')
        line += character;
    return line;
}

void Act(const std::string& action)
{
    if (action.compare(0, 4, "key ") == 0)
        return StoreInterlocked(runtime.lastKey, std::atoi(action.c_str() + 4));
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = VK_SPACE;
    input.ki.dwFlags = action == "space-up" ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
    // The emulator keeps a thread's last answer for an idle key for up to 50 ms; a real press
    // lasts longer than that, so the player's next look at the key must come after it.
    Sleep(60);
}

int32_t __cdecl ReadBackground(void* colour)
{
    *static_cast<COLORREF*>(colour) = GetPixel(runtime.backBufferDc, 0, 0);
    return 0;
}

MCIERROR WINAPI ScriptedDevice(LPCSTR command, LPSTR reply, UINT replyCapacity, HWND)
{
    if (lstrcmpA(command, "CLOSE VIDEO") == 0) {
        COLORREF colour = CLR_INVALID;
        RunOnGuiThread(ReadBackground, &colour);
        char text[32];
        std::snprintf(text, sizeof text, "background\t%06lX", static_cast<unsigned long>(colour));
        Report(text);
    }
    Report(std::string("mci\t") + command);
    std::string line = ReadLine();
    for (; line.compare(0, 3, "do ") == 0; line = ReadLine())
        Act(line.substr(3));
    if (line.compare(0, 5, "fail ") == 0)
        return static_cast<MCIERROR>(std::atoi(line.c_str() + 5));
    lstrcpynA(reply, line.size() > 3 ? line.c_str() + 3 : "", static_cast<int>(replyCapacity));
    return 0;
}

// Reports every message box of the process, then answers it with OK: the report comes first,
// as the program may end as soon as the box has gone.
DWORD WINAPI AnswerBoxes(void*)
{
    for (;; Sleep(20)) {
        HWND box = FindProcessWindow(GetCurrentProcessId(), "#32770");
        if (box == nullptr)
            continue;
        Sleep(50);   // let the box finish its initialisation before it is read
        char caption[256] = {};
        char text[1024] = {};
        GetWindowTextA(box, caption, sizeof caption);
        for (HWND child = FindWindowExA(box, nullptr, "Static", nullptr); child != nullptr && text[0] == 0;
             child = FindWindowExA(box, child, "Static", nullptr))
            GetWindowTextA(child, text, sizeof text);
        HWND owner = GetWindow(box, GW_OWNER);
        Report(std::string("box\t") + (owner == nullptr ? "none" : owner == runtime.mainWindow ? "main" : "other")
               + "\t" + caption + "\t" + text);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        while (IsWindow(box) && IsWindowVisible(box))
            Sleep(10);
    }
}

}  // namespace

extern "C" DWORD WINAPI ProgramThreadMain(void*)
{
    SynchronizeWithGuiThread();
    if (const char* screen = std::getenv("SCRIPTED_SCREEN"))
        std::sscanf(screen, "%ldx%ld", &runtime.screenWidth, &runtime.screenHeight);
    SetMciSender(ScriptedDevice);
    CloseHandle(CreateThread(nullptr, 0, AnswerBoxes, nullptr, 0, nullptr));
    return RunPlayer();
}
