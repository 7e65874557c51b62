// The main window as the player makes it (style flags 0x70, the whole screen), its procedure fed
// with real messages and real keys, the window commands read back from the screen's pixels, text
// output cell by cell, and the resources every program carries.
#include <set>
#include <string>
#include <vector>

#include "kernel/windowing.h"
#include "services/window_commands.h"
#include "support/gui_probe.h"
#include "support/runtime_test.h"
#include "windows/text_output.h"

namespace {

constexpr LONG sentinel = static_cast<LONG>(0xFEEDABAD);

// anyInputEvent, keyOrWindowEvent, characterEvent, mouseOrCommandEvent
PulseWatcher* watchers[4];
enum Pulse { Any = 1, KeyOrWindow = 2, Character = 4, MouseOrCommand = 8, TwiceKeyOrWindowAndAny = 16 };

volatile LONG* const inputFields[] = {
    &runtime.lastKey,     &runtime.eventCode,      &runtime.menuItem,      &runtime.lastCommandId,
    &runtime.focusWindow, &runtime.mouseX,         &runtime.mouseY,        &runtime.mouseButtonDown,
    &runtime.lastMouseButton, &runtime.notifyCode, &runtime.notifyWindow,  &runtime.notifyPending,
    &runtime.tabChanged,  &runtime.tabWindow,
};

// Runs the input, then checks that each event was pulsed as often as expected (F1 pulses twice:
// its key's end and its help request) and that the fields not named kept the sentinel.
template <typename Input>
void ExpectReport(Input input, int pulses, std::initializer_list<std::pair<volatile LONG*, LONG>> fields, int line)
{
    for (volatile LONG* field : inputFields)
        StoreInterlocked(*field, sentinel);
    int before[4];
    for (int i = 0; i < 4; ++i)
        before[i] = watchers[i]->Arm();
    input();
    for (int i = 0; i < 4; ++i) {
        int wanted = ((pulses >> i) & 1) * ((pulses & TwiceKeyOrWindowAndAny) && i < 2 ? 2 : 1);
        if (wanted > 0)
            watchers[i]->WaitForCount(before[i] + wanted);
        EXPECT_EQ(watchers[i]->Count() - before[i], wanted) << "event " << i << ", table line " << line;
    }
    for (volatile LONG* field : inputFields) {
        LONG expected = sentinel;
        for (const auto& [written, value] : fields)
            expected = written == field ? value : expected;
        EXPECT_EQ(*field, expected) << "table line " << line << ", field " << (field - &runtime.lastKey);
    }
}

}  // namespace

void PrepareRuntimeTests()
{
    for (int i = 0; i < 4; ++i) {
        HANDLE events[] = {runtime.anyInputEvent, runtime.keyOrWindowEvent, runtime.characterEvent,
                           runtime.mouseOrCommandEvent};
        watchers[i] = new PulseWatcher(events[i]);
    }
    SetWindowStyleFlags(0x70);
    SetMainWindowGeometry(0, 0, runtime.screenWidth, runtime.screenHeight);
}

namespace {

TEST(MainWindow, StyleFlags0x70GiveAVisibleBorderlessPopUpCoveringTheScreen)
{
    HWND window = runtime.mainWindow;
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_VISIBLE | WS_CAPTION), WS_POPUP | WS_VISIBLE);
    EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_WINDOWEDGE, 0);
    EXPECT_EQ(GetMenu(window), nullptr);
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_TRUE(rect.left == 0 && rect.top == 0 && rect.right == runtime.screenWidth && rect.bottom == runtime.screenHeight);
    EXPECT_TRUE(runtime.clientWidth == runtime.screenWidth && runtime.clientHeight == runtime.screenHeight);
    EXPECT_EQ(TextOf(window), "Kalmuswerk-Fenster");
}

