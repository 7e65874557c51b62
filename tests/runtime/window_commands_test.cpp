// The window commands on the real main window: colours read back from the back buffer, the
// title, placement and z-order, focus. The first case creates the main window.
#include <string>

#include "kernel/runtime_state.h"
#include "kernel/windowing.h"
#include "services/window_commands.h"
#include "support/gui_probe.h"
#include "support/runtime_test.h"

namespace {

constexpr DWORD waitLimit = 5000;

// Polls a condition about a window placed asynchronously, up to the time-out.
template <typename Condition>
bool WaitUntil(Condition condition)
{
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > waitLimit)
            return false;
        Sleep(10);
    }
    return true;
}

bool IsTopmost(HWND window)
{
    return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

COLORREF BackBufferPixel(int x, int y)
{
    return PixelOnGuiThread(runtime.backBufferDc, x, y);
}

// A visible window of another thread of this process: a pop-up for the main window to stand
// above or below, or a child of the main window that counts its paints. (The program thread
// itself never owns a window.)
LONG childPaints = 0;

LRESULT CALLBACK CountPaints(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT)
        InterlockedIncrement(&childPaints);
    return DefWindowProcA(window, message, wParam, lParam);
}

class HelperWindow {
public:
    explicit HelperWindow(HWND parent = nullptr) : parent(parent)
    {
        ready = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        thread = CreateThread(nullptr, 0, Run, this, 0, &threadId);
        WaitForSingleObject(ready, waitLimit);
    }
    ~HelperWindow()
    {
        PostThreadMessageA(threadId, WM_QUIT, 0, 0);
        WaitForSingleObject(thread, waitLimit);
        CloseHandle(thread);
        CloseHandle(ready);
    }
    HelperWindow(const HelperWindow&) = delete;
    HelperWindow& operator=(const HelperWindow&) = delete;

    HWND window = nullptr;

private:
    static DWORD WINAPI Run(void* self)
    {
        auto* helper = static_cast<HelperWindow*>(self);
        WNDCLASSA paintCounter{};
        paintCounter.lpfnWndProc = CountPaints;
        paintCounter.hInstance = GetModuleHandleA(nullptr);
        paintCounter.lpszClassName = "PAINTCOUNTER";
        RegisterClassA(&paintCounter);
        DWORD style = helper->parent != nullptr ? WS_CHILD | WS_VISIBLE : WS_POPUP | WS_VISIBLE;
        helper->window = CreateWindowExA(0, "PAINTCOUNTER", "helper", style, 100, 100, 200, 200,
                                         helper->parent, nullptr, paintCounter.hInstance, nullptr);
        SetEvent(helper->ready);
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0)
            DispatchMessageA(&message);
        DestroyWindow(helper->window);
        return 0;
    }
    HWND parent;
    HANDLE ready = nullptr;
    HANDLE thread = nullptr;
    DWORD threadId = 0;
};

class WindowCommands : public ::testing::Test {
protected:
    void TearDown() override
    {
        SetTrueColorMode(0);
        runtime.errorMode = 1;
    }
};

TEST_F(WindowCommands, ClearWindowCreatesA640By480WindowAtTheCorner)
{
    ASSERT_EQ(runtime.mainWindow, nullptr);
    ClearWindow(0);
    HWND window = runtime.mainWindow;
    ASSERT_NE(window, nullptr);
    RECT frame{};
    GetWindowRect(window, &frame);
    EXPECT_EQ(frame.left, 0);
    EXPECT_EQ(frame.top, 0);
    EXPECT_EQ(frame.right - frame.left, 640);
    EXPECT_EQ(frame.bottom - frame.top, 480);
    EXPECT_EQ(BackBufferPixel(10, 10), RGB(0, 0, 0));
}

