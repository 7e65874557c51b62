// MainWindowProcedure: back buffer, painting, keys, and the end of the program with the window.
#include "windows/main_window.h"

#include "kernel/last_event.h"
#include "kernel/runtime_state.h"

namespace {

LRESULT OnCreate(HWND window)
{
    runtime.windowDialogLike = runtime.dialogLikeMainWindow;
    runtime.windowDc = GetDC(window);
    runtime.drawDc = runtime.windowDc;
    runtime.backBufferDc = CreateCompatibleDC(runtime.windowDc);
    runtime.backBufferBitmap = CreateCompatibleBitmap(runtime.windowDc, runtime.screenWidth, runtime.screenHeight);
    SelectObject(runtime.backBufferDc, runtime.backBufferBitmap);
    RECT client{};
    GetClientRect(window, &client);
    if (runtime.screenCopyOnCreate) {
        POINT origin{client.left, client.top};
        ClientToScreen(window, &origin);
        HDC screen = GetDC(nullptr);
        BitBlt(runtime.backBufferDc, 0, 0, runtime.screenWidth - origin.x, runtime.screenHeight - origin.y,
               screen, origin.x, origin.y, SRCCOPY);
        ReleaseDC(nullptr, screen);
    } else {
        RECT all{0, 0, runtime.screenWidth, runtime.screenHeight};
        FillRect(runtime.backBufferDc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ReleaseDC(window, runtime.windowDc);
    runtime.keyDownSeen = 0;
    for (HDC dc : {runtime.windowDc, runtime.backBufferDc}) {
        SelectObject(dc, GetStockObject(WHITE_BRUSH));
        SelectObject(dc, GetStockObject(BLACK_PEN));
    }
    StoreInterlocked(runtime.clientWidth, client.right - client.left);
    StoreInterlocked(runtime.clientHeight, client.bottom - client.top);
    return 0;
}

LRESULT OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    BitBlt(dc, paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right - paint.rcPaint.left,
           paint.rcPaint.bottom - paint.rcPaint.top, runtime.backBufferDc, paint.rcPaint.left,
           paint.rcPaint.top, SRCCOPY);
    EndPaint(window, &paint);
    return 0;
}

LRESULT OnKeyDown(WPARAM wParam)
{
    runtime.keyDownSeen = 1;
    StoreInterlocked(runtime.lastKey, static_cast<LONG>(wParam & 0xFFFF));
    return 0;
}

LRESULT OnDestroy()
{
    DeleteDC(runtime.backBufferDc);
    DeleteObject(runtime.backBufferBitmap);
    TerminateThread(runtime.programThreadHandle, 0);
    PostQuitMessage(0);
    return 0;
}

}  // namespace

LRESULT CALLBACK MainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    RecordLastEvent(window, message, wParam, lParam);
    switch (message) {
    case WM_CREATE: return OnCreate(window);
    case WM_DESTROY: return OnDestroy();
    case WM_PAINT: return OnPaint(window);
    case WM_ERASEBKGND: return 0;
    case WM_KEYDOWN: return OnKeyDown(wParam);
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK DialogWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    RecordLastEvent(window, message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}
