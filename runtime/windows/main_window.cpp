// MainWindowProcedure: the back buffer and painting, input reported to the program thread, and
// the end of the program with the window.
#include "windows/main_window.h"

#include "kernel/last_event.h"
#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"
#include "windows/input_reports.h"

namespace {

constexpr UINT getDefaultId = DM_GETDEFID;   // the dialog manager asks it when Enter is pressed
constexpr int buttonClicked = BN_CLICKED;
constexpr WPARAM closeCommandId = IDCANCEL;    // the dialog manager's command for Escape and close

LONG LowWord(LPARAM value)
{
    return static_cast<LONG>(value & 0xFFFF);
}

LONG HighWord(LPARAM value)
{
    return static_cast<LONG>((value >> 16) & 0xFFFF);
}

void PulseKeyEnd()
{
    PulseEvents({runtime.keyOrWindowEvent, runtime.characterEvent, runtime.anyInputEvent});
}

void FillBackBuffer(HWND window, const RECT& client)
{
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
}

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
    FillBackBuffer(window, client);
    ReleaseDC(window, runtime.windowDc);   // CS_OWNDC: the handle stays valid
    runtime.keyDownSeen = 0;
    for (HDC dc : {runtime.windowDc, runtime.backBufferDc}) {
        SelectObject(dc, GetStockObject(WHITE_BRUSH));
        SelectObject(dc, GetStockObject(BLACK_PEN));
    }
    StoreInterlocked(runtime.clientWidth, client.right - client.left);
    StoreInterlocked(runtime.clientHeight, client.bottom - client.top);
    return 0;
}

// The end of the program: the program thread stops at its next safe point (it holds no lock
// there), and the loop quits.
LRESULT OnDestroy(HWND window)
{
    ReleaseProgramHoldsOf(window);
    HDC backBuffer = runtime.backBufferDc;
    HBITMAP bitmap = runtime.backBufferBitmap;
    runtime.backBufferDc = nullptr;
    runtime.backBufferBitmap = nullptr;
    DeleteDC(backBuffer);
    DeleteObject(bitmap);
    RequestProgramEnd();
    PostQuitMessage(0);
    return 0;
}

// A back buffer of the new screen's size that keeps what was drawn; the area the screen gained
// shows the colour of the last clear (the brush it left in the window's device context). The old
// buffer stays when the system cannot give a new one.
void ResizeBackBuffer(LONG width, LONG height)
{
    HBITMAP bitmap = CreateCompatibleBitmap(runtime.windowDc, width, height);
    HDC copy = CreateCompatibleDC(runtime.windowDc);
    if (bitmap == nullptr || copy == nullptr) {
        DeleteObject(bitmap);
        DeleteDC(copy);
        return;
    }
    HGDIOBJ empty = SelectObject(copy, bitmap);
    RECT all{0, 0, width, height};
    FillRect(copy, &all, static_cast<HBRUSH>(GetCurrentObject(runtime.windowDc, OBJ_BRUSH)));
    BitBlt(copy, 0, 0, runtime.screenWidth, runtime.screenHeight, runtime.backBufferDc, 0, 0, SRCCOPY);
    SelectObject(copy, empty);
    DeleteDC(copy);
    DeleteObject(SelectObject(runtime.backBufferDc, bitmap));
    runtime.backBufferBitmap = bitmap;
}

// The screen changed (another resolution, a projector): the back buffer takes the new size, and a
// main window that covered the old screen covers the new one. Any program can send the message,
// so the size is the system's, not the message's; a message that changes nothing does nothing.
LRESULT OnDisplayChange(HWND window)
{
    LONG width = GetSystemMetrics(SM_CXSCREEN);
    LONG height = GetSystemMetrics(SM_CYSCREEN);
    if ((width == runtime.screenWidth && height == runtime.screenHeight) || width <= 0 || height <= 0)
        return 0;
    RECT rect{};
    GetWindowRect(window, &rect);
    bool covered = rect.left <= 0 && rect.top <= 0 && rect.right >= runtime.screenWidth && rect.bottom >= runtime.screenHeight;
    ResizeBackBuffer(width, height);
    StoreInterlocked(runtime.screenWidth, width);
    StoreInterlocked(runtime.screenHeight, height);
    if (covered)
        SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window, nullptr, FALSE);
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

// The WM_CHAR posted with lParam 0 marks the end of the key: a WM_CHAR made by the system
// always carries a repeat count of at least 1.
LRESULT OnKeyDown(HWND window, WPARAM wParam)
{
    runtime.keyDownSeen = 1;
    StoreInterlocked(runtime.lastKey, LowWord(wParam));
    if (runtime.dialogLikeMainWindow)
        PulseKeyEnd();
    else
        PostMessageA(window, WM_CHAR, wParam, 0);
    return 0;
}