TEST_F(WindowCommands, ClearWindowInTheTwentyFourBitForm)
{
    SetTrueColorMode(1);
    struct Case {
        int32_t red, green, blue;
        COLORREF shown;
    };
    const Case cases[] = {
        {300, 16, -1, RGB(255, 16, 255)},   // above 255 gives 255; -1 its low 8 bits
        {0, 128, 64, RGB(0, 128, 64)},
        {256, 511, -256, RGB(255, 255, 0)},
    };
    for (const Case& c : cases) {
        int32_t colour = MakeColor(c.red, c.green, c.blue);
        EXPECT_EQ(static_cast<COLORREF>(colour), c.shown);
        runtime.textColumn = 7;
        runtime.textRow = 3;
        ClearWindow(colour);
        EXPECT_EQ(BackBufferPixel(0, 0), c.shown);
        EXPECT_EQ(PixelOnGuiThread(runtime.windowDc, 2, 2), c.shown) << "the window itself";
        EXPECT_EQ(BackBufferPixel(runtime.screenWidth - 1, runtime.screenHeight - 1), c.shown);
        EXPECT_EQ(runtime.textColumn, 0);
        EXPECT_EQ(runtime.textRow, 0);
    }
}

TEST_F(WindowCommands, ClearWindowInTheFifteenBitFormWidensEachComponent)
{
    SetTrueColorMode(0);
    struct Case {
        int32_t red, green, blue;
        COLORREF shown;
    };
    const Case cases[] = {
        {40, 10, 31, RGB(255, 82, 255)},    // 31 gives 255, 10 gives 82
        {16, 1, 0, RGB(131, 8, 0)},
        {-1, 0, 0, RGB(255, 0, 0)},         // a negative component stays in its own field
        {0, -2, 0, RGB(0, 246, 0)},
    };
    for (const Case& c : cases) {
        ClearWindow(MakeColor(c.red, c.green, c.blue));
        EXPECT_EQ(BackBufferPixel(5, 5), c.shown) << c.red << " " << c.green << " " << c.blue;
    }
}

TEST_F(WindowCommands, ClearWindowRedrawsTheChildWindows)
{
    HelperWindow child(runtime.mainWindow);
    ASSERT_NE(child.window, nullptr);
    ASSERT_TRUE(WaitUntil([] { return childPaints > 0; })) << "the child's first paint";
    Sleep(100);   // no further paint is due
    LONG before = childPaints;
    ClearWindow(MakeColor(1, 2, 3));
    EXPECT_TRUE(WaitUntil([&] { return childPaints > before; }));
}

TEST_F(WindowCommands, TheSystemColourIsShownAsItIsInBothForms)
{
    for (int32_t mode : {0, 1}) {
        SetTrueColorMode(mode);
        ClearWindow(MakeColor(0, 0, 0));
        ClearWindowToSystemColor();
        EXPECT_EQ(BackBufferPixel(3, 3), GetSysColor(COLOR_WINDOW)) << "mode " << mode;
    }
}

TEST_F(WindowCommands, TheTitleIsStoredAndShown)
{
    SetWindowTitle(RtString("Kinoblick \xC4\xF6"));
    char shown[64] = {};
    GetWindowTextA(runtime.mainWindow, shown, sizeof shown);
    EXPECT_STREQ(shown, "Kinoblick \xC4\xF6");
    EXPECT_STREQ(runtime.mainWindowTitle.Text(), "Kinoblick \xC4\xF6");
}

// Where the window stands in the z-order after a code: at the top of its band (topmost or not),
// or at the very bottom.
// True when `upper` stands above `lower` in the z-order.
bool StandsAbove(HWND upper, HWND lower)
{
    for (HWND below = GetWindow(upper, GW_HWNDNEXT); below != nullptr; below = GetWindow(below, GW_HWNDNEXT)) {
        if (below == lower)
            return true;
    }
    return false;
}

