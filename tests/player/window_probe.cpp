// Looks at the desktop's top-level windows the way the end-to-end tests need it; run under the
// emulator in the same prefix as the program under test. One command per run:
//   window_probe list           one line per visible top-level window: class, title (hex),
//                                process id, style, extended style, rectangle, and the texts of
//                                its Static children (hex, "-" when none)
//   window_probe press <id>      clicks button <id> of every visible dialog box (#32770)
//   window_probe close <class>   posts WM_CLOSE to every top-level window of that class
// Exit code 0, or 2 for a command it does not know.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string Hex(const char* text)
{
    std::string hex;
    char digits[3];
    for (const unsigned char* byte = reinterpret_cast<const unsigned char*>(text); *byte != 0; ++byte) {
        std::snprintf(digits, sizeof digits, "%02X", *byte);
        hex += digits;
    }
    return hex.empty() ? "-" : hex;
}

// The window's text as the system holds it, without sending a message: a window whose thread is
// busy cannot hold the probe up.
std::string TextOf(HWND window)
{
    WCHAR wide[4096] = {};
    InternalGetWindowText(window, wide, 4096);
    char text[8192] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string StaticTexts(HWND window)
{
    std::string texts;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (lstrcmpiA(ClassOf(child).c_str(), "Static") != 0)
            continue;
        std::string text = TextOf(child);
        if (!text.empty())
            texts += (texts.empty() ? "" : ",") + Hex(text.c_str());
    }
    return texts.empty() ? "-" : texts;
}

BOOL CALLBACK CollectVisible(HWND window, LPARAM found)
{
    if (IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

std::vector<HWND> VisibleTopLevelWindows()
{
    std::vector<HWND> windows;
    EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

void List()
{
    for (HWND window : VisibleTopLevelWindows()) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        RECT rect = {};
        GetWindowRect(window, &rect);
        std::printf("%s\t%s\t%lu\t%08lX\t%08lX\t%ld %ld %ld %ld\t%s\n", ClassOf(window).c_str(), Hex(TextOf(window).c_str()).c_str(),
                    process, static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)),
                    static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE)), rect.left, rect.top,
                    rect.right, rect.bottom, StaticTexts(window).c_str());
    }
}

void Press(int buttonId)
{
    for (HWND window : VisibleTopLevelWindows()) {
        if (ClassOf(window) == "#32770")
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(window, buttonId)));
    }
}

void Close(const char* className)
{
    for (HWND window : VisibleTopLevelWindows()) {
        if (ClassOf(window) == className)
            PostMessageA(window, WM_CLOSE, 0, 0);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "list" && argc == 2)
        List();
    else if (command == "press" && argc == 3)
        Press(std::atoi(argv[2]));
    else if (command == "close" && argc == 3)
        Close(argv[2]);
    else
        return 2;
    return 0;
}
