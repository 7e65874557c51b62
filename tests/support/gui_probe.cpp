#include "support/gui_probe.h"

#include <vector>

namespace {

struct BoxSearch {
    DWORD processId;
    std::vector<HWND> boxes;
};

BOOL CALLBACK CollectMessageBox(HWND window, LPARAM search)
{
    auto* wanted = reinterpret_cast<BoxSearch*>(search);
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == wanted->processId && lstrcmpA(className, "#32770") == 0 && IsWindowVisible(window))
        wanted->boxes.push_back(window);
    return TRUE;
}

std::vector<HWND> ProcessMessageBoxes(DWORD processId)
{
    BoxSearch search{processId, {}};
    EnumWindows(CollectMessageBox, reinterpret_cast<LPARAM>(&search));
    return search.boxes;
}

// After the answer: the box must be gone before the next search, or it would be found again.
void WaitUntilGone(HWND box, DWORD timeoutMilliseconds)
{
    DWORD start = GetTickCount();
    while (IsWindow(box) && IsWindowVisible(box) && GetTickCount() - start < timeoutMilliseconds)
        Sleep(10);
}

std::string WindowText(HWND window)
{
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string BoxMessageText(HWND box)
{
    std::string text;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[32] = {};
        GetClassNameA(child, className, sizeof className);
        if (lstrcmpiA(className, "Static") == 0 && text.empty())
            text = WindowText(child);
    }
    return text;
}

}  // namespace

MessageBoxSeen AnswerMessageBox(int buttonId, DWORD timeoutMilliseconds)
{
    return AnswerProcessMessageBox(GetCurrentProcessId(), buttonId, timeoutMilliseconds);
}

MessageBoxSeen AnswerProcessMessageBox(DWORD processId, int buttonId, DWORD timeoutMilliseconds)
{
    MessageBoxSeen seen;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMilliseconds) {
        std::vector<HWND> boxes = ProcessMessageBoxes(processId);
        if (!boxes.empty()) {
            HWND box = boxes.front();
            Sleep(50);  // let the box finish its initialisation before it is read
            seen.found = true;
            seen.caption = WindowText(box);
            seen.text = BoxMessageText(box);
            seen.owner = GetWindow(box, GW_OWNER);
            seen.hasCancel = GetDlgItem(box, IDCANCEL) != nullptr && IsWindowVisible(GetDlgItem(box, IDCANCEL));
            seen.hasOk = GetDlgItem(box, IDOK) != nullptr && IsWindowVisible(GetDlgItem(box, IDOK));
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, buttonId)));
            WaitUntilGone(box, timeoutMilliseconds);
            return seen;
        }
        Sleep(20);
    }
    return seen;
}

MessageBoxAnswerer::MessageBoxAnswerer(int button, DWORD timeoutMilliseconds)
    : buttonId(button), timeout(timeoutMilliseconds)
{
    thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
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

int CountMessageBoxes()
{
    return static_cast<int>(ProcessMessageBoxes(GetCurrentProcessId()).size());
}

namespace {

struct WindowSearch {
    DWORD processId;
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM search)
{
    auto* wanted = reinterpret_cast<WindowSearch*>(search);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    if (process == wanted->processId && lstrcmpA(className, wanted->className) == 0 && IsWindowVisible(window)) {
        wanted->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND FindProcessWindow(DWORD processId, const char* className)
{
    WindowSearch search{processId, className, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
