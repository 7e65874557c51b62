// The runtime's own dialogs: windows of the class "DIALOG" (CreateDialogWindowRequest) and the
// modeless template dialogs (OpenRuntimeDialogRequest, OpenTemplateDialogRequest). They report
// input like a dialog-like main window; a close request is reported, never acted on: the
// program destroys the window with DestroyWindowRequest.
#include "windows/main_window.h"

#include "kernel/gui_request.h"
#include "kernel/last_event.h"
#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"
#include "windows/input_reports.h"

namespace {

constexpr UINT getDefaultId = DM_GETDEFID;
constexpr WPARAM closeCommandId = IDCANCEL;
constexpr LONG sizeChangedMessage = 0xA0;   // LastEvent's message after a "DIALOG" window was sized

LRESULT OnCreate(HWND window)
{
    HDC dc = GetDC(window);   // CS_CLASSDC: one context shared by all "DIALOG" windows
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    ReleaseDC(window, dc);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    return 0;
}

LRESULT OnNotify(const NMHDR* header)
{
    return header != nullptr ? ReportNotification(*header) : 0;
}

LRESULT OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    return 0;
}

LRESULT OnClose(HWND window)
{
    SetFocus(window);
    StoreInterlocked(runtime.eventCode, 2);
    PulseEvents({runtime.keyOrWindowEvent, runtime.anyInputEvent});
    return 0;
}

LRESULT OnSize(HWND window, WPARAM wParam, LPARAM lParam)
{
    ReportSizeChange(wParam);
    return DefWindowProcA(window, WM_SIZE, wParam, lParam);
}

LRESULT OnActivate(HWND window, WPARAM wParam, LPARAM lParam)
{
    StoreInterlocked(runtime.activeDialog, wParam != 0 ? window : nullptr);
    return DefDlgProcA(window, WM_ACTIVATE, wParam, lParam);
}

// WM_COMMAND of the runtime's dialogs; false for the control notifications that the caller
// passes on to the dialog manager.
bool ReportDialogCommand(WPARAM wParam, LPARAM lParam)
{
    StoreInterlocked(runtime.menuItem, NegatedCommandId(wParam));
    StoreInterlocked(runtime.lastCommandId, static_cast<LONG>(wParam & 0xFFFF));
    if (lParam == 0) {
        if ((wParam & 0xFF) == closeCommandId) {
            SetFocus(nullptr);
            StoreInterlocked(runtime.eventCode, 2);
            PulseEvents({runtime.anyInputEvent, runtime.keyOrWindowEvent});
            return true;
        }
        StoreInterlocked(runtime.menuItem, static_cast<int16_t>(wParam & 0xFFFF));
        PulseEvent(runtime.anyInputEvent);
        return true;
    }
    HWND control = reinterpret_cast<HWND>(lParam);
    LONG code = static_cast<LONG>((wParam >> 16) & 0xFFFF);
    if (code == BN_CLICKED || code == LBN_SELCHANGE || code == CBN_SELENDOK || code == CBN_SELENDCANCEL) {
        StoreInterlocked(runtime.focusWindow, reinterpret_cast<LONG>(control));
        StoreInterlocked(runtime.eventCode, code == BN_CLICKED ? 255 : 1);
        if (code == BN_CLICKED)
            SetFocus(control);
        PulseEvents({runtime.anyInputEvent, runtime.mouseOrCommandEvent, runtime.keyOrWindowEvent});
        if (code == BN_CLICKED)
            Sleep(0);
        return true;
    }
    if (code == EN_SETFOCUS || code == EN_CHANGE)
        StoreInterlocked(runtime.focusWindow, reinterpret_cast<LONG>(control));
    PulseEvents({runtime.anyInputEvent, runtime.mouseOrCommandEvent});
    return false;
}

LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam)
{
    return ReportDialogCommand(wParam, lParam) ? 0 : DefDlgProcA(window, WM_COMMAND, wParam, lParam);
}

LRESULT OnScroll(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (MoveScrollBar(reinterpret_cast<HWND>(lParam), wParam)) {
        DefDlgProcA(window, message, wParam, lParam);
        ReportScrollEnd();
    }
    return 0;
}

LRESULT OnParentNotify(WPARAM wParam)
{
    WPARAM event = wParam & 0xFFFF;
    if (event == WM_RBUTTONDOWN || event == WM_MBUTTONDOWN)
        PulseEvent(runtime.anyInputEvent);
    return 0;
}

// The program does not run while the user moves or sizes the window (held at its next safe
// point, as for the main window, and as long as the window lives); a new size is reported once,
// when the loop ends.
LRESULT OnEnterSizeMove(HWND window)
{
    GetWindowRect(window, &runtime.dialogSavedRect);
    HoldInMoveLoop(window);
    BringWindowToTop(window);
    return 0;
}