LRESULT OnChar(WPARAM wParam, LPARAM lParam)
{
    if (runtime.keyDownSeen && lParam != 0) {
        StoreInterlocked(runtime.eventCode, LowWord(wParam));
    } else {
        if (runtime.keyDownSeen && wParam != VK_F1)
            StoreInterlocked(runtime.eventCode, 0);
        PulseKeyEnd();
    }
    runtime.keyDownSeen = 0;
    return 0;
}

LRESULT OnButtonDown(HWND window, LONG button, LPARAM lParam)
{
    SetFocus(window);
    StoreInterlocked(runtime.lastMouseButton, button);
    StoreInterlocked(runtime.mouseButtonDown, button);
    StoreInterlocked(runtime.mouseX, LowWord(lParam));
    StoreInterlocked(runtime.mouseY, HighWord(lParam));
    PulseEvents({runtime.mouseOrCommandEvent, runtime.anyInputEvent});
    return 0;
}

LRESULT OnMiddleButtonDown(HWND window)
{
    SetFocus(window);
    PulseEvents({runtime.mouseOrCommandEvent, runtime.anyInputEvent});
    return 0;
}

LRESULT OnButtonUp()
{
    StoreInterlocked(runtime.mouseButtonDown, 0);
    return 0;
}

LRESULT OnMouseActivate(HWND window)
{
    SetFocus(window);
    return 0;
}

// A click in a child window; edit controls and scroll bars report through their own messages.
LRESULT OnParentNotify(WPARAM wParam)
{
    LONG event = LowWord(wParam);
    if (event == WM_CREATE || event == WM_DESTROY || runtime.windowDialogLike)
        return 0;
    POINT cursor{};
    GetCursorPos(&cursor);
    char className[60] = {};
    GetClassNameA(WindowFromPoint(cursor), className, sizeof className);
    if (lstrcmpiA(className, "EDIT") != 0 && lstrcmpiA(className, "SCROLLBAR") != 0)
        PulseEvent(runtime.anyInputEvent);
    return 0;
}

LRESULT OnMenuCommand(WPARAM wParam)
{
    if (runtime.windowDialogLike && (wParam & 0xFF) == closeCommandId && HighWord(wParam) == 0) {
        SetFocus(nullptr);
        StoreInterlocked(runtime.eventCode, 2);
        PulseEvents({runtime.anyInputEvent, runtime.keyOrWindowEvent});
        return 0;
    }
    StoreInterlocked(runtime.menuItem, static_cast<int16_t>(wParam & 0xFFFF));
    PulseEvents({runtime.anyInputEvent, runtime.mouseOrCommandEvent});
    return 0;
}

LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam)
{
    StoreInterlocked(runtime.menuItem, NegatedCommandId(wParam));
    StoreInterlocked(runtime.lastCommandId, LowWord(wParam));
    if (lParam == 0)
        return OnMenuCommand(wParam);
    HWND control = reinterpret_cast<HWND>(lParam);
    LONG code = HighWord(wParam);
    bool dialogLike = runtime.windowDialogLike != 0;
    if (code == buttonClicked) {
        StoreInterlocked(runtime.focusWindow, reinterpret_cast<LONG>(control));
        StoreInterlocked(runtime.eventCode, 255);
        SetFocus(control);
        PulseEvents({runtime.anyInputEvent, runtime.mouseOrCommandEvent});
        if (dialogLike)
            PulseEvent(runtime.keyOrWindowEvent);
        Sleep(0);
        return 0;
    }
    if (code == LBN_SELCHANGE || code == CBN_SELENDOK || code == CBN_SELENDCANCEL) {
        StoreInterlocked(runtime.focusWindow, reinterpret_cast<LONG>(control));
        if (dialogLike)
            StoreInterlocked(runtime.eventCode, 1);
        PulseEvents({runtime.anyInputEvent, runtime.mouseOrCommandEvent});
        if (dialogLike)
            PulseEvent(runtime.keyOrWindowEvent);
        return 0;
    }
    if (code == EN_SETFOCUS || code == EN_CHANGE)
        StoreInterlocked(runtime.focusWindow, reinterpret_cast<LONG>(control));
    PulseEvents({runtime.anyInputEvent, runtime.mouseOrCommandEvent});
    return DefWindowProcA(window, WM_COMMAND, wParam, lParam);
}

LRESULT OnScroll(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (MoveScrollBar(reinterpret_cast<HWND>(lParam), wParam)) {
        DefWindowProcA(window, message, wParam, lParam);
        ReportScrollEnd();
    }
    return 0;
}

LRESULT OnNotify(const NMHDR* header)
{
    return header != nullptr ? ReportNotification(*header) : 0;
}

