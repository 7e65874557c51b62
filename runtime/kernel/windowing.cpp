#include "kernel/windowing.h"

#include "kernel/gui_request.h"
#include "kernel/runtime_state.h"
#include "services/runtime_errors.h"
#include "services/window_commands.h"
#include "values/program_objects.h"
#include "windows/line_list.h"
#include "windows/main_window.h"

namespace {

HANDLE NewAutoResetEvent()
{
    return CreateEventA(nullptr, FALSE, FALSE, nullptr);
}

void MeasureTextFont()
{
    runtime.textRow = 0;
    runtime.textColumn = 0;
    runtime.textFont = static_cast<HFONT>(GetStockObject(SYSTEM_FIXED_FONT));
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, runtime.textFont);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, previous);
    DeleteDC(dc);
    runtime.charWidth = metrics.tmAveCharWidth;
    runtime.lineHeight = metrics.tmHeight - 2;
    runtime.textColourIndex = 0;
    runtime.textBackColourIndex = 15;
}

int32_t __cdecl RecordClientSize(void*)
{
    RECT client{};
    GetClientRect(runtime.mainWindow, &client);
    StoreInterlocked(runtime.clientWidth, client.right - client.left);
    StoreInterlocked(runtime.clientHeight, client.bottom - client.top);
    return 0;
}

void ClearInputFields()
{
    runtime.lastKey = 0;
    runtime.keyDownSeen = 0;
    runtime.eventCode = 0;
    runtime.menuItem = 0;
    runtime.lastCommandId = 0;
    runtime.focusWindow = 0;
    runtime.mouseX = 0;
    runtime.mouseY = 0;
    runtime.mouseButtonDown = 0;
    runtime.lastMouseButton = 0;
    runtime.notifyCode = 0;
    runtime.notifyWindow = 0;
    runtime.notifyPending = 0;
    runtime.tabChanged = 0;
    runtime.tabWindow = 0;
}

}  // namespace

int InitWindowing()
{
    runtime.mainWindowStyle = 0x14CF2000;
    runtime.mainWindowExStyle = WS_EX_WINDOWEDGE;
    runtime.mainWindowTitle.AssignText("Kalmuswerk-Fenster");
    runtime.mainWindow = nullptr;
    runtime.activeDialog = nullptr;
    ClearInputFields();
    runtime.standardFont = nullptr;
    runtime.controlFontMode = 0;
    runtime.noMenu = 0;
    runtime.screenCopyOnCreate = 0;
    runtime.dialogLikeMainWindow = 0;

    runtime.anyInputEvent = NewAutoResetEvent();
    runtime.keyOrWindowEvent = NewAutoResetEvent();
    runtime.characterEvent = NewAutoResetEvent();
    runtime.mouseOrCommandEvent = NewAutoResetEvent();

    MeasureTextFont();
    RegisterWindowClasses();

    runtime.lastLineIndex = -1;
    runtime.controlsUnthemed = FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)) == nullptr ? 1 : 0;
    return 0;
}

void ReleaseWindowing()
{
    CloseHandle(runtime.anyInputEvent);
    CloseHandle(runtime.keyOrWindowEvent);
    CloseHandle(runtime.characterEvent);
    CloseHandle(runtime.mouseOrCommandEvent);
    if (runtime.standardFont != nullptr)
        DeleteObject(runtime.standardFont);
    ClearWatchedMessages();
    ClearLines();
    UnregisterWindowClasses();
}

void RegisterWindowClasses()
{
    // Both classes carry the small icon as well: given none, the system derives one from the
    // large icon for each class, which costs the start-up several milliseconds under Wine.
    HICON icon = LoadIconA(runtime.instanceHandle, "KALMUS");
    auto smallIcon = static_cast<HICON>(LoadImageA(runtime.instanceHandle, "KALMUS", IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                   LR_SHARED));

    WNDCLASSEXA mainClass{};
    mainClass.cbSize = sizeof mainClass;
    mainClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC | CS_BYTEALIGNWINDOW;
    mainClass.lpfnWndProc = MainWindowProcedure;
    mainClass.cbWndExtra = 30;
    mainClass.hInstance = runtime.instanceHandle;
    mainClass.hIcon = icon;
    mainClass.hIconSm = smallIcon;
    mainClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    mainClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    mainClass.lpszClassName = "FENSTER";

    WNDCLASSEXA dialogClass{};
    dialogClass.cbSize = sizeof dialogClass;
    dialogClass.style = CS_CLASSDC;
    dialogClass.lpfnWndProc = DialogWindowProcedure;
    dialogClass.cbWndExtra = 30;
    dialogClass.hInstance = runtime.instanceHandle;
    dialogClass.hIcon = icon;
    dialogClass.hIconSm = smallIcon;
    dialogClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    dialogClass.lpszClassName = "DIALOG";

    if (RegisterClassExA(&mainClass) == 0 || RegisterClassExA(&dialogClass) == 0)
        ExitProcess(1);
}

void UnregisterWindowClasses()
{
    UnregisterClassA("FENSTER", runtime.instanceHandle);
    UnregisterClassA("DIALOG", runtime.instanceHandle);
}

// A program has one main window: its back buffer and input state are the runtime's.
void CreateMainWindow(int32_t x, int32_t y, int32_t width, int32_t height)
{
    if (runtime.mainWindow != nullptr)
        return;
    HMENU menu = runtime.noMenu ? nullptr : LoadMenuA(runtime.instanceHandle, "LEER");
    HWND window = CreateWindowExA(runtime.mainWindowExStyle, "FENSTER", runtime.mainWindowTitle.Text(),
                                  runtime.mainWindowStyle, x, y, width, height, nullptr, menu,
                                  runtime.instanceHandle, nullptr);
    if (window == nullptr)
        ExitProcess(1);
    StoreInterlocked(runtime.mainWindow, window);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
}

void SetWindowStyleFlags(int32_t flags)
{
    DWORD style = 0x2000;
    if (flags & 0x1)
        style |= WS_MAXIMIZEBOX;
    if (flags & 0x2)
        style |= WS_MINIMIZEBOX;
    if (flags & 0x4)
        style |= WS_THICKFRAME;
    if (flags & 0x8)
        style |= WS_SYSMENU;
    if (flags & 0x10)
        StoreInterlocked(runtime.noMenu, 1);
    if (flags & 0x20)
        StoreInterlocked(runtime.screenCopyOnCreate, 1);
    if (flags & 0x40) {
        style = (style | WS_POPUP) & ~WS_CAPTION;
        runtime.mainWindowExStyle &= ~static_cast<DWORD>(WS_EX_WINDOWEDGE);
    }
    if (flags & 0x200)
        StoreInterlocked(runtime.dialogLikeMainWindow, 1);
    runtime.mainWindowStyle = style;
}

void SetMainWindowGeometry(int32_t x, int32_t y, int32_t width, int32_t height)
{
    if (x < 0 || y < 0)
        RuntimeWarning(223, nullptr);
    HWND window = runtime.mainWindow;
    if (window != nullptr) {
        // The GUI thread carries the placement out when it gets to it: the client size is read
        // there, after it.
        PlaceWindow(window, x, y, width, height, 0);
        RunOnGuiThread(RecordClientSize, nullptr);
        return;
    }
    auto* block = static_cast<CreateMainWindowRequest*>(HeapAlloc(GetProcessHeap(), 0, sizeof(CreateMainWindowRequest)));
    *block = CreateMainWindowRequest{x, y, width, height};
    PostGuiRequest(CreateMainWindowOpcode, block);
}
