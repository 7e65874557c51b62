// The player on the real runtime with a scripted MCI device: the driver at the other end of the
// standard handles (player_scenarios.py). Lines out, tab-separated, end in CR LF (text mode):
//   mci <command>, answered by the driver; box <owner: main|none|other> <caption> <text>, a message
//   box, answered with OK; background <BBGGRR>, the back buffer's colour as CLOSE VIDEO is sent.
// Lines in, per command: "do <action>" any number of times (space-down, space-up: injected key
// events; key <code>: stored as the last key), then "ok <reply>" or "fail <MCI error>".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "kernel/gui_request.h"
#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"
#include "player/player.h"
#include "services/mci.h"

namespace {

// One line from the driver, without its end; the empty text once it has gone.
std::string ReadLine()
{
    char line[512] = {};
    std::fgets(line, sizeof line, stdin);
    return std::string(line, std::strcspn(line, "\n"));
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
    // The emulator answers GetAsyncKeyState from a copy kept up to 50 ms; a real press lasts longer.
    Sleep(60);
}

MCIERROR WINAPI ScriptedDevice(LPCSTR command, LPSTR reply, UINT replyCapacity, HWND)
{
    if (lstrcmpA(command, "CLOSE VIDEO") == 0) {
        COLORREF colour = CLR_INVALID;
        RunOnGuiThread([](void* pixel) -> int32_t {   // the back buffer belongs to the GUI thread
            *static_cast<COLORREF*>(pixel) = GetPixel(runtime.backBufferDc, 0, 0);
            return 0;
        }, &colour);
        std::printf("background\t%06lX\n", static_cast<unsigned long>(colour));
    }
    std::printf("mci\t%s\n", command);
    std::fflush(stdout);
    std::string line = ReadLine();
    for (; line.compare(0, 3, "do ") == 0; line = ReadLine())
        Act(line.substr(3));
    if (line.compare(0, 5, "fail ") == 0)
        return static_cast<MCIERROR>(std::atoi(line.c_str() + 5));
    lstrcpynA(reply, line.size() > 3 ? line.c_str() + 3 : "", static_cast<int>(replyCapacity));
    return 0;
}

// Reports a message box as it is activated, then answers it with OK: the report comes first, as
// the program may end as soon as the box has gone.
LRESULT CALLBACK AnswerBox(int code, WPARAM wParam, LPARAM lParam)
{
    HWND box = reinterpret_cast<HWND>(wParam);
    char name[8] = {}, caption[256] = {}, text[1024] = {};
    if (code == HCBT_ACTIVATE && GetClassNameA(box, name, sizeof name) && lstrcmpA(name, "#32770") == 0) {
        GetWindowTextA(box, caption, sizeof caption);
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);   // the text control of a message box
        HWND owner = GetWindow(box, GW_OWNER);
        std::printf("box\t%s\t%s\t%s\n", owner == nullptr ? "none" : owner == runtime.mainWindow ? "main" : "other",
                    caption, text);
        std::fflush(stdout);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

extern "C" DWORD WINAPI ProgramThreadMain(void*)
{
    SynchronizeWithGuiThread();
    SetMciSender(ScriptedDevice);
    SetWindowsHookExA(WH_CBT, AnswerBox, nullptr, runtime.guiThreadId);   // the boxes run there
    return RunPlayer();
}
