// Looks at the desktop for the end-to-end tests, in the Wine prefix of the program under test.
//   window_probe [in <desktop>] <command>: the command in that desktop (a Wine virtual desktop)
//   window_probe find <class>: the visible top-level window of that class: its title, "topmost" or
//     "-", "popup" (without a caption) or "-", its rectangle; exit code 1 when there is none
//   window_probe open <path>: opens and closes the file with the MPEG device; exit code: its MCI error
//   window_probe front: a window of its own takes the foreground ("front"); then prints the code of
//     each key that reaches it, until Escape
//   window_probe mode <width> <height>: changes the screen size; exit code 0 when it changed
//   window_probe close <class>: closes the visible top-level window of that class (WM_CLOSE)
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc > 3 && std::string(argv[1]) == "in") {
        SetThreadDesktop(OpenDesktopA(argv[2], 0, FALSE, GENERIC_ALL));
        argc -= 2;
        argv += 2;
    }
    std::string command = argc >= 2 ? argv[1] : "";
    if (command == "front") {
        HWND front = CreateWindowExA(0, "STATIC", "front", WS_POPUP | WS_VISIBLE, 0, 0, 99, 99, nullptr, nullptr,
                                     nullptr, nullptr);
        for (int attempt = 0; GetForegroundWindow() != front; ++attempt) {   // a program starting meanwhile may take it
            if (attempt == 50)
                return 1;
            SetForegroundWindow(front);
            Sleep(100);
        }
        std::printf("front\n");
        MSG message;
        while (std::fflush(stdout) == 0 && GetMessageA(&message, nullptr, 0, 0) > 0) {
            if (message.message == WM_KEYDOWN)
                std::printf("%u\n", static_cast<unsigned>(message.wParam));
            if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE)
                return 0;
            DispatchMessageA(&message);
        }
        return 0;
    }
    if (command == "mode" && argc == 4) {
        DEVMODEA mode = {};
        mode.dmSize = sizeof mode;
        mode.dmPelsWidth = std::atoi(argv[2]);
        mode.dmPelsHeight = std::atoi(argv[3]);
        mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
        return ChangeDisplaySettingsA(&mode, 0) != DISP_CHANGE_SUCCESSFUL;
    }
    if (command == "open" && argc == 3) {
        MCIERROR error = mciSendStringA(("OPEN " + std::string(argv[2]) + " TYPE MPEGVIDEO ALIAS PROBE").c_str(),
                                        nullptr, 0, nullptr);
        mciSendStringA("CLOSE PROBE", nullptr, 0, nullptr);
        return static_cast<int>(error);
    }
    HWND window = argc == 3 ? FindWindowA(argv[2], nullptr) : nullptr;
    if (window == nullptr || !IsWindowVisible(window))
        return 1;
    if (command == "close")
        return !PostMessageA(window, WM_CLOSE, 0, 0);
    WCHAR title[256] = {};
    InternalGetWindowText(window, title, 256);   // sends no message: a busy window cannot hold us up
    LONG style = GetWindowLongA(window, GWL_STYLE);
    RECT rect = {};
    GetWindowRect(window, &rect);
    std::printf("%ls %s %s %ld %ld %ld %ld\n", title,
                GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST ? "topmost" : "-",
                (style & WS_POPUP) && !(style & WS_CAPTION) ? "popup" : "-", rect.left, rect.top, rect.right, rect.bottom);
    return 0;
}
