// The main window as the player makes it (style flags 0x70, the whole screen) and its window
// procedure: real messages and real keys go in, the input fields, LastEvent and the event pulses
// come out and are compared with tables.
#include <atomic>
#include <vector>

#include "kernel/gui_request.h"
#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"
#include "kernel/windowing.h"
#include "support/runtime_test.h"

namespace {

constexpr LONG sentinel = static_cast<LONG>(0xFEEDABAD);
constexpr DWORD pulseTimeout = 3000;

// Counts the pulses of one input event on a thread of its own. A pulse releases only a thread
// that waits at that moment, so a case starts only when every watcher reports itself armed
// (just before its wait) and has had a moment to get into the wait.
struct PulseWatcher {
    HANDLE event = nullptr;
    HANDLE seen = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    std::atomic<int> count{0};
    std::atomic<bool> armed{false};
    HANDLE thread = nullptr;

    static DWORD WINAPI Run(void* self)
    {
        auto* watcher = static_cast<PulseWatcher*>(self);
        for (;;) {
            watcher->armed = true;
            DWORD result = WaitForSingleObject(watcher->event, INFINITE);
            watcher->armed = false;
            if (result != WAIT_OBJECT_0)
                return 0;
            ++watcher->count;
            SetEvent(watcher->seen);
        }
    }
    void Start(HANDLE watched)
    {
        event = watched;
        thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    }
};

// Watchers of anyInputEvent, keyOrWindowEvent, characterEvent, mouseOrCommandEvent.
PulseWatcher watchers[4];
enum Pulse { Any = 1, KeyOrWindow = 2, Character = 4, MouseOrCommand = 8 };

struct PulseCounts {
    int counts[4];
};

PulseCounts ArmWatchers()
{
    PulseCounts now{};
    for (int i = 0; i < 4; ++i) {
        for (int spin = 0; spin < 1000 && !watchers[i].armed; ++spin)
            Sleep(1);
        ResetEvent(watchers[i].seen);
    }
    Sleep(5);
    for (int i = 0; i < 4; ++i)
        now.counts[i] = watchers[i].count;
    return now;
}

// Waits for each expected pulse (with a time-out), then checks that exactly those came.
void ExpectPulses(const PulseCounts& before, int expected, int line)
{
    for (int i = 0; i < 4; ++i) {
        int wanted = (expected >> i) & 1;
        if (wanted && watchers[i].count == before.counts[i])
            WaitForSingleObject(watchers[i].seen, pulseTimeout);
        EXPECT_EQ(watchers[i].count - before.counts[i], wanted) << "event " << i << ", table line " << line;
    }
}

HWND CreateControl(const char* className, DWORD style, int x, int y, int width, int height)
{
    CreateControlRequest block{0, style, 0, className, "", x, y, width, height, runtime.mainWindow, nullptr, nullptr, nullptr};
    PostGuiRequest(CreateControlOpcode, &block);
    return block.window;
}

void DestroyByRequest(HWND window)
{
    DestroyWindowRequest block{window, 0};
    PostGuiRequest(DestroyWindowOpcode, &block);
}

void ClearInputFieldsTo(LONG value)
{
    for (volatile LONG* field : {&runtime.lastKey, &runtime.eventCode, &runtime.menuItem, &runtime.lastCommandId,
                                 &runtime.focusWindow, &runtime.mouseX, &runtime.mouseY, &runtime.mouseButtonDown,
                                 &runtime.lastMouseButton, &runtime.notifyCode, &runtime.notifyWindow,
                                 &runtime.notifyPending, &runtime.tabChanged, &runtime.tabWindow})
        InterlockedExchange(field, value);
}

}  // namespace

void PrepareRuntimeTests()
{
    const HANDLE events[4] = {runtime.anyInputEvent, runtime.keyOrWindowEvent, runtime.characterEvent,
                              runtime.mouseOrCommandEvent};
    for (int i = 0; i < 4; ++i)
        watchers[i].Start(events[i]);
    SetWindowStyleFlags(0x70);
    SetMainWindowGeometry(0, 0, runtime.screenWidth, runtime.screenHeight);
}

TEST(MainWindow, StyleFlags0x70GiveAVisibleBorderlessPopUpCoveringTheScreen)
{
    HWND window = runtime.mainWindow;
    ASSERT_TRUE(IsWindow(window));
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_EQ(style & WS_CAPTION, 0);
    EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_WINDOWEDGE, 0);
    EXPECT_EQ(GetMenu(window), nullptr);
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, runtime.screenWidth);
    EXPECT_EQ(rect.bottom, runtime.screenHeight);
    EXPECT_EQ(runtime.clientWidth, runtime.screenWidth);
    EXPECT_EQ(runtime.clientHeight, runtime.screenHeight);
    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "Kalmuswerk-Fenster");
    EXPECT_EQ(runtime.noMenu, 1);
    EXPECT_EQ(runtime.screenCopyOnCreate, 1);
    EXPECT_EQ(runtime.dialogLikeMainWindow, 0);
}

