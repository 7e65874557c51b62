/* The floor of the player's benchmarks: a minimal hand-written Win32 program that does only what
   the player must do through MCI, with nothing of the runtime. A GUI thread owns a black window
   that covers the screen; a second thread sends the MCI commands a picture needs (open, window
   handle, destination, play).

     mci_floor.exe <AVIVIDEO|MPEGVIDEO> <clip> <x> <y> <width> <height> [paused]

   With "paused" it pauses the clip once it plays and then makes, every pass, the system calls of
   one pass of the player's loop: a 20 ms wait on the GUI thread, two MCI status queries and two
   key-state calls through the GUI thread. It runs until it is ended from outside. */
#include <windows.h>
#include <mmsystem.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define WM_FLOOR_SLEEP (WM_APP + 1)
#define WM_FLOOR_KEY_STATE (WM_APP + 2)

static HWND window;
static char openCommand[MAX_PATH + 64];
static char destinationCommand[128];
static int paused;

static LRESULT CALLBACK FloorProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_FLOOR_SLEEP:
        Sleep((DWORD)wParam);
        return 0;
    case WM_FLOOR_KEY_STATE:
        return GetAsyncKeyState((int)wParam);
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

static void PlayThenWatch(void)
{
    char command[64];
    char reply[128] = "";
    mciSendStringA(openCommand, NULL, 0, NULL);
    snprintf(command, sizeof command, "WINDOW VIDEO HANDLE %lu", (unsigned long)(UINT_PTR)window);
    mciSendStringA(command, NULL, 0, NULL);
    mciSendStringA(destinationCommand, NULL, 0, NULL);
    mciSendStringA("PLAY VIDEO", NULL, 0, NULL);
    if (!paused)
        return;
    while (atoi(reply) == 0) {
        SendMessageA(window, WM_FLOOR_SLEEP, 20, 0);
        mciSendStringA("STATUS VIDEO POSITION", reply, sizeof reply, NULL);
    }
    mciSendStringA("PAUSE VIDEO", NULL, 0, NULL);
    for (;;) {
        SendMessageA(window, WM_FLOOR_SLEEP, 20, 0);
        Sleep(0);
        mciSendStringA("STATUS VIDEO POSITION", reply, sizeof reply, NULL);
        mciSendStringA("STATUS VIDEO MODE", reply, sizeof reply, NULL);
        SendMessageA(window, WM_FLOOR_KEY_STATE, VK_SPACE, 0);
        SendMessageA(window, WM_FLOOR_KEY_STATE, VK_SPACE, 0);
    }
}

static DWORD WINAPI MciThread(void* unused)
{
    (void)unused;
    PlayThenWatch();
    return 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    WNDCLASSA windowClass = {0};
    MSG message;
    (void)previous;
    (void)commandLine;
    (void)show;
    if (__argc < 7)
        return 2;
    snprintf(openCommand, sizeof openCommand, "OPEN %s TYPE %s ALIAS VIDEO", __argv[2], __argv[1]);
    snprintf(destinationCommand, sizeof destinationCommand, "PUT VIDEO DESTINATION AT %s %s %s %s", __argv[3],
             __argv[4], __argv[5], __argv[6]);
    paused = __argc > 7 && strcmp(__argv[7], "paused") == 0;
    windowClass.lpfnWndProc = FloorProcedure;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    windowClass.lpszClassName = "MCIFLOOR";
    RegisterClassA(&windowClass);
    window = CreateWindowExA(WS_EX_TOPMOST, "MCIFLOOR", "Floor", WS_POPUP | WS_VISIBLE, 0, 0,
                             GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), NULL, NULL, instance, NULL);
    CloseHandle(CreateThread(NULL, 0, MciThread, NULL, 0, NULL));
    while (GetMessageA(&message, NULL, 0, 0) > 0)
        DispatchMessageA(&message);
    return (int)message.wParam;
}
