// The player on the real runtime with a scripted MCI device: the driver at the other end of the
// standard handles (player_scenarios.py). Lines out end in CR LF (text mode): each MCI command,
// answered by the driver; "box <owner: main|none|other>", tab, caption, tab, text: a message box,
// answered with OK.
// Lines in, per command: "do <action>" any number of times (space-down, space-up: injected key
// events; key <code>: stored as the last key), then "ok <reply>" or "fail <MCI error>".
#include <windows.h>

#include <iostream>
#include <string>

#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"
#include "player/player.h"
#include "services/mci.h"

namespace {

void Act(const std::string& action)
{
    if (action.compare(0, 4, "key ") == 0)
        return StoreInterlocked(runtime.lastKey, std::stoi(action.substr(4)));
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
    std::cout << command << std::endl;
    std::string line;
    while (std::getline(std::cin, line) && line.compare(0, 3, "do ") == 0)
        Act(line.substr(3));
    if (line.compare(0, 5, "fail ") == 0)
        return static_cast<MCIERROR>(std::stoi(line.substr(5)));
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
        std::cout << "box " << (owner == nullptr ? "none" : owner == runtime.mainWindow ? "main" : "other") << '\t'
                  << caption << '\t' << text << std::endl;
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
