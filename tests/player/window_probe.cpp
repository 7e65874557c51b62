// Looks at the desktop for the end-to-end tests, in the Wine prefix of the program under test.
//   window_probe find <class>: the visible top-level window of that class: its title, "topmost" or
//     "-", "popup" (without a caption) or "-", its rectangle; exit code 1 when there is none
//   window_probe open <path>: opens and closes the file with the MPEG device; exit code: its MCI error
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    std::string command = argc == 3 ? argv[1] : "";
    if (command == "open") {
        MCIERROR error = mciSendStringA(("OPEN " + std::string(argv[2]) + " TYPE MPEGVIDEO ALIAS PROBE").c_str(),
                                        nullptr, 0, nullptr);
        mciSendStringA("CLOSE PROBE", nullptr, 0, nullptr);
        return static_cast<int>(error);
    }
    HWND window = command == "find" ? FindWindowA(argv[2], nullptr) : nullptr;
    if (window == nullptr || !IsWindowVisible(window))
        return 1;
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
