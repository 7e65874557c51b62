// The player on the real runtime with a scripted MCI device (player_scenarios.py at the other end of the
// standard handles). Out, in CR LF: each MCI command, answered by the driver; "box <owner: main|none|other>",
// tab, caption, tab, text in UTF-8: a message box, answered with OK. In, per command: "do <action>" any number
// of times (space- or escape-down or -up: injected keys; key <code>: the last key; front: another window takes
// the foreground; minimise, restore: the main window), then "ok <reply>" or "fail <MCI error>".
#include <windows.h>

#include <iostream>
#include <string>

#include "kernel/gui_request.h"
#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"
#include "player/player.h"
#include "services/mci.h"

namespace {

void Act(const std::string& action)
{
    INPUT key = {};
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = action.compare(0, 6, "escape") == 0 ? VK_ESCAPE : VK_SPACE;
    key.ki.dwFlags = action.find("-up") != std::string::npos ? KEYEVENTF_KEYUP : 0;
    if (action.compare(0, 4, "key ") == 0)
        return StoreInterlocked(runtime.lastKey, std::stoi(action.substr(4)));
    if (action == "front")   // a window of the GUI thread but not the main window
        RunOnGuiThread([](void*) { return int32_t{SetForegroundWindow(CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE,
                                                   0, 0, 99, 99, nullptr, nullptr, nullptr, nullptr))}; }, nullptr);
    else if (action == "minimise" || action == "restore")
        ShowWindow(runtime.mainWindow, action == "restore" ? SW_SHOWNOACTIVATE : SW_SHOWMINNOACTIVE);
    else
        SendInput(1, &key, sizeof key);
    Sleep(60);   // the emulator answers GetAsyncKeyState from a copy kept up to 50 ms; a real press lasts longer
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
    char name[8] = {}, caption[256] = {}, text[4096] = {};
    WCHAR wideText[1024] = {};
    if (code == HCBT_ACTIVATE && GetClassNameA(box, name, sizeof name) && lstrcmpA(name, "#32770") == 0) {
        GetWindowTextA(box, caption, sizeof caption);
        GetDlgItemTextW(box, 0xFFFF, wideText, 1024);   // the text control of a message box, every character
        WideCharToMultiByte(CP_UTF8, 0, wideText, -1, text, sizeof text, nullptr, nullptr);
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