TEST_F(WindowCommands, ZOrderCodesSetAndClearTopmost)
{
    HWND window = runtime.mainWindow;
    HelperWindow companion;
    ASSERT_NE(companion.window, nullptr);
    enum Stand { Above, Below, Anywhere };
    struct Step {
        bool raiseCompanionFirst;
        int32_t zOrder;
        bool topmost;
        Stand stand;   // against the companion
        const char* what;
    };
    // The emulator does not move a window down for the bottom code (and keeps a topmost window's
    // flag there, unlike the real system), so that code is given to a window that is not topmost
    // and only the flag is checked.
    const Step steps[] = {
        {false, -1, true, Above, "-1 makes it topmost"},
        {true, 0, true, Above, "0 keeps it topmost"},
        {false, 2, true, Above, "any other code brings it to the top, still topmost"},
        {false, -2, false, Above, "-2 ends topmost, at the top of the others"},
        {true, 0, false, Below, "0 keeps the z-order"},
        {false, 2, false, Above, "2 brings it to the top"},
        {false, 1, false, Anywhere, "1 sends it to the bottom"},
        {false, -1, true, Above, "topmost again"},
    };
    int32_t x = 10;
    for (const Step& step : steps) {
        if (step.raiseCompanionFirst)
            SetWindowPos(companion.window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        x += 10;
        PlaceWindow(window, x, 20, 400, 300, step.zOrder);
        EXPECT_TRUE(WaitUntil([&] {
            RECT frame{};
            GetWindowRect(window, &frame);
            bool above = StandsAbove(window, companion.window);
            return frame.left == x && frame.top == 20 && frame.right - frame.left == 400 &&
                   IsTopmost(window) == step.topmost &&
                   (step.stand == Anywhere || above == (step.stand == Above));
        })) << step.what;
    }
    PlaceWindow(window, 0, 0, 640, 480, -2);
}

TEST_F(WindowCommands, ANegativePositionAsksFirstAndThenMoves)
{
    HWND window = runtime.mainWindow;
    runtime.lastErrorCode = 0;
    MessageBoxAnswerer answerer(IDOK);
    PlaceWindow(window, -1, 5, 300, 200, 0);
    MessageBoxSeen seen = answerer.Result();
    ASSERT_TRUE(seen.found);
    EXPECT_TRUE(seen.hasCancel);
    EXPECT_EQ(seen.caption, "Negative Fenstergr\xF6\xDF" "e!");
    EXPECT_EQ(runtime.lastErrorCode, 223);
    EXPECT_TRUE(WaitUntil([&] {
        RECT frame{};
        GetWindowRect(window, &frame);
        return frame.left == -1 && frame.top == 5;
    }));

    runtime.errorMode = -1;
    runtime.lastErrorCode = 0;
    PlaceWindow(window, 0, -3, 300, 200, 0);
    EXPECT_EQ(runtime.lastErrorCode, 223) << "silent, but recorded";
}

TEST_F(WindowCommands, FocusIsRecordedAndSet)
{
    HWND window = runtime.mainWindow;
    SetForegroundWindow(window);
    FocusWindow(window);
    EXPECT_EQ(reinterpret_cast<HWND>(static_cast<LONG_PTR>(runtime.focusWindow)), window);
    EXPECT_TRUE(WaitUntil([&] { return GetFocus() == window; }));
}

int32_t __cdecl ClientWidthNow(void*)
{
    RECT client{};
    GetClientRect(runtime.mainWindow, &client);
    return client.right;
}

void ResizeOnGuiThread(int width)
{
    CallOnGuiThread(reinterpret_cast<const void*>(&SetWindowPos),
                    {reinterpret_cast<DWORD>(runtime.mainWindow), 0, 0, 0, static_cast<DWORD>(width), 300,
                     SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE});
}

// Text output wraps by the recorded client width: it must be the window's, however it changed.
TEST_F(WindowCommands, TheRecordedClientSizeFollowsTheWindow)
{
    SetMainWindowGeometry(0, 0, 500, 300);
    EXPECT_EQ(runtime.clientWidth, CallOnGuiThread(reinterpret_cast<const void*>(&ClientWidthNow)));
    ResizeOnGuiThread(420);   // as the user's sizing would
    EXPECT_EQ(runtime.clientWidth, CallOnGuiThread(reinterpret_cast<const void*>(&ClientWidthNow)));
    SetMainWindowGeometry(0, 0, 640, 480);
}

TEST_F(WindowCommands, SetDecimalsSetsTheFractionDigits)
{
    SetDecimals(2);
    EXPECT_EQ(runtime.decimals, 2);
    EXPECT_STREQ(RtString::FromReal(1.5).Text(), "1.50");
    SetDecimals(6);
}

}  // namespace