TEST(MainWindowProcedure, MessagesSetTheInputFieldsAndPulseTheEvents)
{
    HWND window = runtime.mainWindow;
    HWND button = CreateControl("BUTTON");
    LONG id = GetDlgCtrlID(button), control = reinterpret_cast<LONG>(button);
    NMHDR customDraw{button, 1, static_cast<UINT>(-12)}, tabChange{button, 1, static_cast<UINT>(-551)};
    NMHDR click{button, 1, static_cast<UINT>(-2)}, hotItem{button, 1, static_cast<UINT>(-1249)};
    HELPINFO help{sizeof(HELPINFO), HELPINFO_WINDOW, 7, button, 0, {0, 0}};
    const struct {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        int pulses;
        std::initializer_list<std::pair<volatile LONG*, LONG>> fields;
    } cases[] = {
        {WM_LBUTTONDOWN, 0, MAKELPARAM(10, 20), MouseOrCommand | Any,
         {{&runtime.lastMouseButton, 1}, {&runtime.mouseButtonDown, 1}, {&runtime.mouseX, 10}, {&runtime.mouseY, 20}}},
        {WM_RBUTTONDOWN, 0, MAKELPARAM(300, 400), MouseOrCommand | Any,
         {{&runtime.lastMouseButton, 2}, {&runtime.mouseButtonDown, 2}, {&runtime.mouseX, 300}, {&runtime.mouseY, 400}}},
        {WM_LBUTTONUP, 0, 0, 0, {{&runtime.mouseButtonDown, 0}}},
        {WM_MBUTTONDOWN, 0, 0, MouseOrCommand | Any, {}},
        {WM_COMMAND, 0x8001, 0, Any | MouseOrCommand, {{&runtime.menuItem, -32767}, {&runtime.lastCommandId, 0x8001}}},
        {WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), control, Any | MouseOrCommand,
         {{&runtime.menuItem, -id}, {&runtime.lastCommandId, id}, {&runtime.focusWindow, control}, {&runtime.eventCode, 255}}},
        {WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), control, Any | MouseOrCommand,
         {{&runtime.menuItem, -id}, {&runtime.lastCommandId, id}, {&runtime.focusWindow, control}}},
        {WM_COMMAND, MAKEWPARAM(id, EN_CHANGE), control, Any | MouseOrCommand,
         {{&runtime.menuItem, -id}, {&runtime.lastCommandId, id}, {&runtime.focusWindow, control}}},
        {WM_COMMAND, MAKEWPARAM(id, EN_KILLFOCUS), control, Any | MouseOrCommand,
         {{&runtime.menuItem, -id}, {&runtime.lastCommandId, id}}},
        {WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&customDraw), Any,
         {{&runtime.notifyCode, -12}, {&runtime.notifyWindow, control}, {&runtime.notifyPending, 1}}},
        {WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&tabChange), Any,
         {{&runtime.notifyCode, -551}, {&runtime.notifyWindow, control}, {&runtime.notifyPending, 1},
          {&runtime.tabChanged, 1}, {&runtime.tabWindow, control}}},
        {WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&click), Any,
         {{&runtime.notifyCode, -2}, {&runtime.notifyWindow, control}, {&runtime.notifyPending, 1}}},
        {WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&hotItem), 0, {}},
        {WM_HELP, 0, reinterpret_cast<LPARAM>(&help), KeyOrWindow | Any, {{&runtime.focusWindow, -control}, {&runtime.eventCode, 5}}},
        {WM_SIZE, SIZE_MAXIMIZED, 0, KeyOrWindow | Any, {{&runtime.eventCode, 4}}},
        {WM_SIZE, SIZE_MAXSHOW, 0, 0, {}},
    };
    int line = 0;
    for (const auto& c : cases) {
        ExpectReport([&] { SendMessageA(window, c.message, c.wParam, c.lParam); }, c.pulses, c.fields, ++line);
        if (c.wParam == MAKEWPARAM(id, BN_CLICKED) || (c.message >= WM_LBUTTONDOWN && c.message <= WM_MBUTTONDOWN))
            continue;   // the focus they move brings its own messages, which are recorded last
        EXPECT_EQ(static_cast<UINT>(runtime.lastEvent.message), c.message) << "table line " << line;
        EXPECT_EQ(runtime.lastEvent.wParam, static_cast<LONG>(c.wParam)) << "table line " << line;
    }
    DestroyByRequest(button);
}