TEST(MainWindow, LaterStyleFlagsKeepTheStickyOnesAndChangeNoExistingWindow)
{
    SetWindowStyleFlags(0);
    EXPECT_EQ(runtime.mainWindowStyle, 0x2000u);
    EXPECT_EQ(runtime.noMenu, 1);
    EXPECT_EQ(runtime.screenCopyOnCreate, 1);
    EXPECT_EQ(runtime.mainWindowExStyle & WS_EX_WINDOWEDGE, 0u) << "bit 0x40 is not undone";
    EXPECT_TRUE(GetWindowLongA(runtime.mainWindow, GWL_STYLE) & WS_POPUP);
    SetWindowStyleFlags(0x1 | 0x2 | 0x4 | 0x8);
    EXPECT_EQ(runtime.mainWindowStyle, 0x2000u | WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_THICKFRAME | WS_SYSMENU);
}

// Messages sent to the main window, each line with the fields it must leave and the events it
// must pulse. Fields not named must keep the sentinel.
struct MessageCase {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::vector<std::pair<volatile LONG*, LONG>> fields;
    int pulses;
};

TEST(MainWindowProcedure, MessagesSetTheInputFieldsAndPulseTheEvents)
{
    HWND window = runtime.mainWindow;
    HWND button = CreateControl("BUTTON", WS_CHILD | WS_VISIBLE, 10, 10, 80, 24);
    ASSERT_NE(button, nullptr);
    LONG id = GetDlgCtrlID(button);
    NMHDR customDraw{button, 1, static_cast<UINT>(-12)};     // NM_CUSTOMDRAW: a common control's
    NMHDR tabChange{button, 1, static_cast<UINT>(-551)};     // TCN_SELCHANGE
    NMHDR click{button, 1, static_cast<UINT>(-2)};           // NM_CLICK
    NMHDR hotItem{button, 1, static_cast<UINT>(-1249)};      // BCN_HOTITEMCHANGE: ignored
    HELPINFO help{sizeof(HELPINFO), HELPINFO_WINDOW, 7, button, 0, {0, 0}};
    LPARAM control = reinterpret_cast<LPARAM>(button);
    LONG buttonValue = reinterpret_cast<LONG>(button);
    ASSERT_EQ(runtime.controlsUnthemed, 1) << "the test program carries no manifest";

    const MessageCase cases[] = {
        {WM_LBUTTONDOWN, 0, MAKELPARAM(10, 20),
         {{&runtime.lastMouseButton, 1}, {&runtime.mouseButtonDown, 1}, {&runtime.mouseX, 10}, {&runtime.mouseY, 20}},
         MouseOrCommand | Any},
        {WM_RBUTTONDOWN, 0, MAKELPARAM(300, 400),
         {{&runtime.lastMouseButton, 2}, {&runtime.mouseButtonDown, 2}, {&runtime.mouseX, 300}, {&runtime.mouseY, 400}},
         MouseOrCommand | Any},
        {WM_LBUTTONUP, 0, 0, {{&runtime.mouseButtonDown, 0}}, 0},
        {WM_RBUTTONUP, 0, 0, {{&runtime.mouseButtonDown, 0}}, 0},
        {WM_MBUTTONDOWN, 0, 0, {}, MouseOrCommand | Any},
        {WM_COMMAND, 5, 0, {{&runtime.menuItem, 5}, {&runtime.lastCommandId, 5}}, Any | MouseOrCommand},
        {WM_COMMAND, 0x8001, 0, {{&runtime.menuItem, -32767}, {&runtime.lastCommandId, 0x8001}}, Any | MouseOrCommand},
        {WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), control,
         {{&runtime.menuItem, -id}, {&runtime.lastCommandId, id}, {&runtime.focusWindow, buttonValue},
          {&runtime.eventCode, 255}},
         Any | MouseOrCommand},
        {WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), control,
         {{&runtime.menuItem, -id}, {&runtime.lastCommandId, id}, {&runtime.focusWindow, buttonValue}},
         Any | MouseOrCommand},
        {WM_COMMAND, MAKEWPARAM(id, EN_KILLFOCUS), control, {{&runtime.menuItem, -id}, {&runtime.lastCommandId, id}},
         Any | MouseOrCommand},
        {WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&customDraw),
         {{&runtime.notifyCode, -12}, {&runtime.notifyWindow, buttonValue}, {&runtime.notifyPending, 1}}, Any},
        {WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&tabChange),
         {{&runtime.notifyCode, -551}, {&runtime.notifyWindow, buttonValue}, {&runtime.notifyPending, 1},
          {&runtime.tabChanged, 1}, {&runtime.tabWindow, buttonValue}},
         Any},
        {WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&click),
         {{&runtime.notifyCode, -2}, {&runtime.notifyWindow, buttonValue}, {&runtime.notifyPending, 1}}, Any},
        {WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&hotItem), {}, 0},
        {WM_HELP, 0, reinterpret_cast<LPARAM>(&help), {{&runtime.focusWindow, -buttonValue}, {&runtime.eventCode, 5}},
         KeyOrWindow | Any},
        {WM_SIZE, SIZE_RESTORED, 0, {{&runtime.eventCode, 4}}, KeyOrWindow | Any},
        {WM_SIZE, SIZE_MAXIMIZED, 0, {{&runtime.eventCode, 4}}, KeyOrWindow | Any},
        {WM_SIZE, SIZE_MAXSHOW, 0, {}, 0},
    };
    int line = 0;
    for (const MessageCase& c : cases) {
        ++line;
        ClearInputFieldsTo(sentinel);
        PulseCounts before = ArmWatchers();
        SendMessageA(window, c.message, c.wParam, c.lParam);
        ExpectPulses(before, c.pulses, line);
        for (volatile LONG* field : {&runtime.lastKey, &runtime.eventCode, &runtime.menuItem, &runtime.lastCommandId,
                                     &runtime.focusWindow, &runtime.mouseX, &runtime.mouseY, &runtime.mouseButtonDown,
                                     &runtime.lastMouseButton, &runtime.notifyCode, &runtime.notifyWindow,
                                     &runtime.notifyPending, &runtime.tabChanged, &runtime.tabWindow}) {
            LONG expected = sentinel;
            for (const auto& [written, value] : c.fields)
                if (written == field)
                    expected = value;
            if (c.message == WM_COMMAND && c.lParam != 0 && field == &runtime.focusWindow && expected == sentinel)
                continue;   // SetFocus on the button may move the focus record meanwhile
            EXPECT_EQ(*field, expected) << "table line " << line << ", field at offset "
                                        << (reinterpret_cast<UINT_PTR>(field) - reinterpret_cast<UINT_PTR>(&runtime));
        }
    }
    DestroyByRequest(button);
}

