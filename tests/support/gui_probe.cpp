#include "support/gui_probe.h"

#include <vector>

namespace {

BOOL CALLBACK CollectMessageBox(HWND window, LPARAM found)
{
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && lstrcmpA(className, "#32770") == 0 && IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

std::vector<HWND> ProcessMessageBoxes()
{
    std::vector<HWND> boxes;
    EnumWindows(CollectMessageBox, reinterpret_cast<LPARAM>(&boxes));
    return boxes;
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
    MessageBoxSeen seen;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMilliseconds) {
        std::vector<HWND> boxes = ProcessMessageBoxes();
        if (!boxes.empty()) {
            HWND box = boxes.front();
            Sleep(50);  // let the box finish its initialisation before it is read
            seen.found = true;
            seen.caption = WindowText(box);
            seen.text = BoxMessageText(box);
            seen.owner = GetWindow(box, GW_OWNER);
            seen.hasCancel = GetDlgItem(box, IDCANCEL) != nullptr && IsWindowVisible(GetDlgItem(box, IDCANCEL));
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, buttonId)));
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
    return static_cast<int>(ProcessMessageBoxes().size());
}