TEST(MainWindowProcedure, RealKeysGiveTheKeyItsCharacterAndTheEventsAtItsEnd)
{
    SetForegroundWindow(runtime.mainWindow);
    FocusWindow(runtime.mainWindow);
    const struct {
        WORD key;
        LONG eventCode;
        int pulses;
    } cases[] = {
        {'A', 'a', KeyOrWindow | Character | Any},  {VK_ESCAPE, 27, KeyOrWindow | Character | Any},
        {VK_RIGHT, 0, KeyOrWindow | Character | Any}, {VK_SHIFT, 0, KeyOrWindow | Character | Any},
        {VK_F1, 5, KeyOrWindow | Character | Any | TwiceKeyOrWindowAndAny},
    };
    int line = 0;
    for (const auto& c : cases) {
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_KEYBOARD;
        input[0].ki.wVk = input[1].ki.wVk = c.key;
        input[1].ki.dwFlags = KEYEVENTF_KEYUP;
        LONG focus = c.key == VK_F1 ? -reinterpret_cast<LONG>(runtime.mainWindow) : sentinel;   // the help item
        ExpectReport([&] { SendInput(2, input, sizeof(INPUT)); }, c.pulses,
                     {{&runtime.lastKey, c.key}, {&runtime.eventCode, c.eventCode}, {&runtime.focusWindow, focus}}, ++line);
    }
}

TEST(MainWindowProcedure, ScrollCodesMoveTheScrollBarControl)
{
    HWND bar = CreateControl("SCROLLBAR", WS_CHILD | WS_VISIBLE | SBS_HORZ, {10, 100, 210, 120});
    SetScrollRange(bar, SB_CTL, 0, 100, FALSE);
    const struct {
        WPARAM wParam;
        int from, to;
    } cases[] = {{SB_LINEUP, 50, 49},        {SB_LINEUP, 0, 0},      {SB_LINEDOWN, 50, 51}, {SB_PAGEUP, 50, 40},
                 {SB_PAGEDOWN, 50, 60},      {MAKEWPARAM(SB_THUMBPOSITION, 77), 50, 77}, {SB_THUMBTRACK, 50, 50},
                 {SB_TOP, 50, 0},            {SB_BOTTOM, 50, 100},   {SB_ENDSCROLL, 50, 50}};
    for (const auto& c : cases) {
        SetScrollPos(bar, SB_CTL, c.from, FALSE);
        StoreInterlocked(runtime.eventCode, sentinel);
        SendMessageA(runtime.mainWindow, WM_HSCROLL, c.wParam, reinterpret_cast<LPARAM>(bar));
        EXPECT_EQ(GetScrollPos(bar, SB_CTL), c.to) << "scroll code " << (c.wParam & 0xFFFF);
        EXPECT_EQ(runtime.eventCode, (c.wParam & 0xFFFF) == SB_ENDSCROLL ? 255 : sentinel);
    }
    DestroyByRequest(bar);
}

int32_t __cdecl FillRedSquareInBackBuffer(void*)
{
    RECT square{200, 200, 260, 260};
    HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(runtime.backBufferDc, &square, brush);
    DeleteObject(brush);
    return 0;
}

TEST(MainWindowProcedure, WhatIsInTheBackBufferReappearsWhereTheWindowWasCovered)
{
    RunOnGuiThread(FillRedSquareInBackBuffer, nullptr);
    EXPECT_NE(PixelOnGuiThread(runtime.windowDc, 230, 230), RGB(255, 0, 0)) << "drawn into the back buffer only";
    HWND cover = CreateControl("STATIC", WS_CHILD | WS_VISIBLE | SS_BLACKRECT, {180, 180, 280, 280});
    DestroyByRequest(cover);
    EXPECT_TRUE(WaitFor([] { return PixelOnGuiThread(runtime.windowDc, 230, 230) == RGB(255, 0, 0); }));
}

// ---- The window commands ----

COLORREF BackBufferPixel(int x, int y)
{
    return PixelOnGuiThread(runtime.backBufferDc, x, y);
}

