// The player on the real runtime with a scripted MCI device: the driver at the other end of the
// standard handles (player_scenarios.py). Lines out end in CR LF (text mode): each MCI command,
// answered by the driver; "box <owner: main|none|other>", tab, caption, tab, text (UTF-8): a
// message box, answered with OK.
// Lines in, per command: "do <action>" any number of times (space-down, space-up, escape-down,
// escape-up: injected key events; key <code>: stored as the last key; front: a window of another
// thread takes the foreground; minimise, restore: the main window; display-change: a
// forged WM_DISPLAYCHANGE), then "ok <reply>" or "fail <MCI error>".
#include <windows.h>

#include <iostream>
#include <string>

#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"
#include "player/player.h"
#include "services/mci.h"

namespace {

DWORD WINAPI OtherProgram(void*)
{
    SetForegroundWindow(CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 99, 99, nullptr, nullptr,
                                        nullptr, nullptr));
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

// action: space-down, space-up, escape-down or escape-up.
void InjectKey(const std::string& action)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = action.compare(0, 6, "escape") == 0 ? VK_ESCAPE : VK_SPACE;
    input.ki.dwFlags = action.find("-up") != std::string::npos ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

void Act(const std::string& action)
{
    if (action.compare(0, 4, "key ") == 0)
        return StoreInterlocked(runtime.lastKey, std::stoi(action.substr(4)));
    if (action == "front")
        CloseHandle(CreateThread(nullptr, 0, OtherProgram, nullptr, 0, nullptr));
    else if (action == "minimise" || action == "restore")
        ShowWindow(runtime.mainWindow, action == "restore" ? SW_SHOWNOACTIVATE : SW_SHOWMINNOACTIVE);
    else if (action == "display-change")
        PostMessageA(runtime.mainWindow, WM_DISPLAYCHANGE, 32, MAKELPARAM(640, 480));
    else
        InjectKey(action);
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

std::string Utf8(const WCHAR* text)
{
    char bytes[4096] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
    return bytes;
}

// Reports a message box as it is activated, then answers it with OK: the report comes first, as
// the program may end as soon as the box has gone.
LRESULT CALLBACK AnswerBox(int code, WPARAM wParam, LPARAM lParam)
{
    HWND box = reinterpret_cast<HWND>(wParam);
    char name[8] = {};
    WCHAR caption[256] = {}, text[1024] = {};
    if (code == HCBT_ACTIVATE && GetClassNameA(box, name, sizeof name) && lstrcmpA(name, "#32770") == 0) {
        GetWindowTextW(box, caption, 256);
        GetDlgItemTextW(box, 0xFFFF, text, 1024);   // the text control of a message box
        HWND owner = GetWindow(box, GW_OWNER);
        std::cout << "box " << (owner == nullptr ? "none" : owner == runtime.mainWindow ? "main" : "other") << '\t'
                  << Utf8(caption) << '\t' << Utf8(text) << std::endl;
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
    DWORD code = RunPlayer();
    Act("escape-up");   // the key state is the desktop's: a key left down would reach the next case
    return code;
}
