// Window appearance and geometry commands. They run on the calling thread (normally the program
// thread) with cross-thread-safe window calls; drawing into the shared device contexts is done
// on the GUI thread, which paints from them.
#include "services/window_commands.h"

#include "kernel/gui_request.h"
#include "kernel/runtime_state.h"
#include "kernel/windowing.h"
#include "services/runtime_errors.h"

namespace {

constexpr UINT childRedrawFlags = RDW_INVALIDATE | RDW_ERASE | RDW_FRAME;   // 0x405

// A component of the 24-bit form: 255 and above give 255, anything else its low 8 bits.
int32_t TrueColorComponent(int32_t value)
{
    return value >= 255 ? 255 : (value & 0xFF);
}

// A component of the 15-bit form: 31 and above give 31, anything else its low 5 bits, so that
// a negative component (-1 gives 31, as -1 gives 255 in the 24-bit form) stays in its own field.
int32_t HighColorComponent(int32_t value)
{
    return value >= 31 ? 31 : (value & 0x1F);
}

// One 5-bit component widened to 8 bits: times 8.226 in single precision, truncated.
int32_t WidenComponent(int32_t fiveBits)
{
    return static_cast<int32_t>(static_cast<float>(fiveBits) * 8.226f) & 0xFF;
}

COLORREF ToTrueColor(int32_t colour)
{
    if (runtime.trueColorMode != 0)
        return static_cast<COLORREF>(colour);
    return RGB(WidenComponent(colour & 0x1F), WidenComponent((colour >> 5) & 0x1F),
               WidenComponent((colour >> 10) & 0x1F));
}

BOOL CALLBACK RedrawChild(HWND child, LPARAM)
{
    RedrawWindow(child, nullptr, nullptr, childRedrawFlags);
    return TRUE;
}

// Fills the drawing surface (and the back buffer behind the window) with a 24-bit colour. The
// brush stays selected in drawDc until the next clear replaces and deletes it. GUI thread.
int32_t __cdecl FillOnGuiThread(void* context)
{
    COLORREF colour = *static_cast<const COLORREF*>(context);
    HDC dc = runtime.drawDc;
    HBRUSH brush = CreateSolidBrush(colour);
    HGDIOBJ replaced = SelectObject(dc, brush);
    PatBlt(dc, 0, 0, runtime.screenWidth, runtime.screenHeight, PATCOPY);
    if (dc == runtime.windowDc) {
        RECT all{0, 0, runtime.screenWidth, runtime.screenHeight};
        FillRect(runtime.backBufferDc, &all, brush);
    }
    DeleteObject(replaced);
    return 0;
}

void FillMainWindow(COLORREF colour)
{
    if (runtime.mainWindow == nullptr)
        SetMainWindowGeometry(0, 0, 640, 480);
    RunOnGuiThread(FillOnGuiThread, &colour);
    runtime.textColumn = 0;
    runtime.textRow = 0;
    EnumChildWindows(runtime.mainWindow, RedrawChild, 0);
}

}  // namespace

void SetTrueColorMode(int32_t flag)
{
    runtime.trueColorMode = flag;
}

void SetDecimals(int32_t count)
{
    runtime.decimals = count;
}

int32_t MakeColor(int32_t red, int32_t green, int32_t blue)
{
    if (runtime.trueColorMode != 0)
        return TrueColorComponent(red) | TrueColorComponent(green) << 8 | TrueColorComponent(blue) << 16;
    return HighColorComponent(red) | HighColorComponent(green) << 5 | HighColorComponent(blue) << 10;
}

void ClearWindow(int32_t colour)
{
    FillMainWindow(ToTrueColor(colour));
}

// The system colour is a 24-bit value in either colour form: it is shown as it is, never
// decoded as a 15-bit value.
void ClearWindowToSystemColor()
{
    FillMainWindow(GetSysColor(COLOR_WINDOW));
}

void SetWindowTitle(RtString title)
{
    runtime.mainWindowTitle = title;
    HWND window = runtime.mainWindow;
    if (window != nullptr)
        SetWindowTextA(window, title.Text());
}

void PlaceWindow(HWND window, int32_t x, int32_t y, int32_t width, int32_t height, int32_t zOrder)
{
    if (x < 0 || y < 0)
        RuntimeWarning(223, nullptr);
    UINT flags = SWP_ASYNCWINDOWPOS;
    HWND insertAfter = HWND_TOP;
    switch (zOrder) {
    case -2: insertAfter = HWND_NOTOPMOST; break;
    case -1: insertAfter = HWND_TOPMOST; break;
    case 0: flags |= SWP_NOZORDER | SWP_NOACTIVATE; break;   // activating would raise it
    case 1: insertAfter = HWND_BOTTOM; break;
    default: break;
    }
    SetWindowPos(window, insertAfter, x, y, width, height, flags);
}

void FocusWindow(HWND window)
{
    runtime.focusWindow = static_cast<LONG>(reinterpret_cast<LONG_PTR>(window));
    SetFocus(window);
}
