// Looks at the desktop the way the end-to-end tests need it; run under the emulator in the same
// prefix as the program under test. One command per run:
//   window_probe find <class>   the visible top-level window of that class, as one line: title,
//                               style, extended style, rectangle; exit code 1 when there is none
//   window_probe open <path>    opens the file with the MPEG device and closes it again; exit
//                               code: the open's MCI error
// Exit code 2 for a command it does not know.
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    std::string command = argc == 3 ? argv[1] : "";
    if (command == "find") {
        HWND window = FindWindowA(argv[2], nullptr);
        if (window == nullptr || !IsWindowVisible(window))
            return 1;
        // The title as the system holds it, without a message: a busy window cannot hold us up.
        WCHAR title[256] = {};
        InternalGetWindowText(window, title, 256);
        RECT rect = {};
        GetWindowRect(window, &rect);
        std::printf("%ls\t%08lX\t%08lX\t%ld %ld %ld %ld\n", title,
                    static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)),
                    static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE)), rect.left, rect.top,
                    rect.right, rect.bottom);
        return 0;
    }
    if (command == "open") {
        MCIERROR error = mciSendStringA(("OPEN " + std::string(argv[2]) + " TYPE MPEGVIDEO ALIAS PROBE").c_str(),
                                        nullptr, 0, nullptr);
        mciSendStringA("CLOSE PROBE", nullptr, 0, nullptr);
        return static_cast<int>(error);
    }
    return 2;
}
