// Another program for the end-to-end tests, in the Wine prefix of the program under test; "in <desktop>"
// first runs the command in that Wine virtual desktop. open <path>: opens and closes the file with the
// MPEG device, exit code its MCI error; front: a window of its own takes the foreground ("front", else
// "behind") and waits for Escape; mode <width> <height>: changes the screen size; close <class>: WM_CLOSE.
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc > 3 && std::string(argv[1]) == "in") {   // the command in that desktop
        if (!SetThreadDesktop(OpenDesktopA(argv[2], 0, FALSE, GENERIC_ALL)))
            return 1;
        argc -= 2, argv += 2;
    }
    std::string command = argc >= 2 ? argv[1] : "";
    if (command == "front") {   // asked for again while a program that starts meanwhile takes it
        HWND front = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 99, 99, nullptr, nullptr, nullptr, nullptr);
        for (int attempt = 0; attempt < 50 && GetForegroundWindow() != front; ++attempt, Sleep(100))
            SetForegroundWindow(front);
        std::printf(GetForegroundWindow() == front ? "front\n" : "behind\n");
        std::fflush(stdout);
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0 && (message.message != WM_KEYDOWN || message.wParam != VK_ESCAPE))
            DispatchMessageA(&message);
        return message.message == WM_KEYDOWN ? 0 : 1;
    }
    if (command == "mode" && argc == 4) {
        DEVMODEA mode = {};
        mode.dmSize = sizeof mode, mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
        mode.dmPelsWidth = std::atoi(argv[2]), mode.dmPelsHeight = std::atoi(argv[3]);
        return ChangeDisplaySettingsA(&mode, 0) != DISP_CHANGE_SUCCESSFUL;
    }
    if (command == "open" && argc == 3) {
        MCIERROR error = mciSendStringA(("OPEN " + std::string(argv[2]) + " TYPE MPEGVIDEO ALIAS PROBE").c_str(),
                                        nullptr, 0, nullptr);
        mciSendStringA("CLOSE PROBE", nullptr, 0, nullptr);
        return static_cast<int>(error);
    }
    HWND window = command == "close" && argc == 3 ? FindWindowA(argv[2], nullptr) : nullptr;
    return window == nullptr || !PostMessageA(window, WM_CLOSE, 0, 0);
}