TEST(WindowCommands, ClearWindowFillsWindowAndBackBufferInBothColourForms)
{
    const struct {
        LONG trueColor;
        int32_t red, green, blue;
        COLORREF shown;
    } cases[] = {
        {1, 300, 16, -1, RGB(255, 16, 255)},   // above 255 gives 255; -1 its low 8 bits
        {1, 256, 511, -256, RGB(255, 255, 0)},
        {0, 40, 10, 31, RGB(255, 82, 255)},     // 31 and above give 31, widened to 255; 10 gives 82
        {0, 16, 1, 0, RGB(131, 8, 0)},
        {0, -1, 0, 0, RGB(255, 0, 0)},          // a negative component stays in its own field
    };
    for (const auto& c : cases) {
        SetTrueColorMode(c.trueColor);
        runtime.textColumn = 7;
        ClearWindow(MakeColor(c.red, c.green, c.blue));
        EXPECT_EQ(BackBufferPixel(0, 0), c.shown) << c.red << " " << c.green << " " << c.blue;
        EXPECT_EQ(BackBufferPixel(runtime.screenWidth - 1, runtime.screenHeight - 1), c.shown);
        EXPECT_EQ(PixelOnGuiThread(runtime.windowDc, 2, 2), c.shown) << "the window itself";
        EXPECT_EQ(runtime.textColumn, 0);
    }
    for (LONG mode : {0, 1}) {
        SetTrueColorMode(mode);
        ClearWindowToSystemColor();
        EXPECT_EQ(BackBufferPixel(3, 3), GetSysColor(COLOR_WINDOW)) << "shown as it is in mode " << mode;
    }
    SetTrueColorMode(1);
}

bool StandsAbove(HWND upper, HWND lower)
{
    for (HWND below = GetWindow(upper, GW_HWNDNEXT); below != nullptr; below = GetWindow(below, GW_HWNDNEXT)) {
        if (below == lower)
            return true;
    }
    return false;
}

int32_t __cdecl ClientWidthNow(void*)
{
    RECT client{};
    GetClientRect(runtime.mainWindow, &client);
    return client.right;
}