LRESULT OnExitSizeMove(HWND window, WPARAM wParam, LPARAM lParam)
{
    EndHoldInMoveLoop(window);
    RECT now{};
    GetWindowRect(window, &now);
    const RECT& saved = runtime.dialogSavedRect;
    if (now.right - now.left != saved.right - saved.left || now.bottom - now.top != saved.bottom - saved.top) {
        StoreInterlocked(runtime.eventCode, 4);
        StoreInterlocked(runtime.lastEvent.message, sizeChangedMessage);
        SetEvent(runtime.anyInputEvent);
        SetEvent(runtime.keyOrWindowEvent);
        Sleep(0);
    }
    return DefWindowProcA(window, WM_EXITSIZEMOVE, wParam, lParam);
}

LRESULT OnGetDefaultId()
{
    ReportEnterKey(nullptr);
    return 0;
}

// WM_INITDIALOG of "LDIALOG" opened by OpenRuntimeDialogRequest: its title and place.
void OnInitDialog(HWND dialog, const OpenRuntimeDialogRequest* block)
{
    if (block == nullptr)
        return;
    SetWindowTextA(dialog, block->title);
    SetWindowPos(dialog, nullptr, block->x, block->y, block->width, block->height, SWP_NOZORDER);
    SetFocus(dialog);
}

void OnCloseCommand(HWND dialog, WPARAM wParam)
{
    if (wParam != SC_CLOSE)
        return;
    SetFocus(dialog);
    StoreInterlocked(runtime.eventCode, 2);
    PulseEvents({runtime.keyOrWindowEvent, runtime.anyInputEvent});
}

}  // namespace

// The dialog manager handles every message after it (the procedure returns 0 throughout).
INT_PTR CALLBACK RuntimeDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    RecordLastEvent(dialog, message, wParam, lParam);
    switch (message) {
    case WM_INITDIALOG: OnInitDialog(dialog, InitBlockOf<const OpenRuntimeDialogRequest>(dialog, lParam)); break;
    case WM_ACTIVATE: StoreInterlocked(runtime.activeDialog, wParam != 0 ? dialog : nullptr); break;
    case WM_SETFOCUS: StoreInterlocked(runtime.focusWindow, reinterpret_cast<LONG>(dialog)); break;
    case WM_KILLFOCUS: StoreInterlocked(runtime.focusWindow, static_cast<LONG>(wParam)); break;
    case WM_SYSCOMMAND: OnCloseCommand(dialog, wParam); break;
    case WM_NOTIFY: OnNotify(NotificationOf(lParam)); break;
    case WM_COMMAND: ReportDialogCommand(wParam, lParam); break;
    case WM_HSCROLL:
    case WM_VSCROLL: if (MoveScrollBar(reinterpret_cast<HWND>(lParam), wParam)) ReportScrollEnd(); break;
    case WM_PARENTNOTIFY: OnParentNotify(wParam); break;
    case WM_ENTERSIZEMOVE: HoldInMoveLoop(dialog); break;
    case WM_EXITSIZEMOVE: EndHoldInMoveLoop(dialog); break;
    case WM_DESTROY: ReleaseProgramHoldsOf(dialog); break;
    case getDefaultId: ReportEnterKey(nullptr); break;
    default: break;
    }
    return 0;
}

LRESULT CALLBACK DialogWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    RecordLastEvent(window, message, wParam, lParam);
    switch (message) {
    case WM_CREATE: return OnCreate(window);
    case WM_PAINT: return OnPaint(window);
    case WM_SIZE: return OnSize(window, wParam, lParam);
    case WM_ACTIVATE: return OnActivate(window, wParam, lParam);
    case WM_CLOSE: return OnClose(window);
    case WM_NOTIFY: return OnNotify(NotificationOf(lParam));
    case WM_COMMAND: return OnCommand(window, wParam, lParam);
    case WM_HSCROLL:
    case WM_VSCROLL: return OnScroll(window, message, wParam, lParam);
    case WM_PARENTNOTIFY: return OnParentNotify(wParam);
    case WM_ENTERSIZEMOVE: return OnEnterSizeMove(window);
    case WM_EXITSIZEMOVE: return OnExitSizeMove(window, wParam, lParam);
    case WM_DESTROY: ReleaseProgramHoldsOf(window); return DefDlgProcA(window, message, wParam, lParam);
    case getDefaultId: return OnGetDefaultId();
    default: return DefDlgProcA(window, message, wParam, lParam);
    }
}
