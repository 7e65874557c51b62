#include "support/gui_probe.h"

#include <vector>

namespace {

std::string WindowText(HWND window)
{
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassName(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

struct WindowSearch {
    DWORD processId;
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM search)
{
    auto* wanted = reinterpret_cast<WindowSearch*>(search);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == wanted->processId && ClassName(window) == wanted->className && IsWindowVisible(window))
        wanted->found.push_back(window);
    return TRUE;
}

std::vector<HWND> ProcessWindows(DWORD processId, const char* className)
{
    WindowSearch search{processId, className, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The box's message: the text of its first static control that has one (the icon has none).
std::string BoxMessageText(HWND box)
{
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (lstrcmpiA(ClassName(child).c_str(), "Static") == 0 && !WindowText(child).empty())
            return WindowText(child);
    }
    return "";
}

bool ButtonShown(HWND box, int id)
{
    HWND button = GetDlgItem(box, id);
    return button != nullptr && IsWindowVisible(button);
}

}  // namespace

MessageBoxSeen AnswerProcessMessageBox(DWORD processId, int buttonId, DWORD timeoutMilliseconds)
{
    MessageBoxSeen seen;
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMilliseconds; Sleep(20)) {
        std::vector<HWND> boxes = ProcessWindows(processId, "#32770");
        if (boxes.empty())
            continue;
        HWND box = boxes.front();
        Sleep(50);   // the box finishes its initialisation before it is read
        seen = MessageBoxSeen{true, WindowText(box), BoxMessageText(box), GetWindow(box, GW_OWNER),
                              ButtonShown(box, IDOK), ButtonShown(box, IDCANCEL)};
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, buttonId)));
        for (DWORD gone = GetTickCount(); IsWindowVisible(box) && GetTickCount() - gone < timeoutMilliseconds;)
            Sleep(10);   // gone before the next search, or it would be found again
        break;
    }
    return seen;
}

MessageBoxSeen AnswerMessageBox(int buttonId, DWORD timeoutMilliseconds)
{
    return AnswerProcessMessageBox(GetCurrentProcessId(), buttonId, timeoutMilliseconds);
}

MessageBoxAnswerer::MessageBoxAnswerer(int button, DWORD timeoutMilliseconds)
    : buttonId(button), timeout(timeoutMilliseconds), thread(CreateThread(nullptr, 0, Run, this, 0, nullptr))
{
}

MessageBoxAnswerer::~MessageBoxAnswerer()
{
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

DWORD WINAPI MessageBoxAnswerer::Run(void* self)
{
    auto* answerer = static_cast<MessageBoxAnswerer*>(self);
    answerer->seen = AnswerMessageBox(answerer->buttonId, answerer->timeout);
    return 0;
}

MessageBoxSeen MessageBoxAnswerer::Result()
{
    WaitForSingleObject(thread, INFINITE);
    return seen;
}

HWND FindProcessWindow(DWORD processId, const char* className)
{
    std::vector<HWND> found = ProcessWindows(processId, className);
    return found.empty() ? nullptr : found.front();
}

int CountMessageBoxes()
{
    return static_cast<int>(ProcessWindows(GetCurrentProcessId(), "#32770").size());
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

ChildProcess::ChildProcess(const std::string& commandLine, const char* program)
{
    std::string line = commandLine;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    started = CreateProcessA(program, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process) != 0;
}

ChildProcess::~ChildProcess()
{
    if (!started)
        return;
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(process.hProcess, timedOut);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

HWND ChildProcess::WaitForWindow(const char* className, DWORD timeoutMilliseconds) const
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMilliseconds; Sleep(20)) {
        if (HWND found = FindProcessWindow(process.dwProcessId, className))
            return found;
    }
    return nullptr;
}

DWORD ChildProcess::ExitCode(DWORD timeoutMilliseconds)
{
    DWORD code = timedOut;
    if (!started)
        return code;
    if (WaitForSingleObject(process.hProcess, timeoutMilliseconds) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, timedOut);
        WaitForSingleObject(process.hProcess, timeoutMilliseconds);
        return timedOut;
    }
    GetExitCodeProcess(process.hProcess, &code);
    return code;
}

DWORD RunScenario(const std::string& nameAndArguments, DWORD timeoutMilliseconds)
{
    ChildProcess child("\"" + ThisProgram() + "\" " + nameAndArguments);
    return child.ExitCode(timeoutMilliseconds);
}