// Placement and z-order against a second window of the GUI thread; the emulator neither moves a
// window down for the bottom code nor clears a topmost flag there, so that code is checked
// without its effect on the order.
TEST(WindowCommands, PlacementZOrderTitleAndTheRecordedClientSize)
{
    HWND window = runtime.mainWindow;
    DWORD savedStyle = runtime.mainWindowStyle;
    runtime.mainWindowStyle = WS_POPUP | WS_VISIBLE;
    CreateDialogWindowRequest other{};
    static_cast<OpenRuntimeDialogRequest&>(other) = {"andere", nullptr, 300, 300, 200, 100, nullptr};
    PostGuiRequest(CreateDialogWindowOpcode, &other);
    runtime.mainWindowStyle = savedStyle;
    const struct {
        bool raiseOtherFirst;
        int32_t zOrder;
        bool topmost, above;
    } steps[] = {{false, -1, true, true}, {true, 0, true, true},  {false, 2, true, true},   {false, -2, false, true},
                 {true, 0, false, false}, {false, 2, false, true}, {false, 1, false, false}, {false, -1, true, true}};
    int x = 10;
    for (const auto& step : steps) {
        if (step.raiseOtherFirst)
            SetWindowPos(other.window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        PlaceWindow(window, x += 10, 20, 400, 300, step.zOrder);
        EXPECT_TRUE(WaitFor([&] {
            RECT frame{};
            GetWindowRect(window, &frame);
            bool topmost = (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
            return frame.left == x && frame.right - frame.left == 400 && topmost == step.topmost &&
                   (step.zOrder == 1 || StandsAbove(window, other.window) == step.above);
        })) << "z-order code " << step.zOrder << " at x " << x;
    }
    DestroyByRequest(other.window);
    SetWindowTitle("Kinoblick \xC4\xF6");
    EXPECT_EQ(TextOf(window), "Kinoblick \xC4\xF6");
    SetMainWindowGeometry(0, 0, 500, 300);   // text output wraps by the recorded width
    EXPECT_EQ(runtime.clientWidth, CallOnGuiThread(reinterpret_cast<const void*>(&ClientWidthNow)));
    CallOnGuiThread(reinterpret_cast<const void*>(&SetWindowPos),   // as the user's sizing would
                    {reinterpret_cast<DWORD>(window), 0, 0, 0, 420, 300, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE});
    EXPECT_EQ(runtime.clientWidth, CallOnGuiThread(reinterpret_cast<const void*>(&ClientWidthNow)));
    auto answer = AnswerBox(IDOK);
    PlaceWindow(window, -1, 5, 760, 560, 0);
    EXPECT_EQ(answer.get().caption, "Negative Fenstergr\xF6\xDF" "e!");
    EXPECT_TRUE(WaitFor([&] {
        RECT frame{};
        GetWindowRect(window, &frame);
        return frame.left == -1 && frame.top == 5;
    })) << "moved after OK";
}

// ---- Text output, red (12) on cyan (13): a printed character has red pixels, a printed blank
// only cyan, an untouched cell neither ----

int32_t __cdecl LookAtCell(void* context)
{
    auto* cell = static_cast<POINT*>(context);
    bool red = false, cyan = false;
    for (LONG y = cell->y * runtime.lineHeight; y < (cell->y + 1) * runtime.lineHeight; ++y) {
        for (LONG x = cell->x * runtime.charWidth; x < (cell->x + 1) * runtime.charWidth; ++x) {
            COLORREF pixel = GetPixel(runtime.backBufferDc, x, y);
            red = red || pixel == TextPaletteColour(12);
            cyan = cyan || pixel == TextPaletteColour(13);
        }
    }
    return red ? 'X' : (cyan ? ' ' : '.');
}

// The cells of a row from column on, with an untouched cell on either side where there is room.
std::string Cells(LONG row, LONG column, size_t count)
{
    std::string seen;
    for (LONG c = column > 0 ? column - 1 : 0; c < column + static_cast<LONG>(count) + 1; ++c) {
        POINT cell{c, row};
        seen += static_cast<char>(CallOnGuiThread(reinterpret_cast<const void*>(&LookAtCell),
                                                  {reinterpret_cast<DWORD>(&cell)}));
    }
    return seen;
}

TEST(PrintText, CursorWrapAndPadding)
{
    const std::string full(80, ' ');
    const struct {
        const char* name;
        const char* text;
        int32_t lineEnd, wrap, pad, fieldWidth, columns, startColumn;   // columns 0: narrower than a cell
        int32_t endColumn, rowsDown;
        std::vector<std::string> rows;   // cells from the start column, then from column 0
    } cases[] = {
        {"broken at the right edge", "ABCDEFGHIJKL", 2, 1, 0, 0, 80, 75, 0, 2, {"XXXXX", "XXXXXXX"}},
        {"line end 0 adds a blank", "AB", 0, 0, 0, 0, 80, 3, 6, 0, {"XX "}},
        {"line end 1 stays behind", "AB", 1, 0, 0, 0, 80, 3, 5, 0, {"XX"}},
        {"only CR and LF", "\r\n\r\n", 2, 1, 0, 0, 80, 4, 0, 1, {""}},
        {"padded", "42", 1, 0, 1, 8, 80, 0, 8, 0, {"      XX"}},
        {"beyond the right edge", "ABC", 1, 1, 0, 0, 80, 85, 88, 0, {"XXX"}},
        {"the rest padded again", "ABCDEF", 1, 1, 1, 8, 80, 77, 8, 1, {"  X", "   XXXXX"}},
        {"a field wider than the line", "42", 1, 1, 1, 99, 80, 0, 80, 1, {full, full.substr(2) + "XX"}},
        {"a negative field width", "42", 1, 0, 1, -5, 80, 0, 2, 0, {"XX"}},
        {"narrower than a cell", "ABC", 1, 1, 0, 0, 0, 0, 1, 2, {"X", "X", "X"}},
    };
    SetMainWindowGeometry(0, 0, 760, 560);
    runtime.textColourIndex = 12;
    runtime.textBackColourIndex = 13;
    for (const auto& c : cases) {
        ClearWindow(RGB(255, 255, 255));
        runtime.printFieldWidth = c.fieldWidth;
        runtime.clientWidth = c.columns > 0 ? c.columns * runtime.charWidth : runtime.charWidth - 1;
        runtime.textColumn = c.startColumn;
        runtime.textRow = 1;
        PrintText(c.text, c.lineEnd, c.wrap, c.pad);
        EXPECT_EQ(runtime.textColumn, c.endColumn) << c.name;
        EXPECT_EQ(runtime.textRow, 1 + c.rowsDown) << c.name;
        for (size_t r = 0; r < c.rows.size(); ++r) {
            LONG column = r == 0 ? c.startColumn : 0;
            std::string expected = (column > 0 ? "." : "") + c.rows[r] + ".";
            EXPECT_EQ(Cells(1 + static_cast<LONG>(r), column, c.rows[r].size()), expected) << c.name << ", row " << r;
        }
    }
    runtime.printFieldWidth = 0;
}

// Past the last visible line the window scrolls one line per call, and the back buffer follows.
TEST(PrintText, ScrollsOneLinePerCall)
{
    SetMainWindowGeometry(0, 0, 760, 560);
    ClearWindow(RGB(255, 255, 255));
    int32_t visible = runtime.clientHeight / runtime.lineHeight;
    runtime.textRow = visible - 1;
    PrintText("M", 2, 0, 0);
    PrintText("S", 1, 0, 0);
    EXPECT_EQ(runtime.textRow, visible - 1);
    EXPECT_EQ(Cells(visible - 2, 0, 1), "X.") << "the line above moved up";
    EXPECT_EQ(Cells(visible - 1, 0, 2), "X  ") << "the new last line is blanked";
    runtime.textRow = visible + 2;   // the window was made smaller
    for (int32_t expectedRow : {visible + 1, visible, visible - 1, visible - 1}) {
        PrintText("x", 1, 0, 0);
        EXPECT_EQ(runtime.textRow, expectedRow);
    }
}

// ---- The resources every program on the runtime carries: two German icon groups ----

#pragma pack(push, 2)
struct IconGroup {
    WORD reserved, type, count;
    BYTE width, height, colourCount, unused;
    WORD planes, bitCount;
};
#pragma pack(pop)

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR found)
{
    reinterpret_cast<std::vector<std::string>*>(found)->push_back(IS_INTRESOURCE(name) ? "#" : name);
    return TRUE;
}

BOOL CALLBACK CollectType(HMODULE, LPSTR type, LONG_PTR found)
{
    reinterpret_cast<std::set<ULONG_PTR>*>(found)->insert(reinterpret_cast<ULONG_PTR>(type));
    return TRUE;
}

TEST(Resources, TwoGermanIconGroupsOfOne32By32IconWith16ColoursAndNothingElse)
{
    std::set<ULONG_PTR> types;
    EnumResourceTypesA(nullptr, CollectType, reinterpret_cast<LONG_PTR>(&types));
    EXPECT_EQ(types, (std::set<ULONG_PTR>{reinterpret_cast<ULONG_PTR>(RT_ICON), reinterpret_cast<ULONG_PTR>(RT_GROUP_ICON)}));
    std::vector<std::string> groups;
    EnumResourceNamesA(nullptr, RT_GROUP_ICON, CollectName, reinterpret_cast<LONG_PTR>(&groups));
    EXPECT_EQ(groups, (std::vector<std::string>{"A", "KALMUS"})) << "A comes first: the shell shows it";
    for (const char* name : {"A", "KALMUS"}) {
        HRSRC found = FindResourceExA(nullptr, RT_GROUP_ICON, name, MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
        ASSERT_NE(found, nullptr) << name;
        auto* group = static_cast<const IconGroup*>(LockResource(LoadResource(nullptr, found)));
        EXPECT_TRUE(group->count == 1 && group->width == 32 && group->height == 32 && group->bitCount == 4 &&
                    group->colourCount == 16)
            << name;
    }
    WNDCLASSA info{};
    for (const char* windowClass : {"FENSTER", "DIALOG"})
        EXPECT_TRUE(GetClassInfoA(runtime.instanceHandle, windowClass, &info) && info.hIcon != nullptr) << windowClass;
}

}  // namespace