TEST(MainWindowProcedure, EveryMessageIsRecordedInLastEvent)
{
    NMHDR hotItem{runtime.mainWindow, 1, static_cast<UINT>(-1249)};
    const struct {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } cases[] = {
        {WM_USER + 77, 0x1234, 0x5678},        // not handled: the default procedure
        {WM_SIZE, SIZE_MAXSHOW, 0x00100020},
        {WM_NOTIFY, 3, reinterpret_cast<LPARAM>(&hotItem)},
        {WM_ERASEBKGND, 0, 0},
    };
    for (const auto& c : cases) {
        UpdateWindow(runtime.mainWindow);   // no paint pending to come in between
        GuiSleep(0);
        SendMessageA(runtime.mainWindow, c.message, c.wParam, c.lParam);
        EXPECT_EQ(static_cast<UINT>(runtime.lastEvent.message), c.message);
        EXPECT_EQ(runtime.lastEvent.window, reinterpret_cast<LONG>(runtime.mainWindow));
        EXPECT_EQ(runtime.lastEvent.wParam, static_cast<LONG>(c.wParam));
        EXPECT_EQ(runtime.lastEvent.lParam, static_cast<LONG>(c.lParam));
    }
}

// Real keys through SendInput, each pressed and released in the main window.
struct KeyCase {
    WORD key;
    LONG lastKey;
    LONG eventCode;   // sentinel: left alone
};

TEST(MainWindowProcedure, RealKeysGiveTheKeyItsCharacterAndOnePulseAtItsEnd)
{
    SetForegroundWindow(runtime.mainWindow);
    SetFocus(runtime.mainWindow);
    const KeyCase cases[] = {
        {'A', 'A', 'a'},
        {VK_ESCAPE, 27, 27},
        {VK_SPACE, ' ', ' '},
        {VK_RIGHT, VK_RIGHT, 0},
        {VK_SHIFT, VK_SHIFT, 0},
        {VK_F1, VK_F1, 5},    // its end leaves eventCode to the help request it makes
    };
    int line = 0;
    for (const KeyCase& c : cases) {
        ++line;
        ClearInputFieldsTo(sentinel);
        PulseCounts before = ArmWatchers();
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_KEYBOARD;
        input[0].ki.wVk = input[1].ki.wVk = c.key;
        input[1].ki.dwFlags = KEYEVENTF_KEYUP;
        ASSERT_EQ(SendInput(2, input, sizeof(INPUT)), 2u);
        ExpectPulses(before, KeyOrWindow | Character | Any, line);
        EXPECT_EQ(runtime.lastKey, c.lastKey) << "table line " << line;
        EXPECT_EQ(runtime.eventCode, c.eventCode) << "table line " << line;
    }
}