LRESULT OnHelp(const HELPINFO* help)
{
    if (help == nullptr)
        return 0;
    StoreInterlocked(runtime.focusWindow, -reinterpret_cast<LONG>(help->hItemHandle));
    StoreInterlocked(runtime.eventCode, 5);
    PulseEvents({runtime.keyOrWindowEvent, runtime.anyInputEvent});
    return 0;
}

// The recorded client size follows the window however its size changes (text output wraps and
// scrolls by it); a minimised window keeps the size it will have again.
LRESULT OnSize(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED) {
        StoreInterlocked(runtime.clientWidth, LowWord(lParam));
        StoreInterlocked(runtime.clientHeight, HighWord(lParam));
    }
    ReportSizeChange(wParam);
    return DefWindowProcA(window, WM_SIZE, wParam, lParam);
}

LRESULT OnActivate(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (!runtime.windowDialogLike)
        return DefWindowProcA(window, WM_ACTIVATE, wParam, lParam);
    StoreInterlocked(runtime.activeDialog, wParam != 0 ? window : nullptr);
    return 0;
}

LRESULT OnSetFocus(HWND window)
{
    if (GetForegroundWindow() != window)
        SetForegroundWindow(window);
    return 0;
}

LRESULT OnKillFocus(HWND window)
{
    if (runtime.focusWindow == reinterpret_cast<LONG>(window))
        StoreInterlocked(runtime.focusWindow, reinterpret_cast<LONG>(GetFocus()));
    return 0;
}

LRESULT OnClose(HWND window)
{
    if (!runtime.dialogLikeMainWindow)
        return DefWindowProcA(window, WM_CLOSE, 0, 0);
    SetFocus(window);
    StoreInterlocked(runtime.eventCode, 2);
    PulseEvents({runtime.keyOrWindowEvent, runtime.anyInputEvent});
    return 0;
}

// The program does not run while the user moves or sizes the window: it is held at its next
// safe point (rather than suspended wherever it stands, possibly inside a lock).
LRESULT OnEnterSizeMove(HWND window, WPARAM wParam, LPARAM lParam)
{
    GetWindowRect(window, &runtime.savedWindowRect);
    HoldInMoveLoop(window);
    return DefWindowProcA(window, WM_ENTERSIZEMOVE, wParam, lParam);
}

LRESULT OnExitSizeMove(HWND window, WPARAM wParam, LPARAM lParam)
{
    EndHoldInMoveLoop(window);
    RECT now{};
    GetWindowRect(window, &now);
    const RECT& saved = runtime.savedWindowRect;
    if (now.right - now.left != saved.right - saved.left || now.bottom - now.top != saved.bottom - saved.top) {
        StoreInterlocked(runtime.eventCode, 4);
        SetEvent(runtime.keyOrWindowEvent);
        SetEvent(runtime.anyInputEvent);
        Sleep(0);
    }
    return DefWindowProcA(window, WM_EXITSIZEMOVE, wParam, lParam);
}

LRESULT OnGetDefaultId(HWND window)
{
    ReportEnterKey(window);
    return 0;
}

}  // namespace

LRESULT CALLBACK MainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    RecordLastEvent(window, message, wParam, lParam);
    switch (message) {
    case WM_CREATE: return OnCreate(window);
    case WM_DESTROY: return OnDestroy(window);
    case WM_SIZE: return OnSize(window, wParam, lParam);
    case WM_ACTIVATE: return OnActivate(window, wParam, lParam);
    case WM_SETFOCUS: return OnSetFocus(window);
    case WM_KILLFOCUS: return OnKillFocus(window);
    case WM_PAINT: return OnPaint(window);
    case WM_DISPLAYCHANGE: return OnDisplayChange(window);
    case WM_CLOSE: return OnClose(window);
    case WM_ERASEBKGND: return 0;
    case WM_MOUSEACTIVATE: return OnMouseActivate(window);
    case WM_NOTIFY: return OnNotify(NotificationOf(lParam));
    case WM_HELP: return OnHelp(HelpOf(lParam));
    case WM_KEYDOWN: return OnKeyDown(window, wParam);
    case WM_CHAR: return OnChar(wParam, lParam);
    case WM_COMMAND: return OnCommand(window, wParam, lParam);
    case WM_HSCROLL:
    case WM_VSCROLL: return OnScroll(window, message, wParam, lParam);
    case WM_LBUTTONDOWN: return OnButtonDown(window, 1, lParam);
    case WM_RBUTTONDOWN: return OnButtonDown(window, 2, lParam);
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: return OnButtonUp();
    case WM_MBUTTONDOWN: return OnMiddleButtonDown(window);
    case WM_PARENTNOTIFY: return OnParentNotify(wParam);
    case WM_ENTERSIZEMOVE: return OnEnterSizeMove(window, wParam, lParam);
    case WM_EXITSIZEMOVE: return OnExitSizeMove(window, wParam, lParam);
    case getDefaultId: return OnGetDefaultId(window);
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}
