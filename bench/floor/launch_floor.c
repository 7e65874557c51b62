/* The floor of the launch benchmark: a minimal hand-written Win32 program that registers a
   class and shows a window, nothing else. Built by scripts/bench.sh. */
#include <windows.h>

static LRESULT CALLBACK FloorProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    WNDCLASSA windowClass = {0};
    MSG message;
    (void)previous;
    (void)commandLine;
    windowClass.lpfnWndProc = FloorProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "FLOOR";
    RegisterClassA(&windowClass);
    ShowWindow(CreateWindowExA(0, "FLOOR", "Floor", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240, NULL, NULL,
                               instance, NULL), show);
    while (GetMessageA(&message, NULL, 0, 0) > 0)
        DispatchMessageA(&message);
    return (int)message.wParam;
}