TEST(MainWindowProcedure, ScrollCodesMoveTheScrollBarControl)
{
    HWND bar = CreateControl("SCROLLBAR", WS_CHILD | WS_VISIBLE | SBS_HORZ, 10, 100, 200, 20);
    ASSERT_NE(bar, nullptr);
    SetScrollRange(bar, SB_CTL, 0, 100, FALSE);
    struct {
        WPARAM wParam;
        int position;
    } const cases[] = {
        {SB_LINEUP, 49}, {SB_LINEDOWN, 51}, {SB_PAGEUP, 40}, {SB_PAGEDOWN, 60},
        {MAKEWPARAM(SB_THUMBPOSITION, 77), 77}, {SB_THUMBTRACK, 50}, {SB_TOP, 0}, {SB_BOTTOM, 100},
        {SB_ENDSCROLL, 50},
    };
    for (const auto& c : cases) {
        SetScrollPos(bar, SB_CTL, 50, FALSE);
        InterlockedExchange(&runtime.eventCode, sentinel);
        SendMessageA(runtime.mainWindow, WM_HSCROLL, c.wParam, reinterpret_cast<LPARAM>(bar));
        EXPECT_EQ(GetScrollPos(bar, SB_CTL), c.position) << "scroll code " << (c.wParam & 0xFFFF);
        EXPECT_EQ(runtime.eventCode, (c.wParam & 0xFFFF) == SB_ENDSCROLL ? 255 : sentinel);
    }
    SetScrollPos(bar, SB_CTL, 0, FALSE);
    SendMessageA(runtime.mainWindow, WM_HSCROLL, SB_LINEUP, reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 0) << "no step below 0";
    DestroyByRequest(bar);
}

// The window's device contexts belong to the GUI thread: the test draws there too.
int32_t __cdecl FillRedSquareInBackBuffer()
{
    RECT square{200, 200, 260, 260};
    HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(runtime.backBufferDc, &square, brush);
    DeleteObject(brush);
    return 0;
}

TEST(MainWindowProcedure, WhatIsDrawnIntoTheBackBufferReappearsAfterTheWindowWasCovered)
{
    const COLORREF red = RGB(255, 0, 0);
    CallOnGuiThread(reinterpret_cast<const void*>(&FillRedSquareInBackBuffer));
    HDC windowDc = runtime.windowDc;
    EXPECT_NE(PixelOnGuiThread(windowDc, 230, 230), red) << "drawn into the back buffer only";

    HWND cover = CreateControl("STATIC", WS_CHILD | WS_VISIBLE | SS_BLACKRECT, 180, 180, 100, 100);
    ASSERT_NE(cover, nullptr);
    UpdateWindow(cover);
    DestroyByRequest(cover);
    // The repaint runs on the GUI thread once the uncovered part is invalid.
    for (int attempt = 0; attempt < 200 && PixelOnGuiThread(windowDc, 230, 230) != red; ++attempt) {
        UpdateWindow(runtime.mainWindow);
        GuiSleep(10);
    }
    EXPECT_EQ(PixelOnGuiThread(windowDc, 230, 230), red);
    EXPECT_EQ(PixelOnGuiThread(windowDc, 190, 190), PixelOnGuiThread(runtime.backBufferDc, 190, 190));
}

TEST(MainWindowProcedure, AMoveLoopHoldsTheProgramAtItsNextSafePointUntilItEnds)
{
    HWND window = runtime.mainWindow;
    SetRectEmpty(&runtime.savedWindowRect);
    // The loop starts from the system command and ends with Enter, all queued before it runs.
    PostMessageA(window, WM_SYSCOMMAND, SC_MOVE, 0);
    PostMessageA(window, WM_KEYDOWN, VK_RIGHT, 0);
    PostMessageA(window, WM_KEYDOWN, VK_RETURN, 0);
    GuiSleep(0);   // a safe point: the program passes it only when no loop holds it
    GuiSleep(0);
    EXPECT_EQ(runtime.programHoldRequested, 0);
    EXPECT_EQ(runtime.savedWindowRect.right, runtime.screenWidth) << "the loop noted the window's rectangle";
    EXPECT_EQ(WaitForSingleObject(runtime.programReleaseEvent, 0), WAIT_OBJECT_0);
    SetMainWindowGeometry(0, 0, runtime.screenWidth, runtime.screenHeight);
}
