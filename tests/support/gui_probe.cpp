#include "support/gui_probe.h"

std::string WindowText(HWND window)
{
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

HWND FindProcessWindow(DWORD processId, const char* className)
{
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, className, nullptr)) != nullptr) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == processId && IsWindowVisible(window))
            return window;
    }
    return nullptr;
}

MessageBoxSeen AnswerProcessMessageBox(DWORD processId, int buttonId, DWORD timeoutMilliseconds)
{
    MessageBoxSeen seen;
    HWND box = nullptr;
    for (DWORD start = GetTickCount(); box == nullptr && GetTickCount() - start < timeoutMilliseconds; Sleep(20))
        box = FindProcessWindow(processId, "#32770");
    if (box == nullptr)
        return seen;
    Sleep(50);   // the box finishes its initialisation before it is read
    seen = {true, WindowText(box), "", GetWindow(box, GW_OWNER), IsWindowVisible(GetDlgItem(box, IDOK)) != 0,
            IsWindowVisible(GetDlgItem(box, IDCANCEL)) != 0};
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (lstrcmpiA(ClassOf(child).c_str(), "Static") != 0)
            continue;
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            seen.icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        else if (seen.text.empty())
            seen.text = WindowText(child);
    }
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, buttonId)));
    for (DWORD start = GetTickCount(); IsWindowVisible(box) && GetTickCount() - start < timeoutMilliseconds;)
        Sleep(10);   // gone, or the next search would find it again
    return seen;
}

std::string ThisProgram()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

std::string ProgramFolder()
{
    std::string path = ThisProgram();
    return path.substr(0, path.find_last_of("\\/") + 1);
}

ChildProcess::ChildProcess(std::string commandLine, const char* program)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!commandLine.empty())
        CreateProcessA(program, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
}

ChildProcess::~ChildProcess()
{
    if (process.hProcess == nullptr)
        return;
    TerminateProcess(process.hProcess, timedOut);   // nothing when it has ended
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

HWND ChildProcess::WaitForWindow(const char* className, DWORD timeoutMilliseconds) const
{
    HWND found = nullptr;
    for (DWORD start = GetTickCount(); found == nullptr && GetTickCount() - start < timeoutMilliseconds; Sleep(20))
        found = FindProcessWindow(process.dwProcessId, className);
    return found;
}

DWORD ChildProcess::ExitCode(DWORD timeoutMilliseconds)
{
    DWORD code = timedOut;
    if (process.hProcess == nullptr || WaitForSingleObject(process.hProcess, timeoutMilliseconds) != WAIT_OBJECT_0)
        return timedOut;
    GetExitCodeProcess(process.hProcess, &code);
    return code;
}
