// The main window as the player makes it (style flags 0x70, the whole screen), its procedure fed
// with real messages and real keys, the window commands read back from pixels, text output cell by
// cell.
#include <string>
#include <vector>

#include "kernel/windowing.h"
#include "services/window_commands.h"
#include "support/runtime_test.h"
#include "windows/text_output.h"

namespace {

constexpr LONG sentinel = static_cast<LONG>(0xFEEDABAD);
PulseWatcher* watchers[4];   // anyInputEvent, keyOrWindowEvent, characterEvent, mouseOrCommandEvent
enum Pulse { Any = 1, KeyOrWindow = 2, Character = 4, MouseOrCommand = 8, Help = 16 };
using Fields = std::initializer_list<std::pair<volatile LONG*, LONG>>;

volatile LONG* const inputFields[] = {&runtime.lastKey,      &runtime.eventCode,       &runtime.menuItem,
                                      &runtime.lastCommandId, &runtime.focusWindow,     &runtime.mouseX,
                                      &runtime.mouseY,       &runtime.mouseButtonDown, &runtime.lastMouseButton,
                                      &runtime.notifyCode,   &runtime.notifyWindow,    &runtime.notifyPending,
                                      &runtime.tabChanged,   &runtime.tabWindow};

// The input, then each event pulsed as often as expected (a help request pulses two of them once
// more), and the fields not named left at the sentinel.
template <typename Input>
void ExpectReport(Input input, int pulses, Fields fields, int line)
{
    for (volatile LONG* field : inputFields)
        StoreInterlocked(*field, sentinel);
    int before[4];
    for (int i = 0; i < 4; ++i)
        before[i] = watchers[i]->Arm();
    input();
    for (int i = 0; i < 4; ++i) {
        int wanted = ((pulses >> i) & 1) + ((pulses & Help) && i < 2 ? 1 : 0);
        watchers[i]->WaitForCount(before[i] + wanted);
        EXPECT_EQ(watchers[i]->Count() - before[i], wanted) << "event " << i << ", line " << line;
    }
    for (volatile LONG* field : inputFields) {
        LONG expected = sentinel;
        for (const auto& [written, value] : fields)
            expected = written == field ? value : expected;
        EXPECT_EQ(*field, expected) << "line " << line << ", field " << (field - inputFields[0]);
    }
}

}  // namespace

void PrepareRuntimeTests()
{
    HANDLE events[] = {runtime.anyInputEvent, runtime.keyOrWindowEvent, runtime.characterEvent, runtime.mouseOrCommandEvent};
    for (int i = 0; i < 4; ++i)
        watchers[i] = new PulseWatcher(events[i]);
    SetWindowStyleFlags(0x70);
    SetMainWindowGeometry(0, 0, runtime.screenWidth, runtime.screenHeight);
}

namespace {

TEST(MainWindowProcedure, MessagesSetTheInputFieldsAndPulseTheEvents)
{
    HWND button = CreateControl("BUTTON");
    LONG id = GetDlgCtrlID(button), control = reinterpret_cast<LONG>(button);
    NMHDR customDraw{button, 1, static_cast<UINT>(-12)}, tabChange{button, 1, static_cast<UINT>(-551)};
    NMHDR click{button, 1, static_cast<UINT>(-2)}, hotItem{button, 1, static_cast<UINT>(-1249)};
    HELPINFO help{sizeof(HELPINFO), HELPINFO_WINDOW, 7, button, 0, {0, 0}};
    const struct { UINT message; WPARAM wParam; LPARAM lParam; int pulses; Fields fields; } cases[] = {
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
        {WM_COMMAND, MAKEWPARAM(id, EN_KILLFOCUS), control, Any | MouseOrCommand, {{&runtime.menuItem, -id}, {&runtime.lastCommandId, id}}},
        {WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&customDraw), Any,
         {{&runtime.notifyCode, -12}, {&runtime.notifyWindow, control}, {&runtime.notifyPending, 1}}},
        {WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&tabChange), Any,
         {{&runtime.notifyCode, -551}, {&runtime.notifyWindow, control}, {&runtime.notifyPending, 1}, {&runtime.tabChanged, 1},
          {&runtime.tabWindow, control}}},
        {WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&click), Any,
         {{&runtime.notifyCode, -2}, {&runtime.notifyWindow, control}, {&runtime.notifyPending, 1}}},
        {WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&hotItem), 0, {}},
        {WM_HELP, 0, reinterpret_cast<LPARAM>(&help), KeyOrWindow | Any, {{&runtime.focusWindow, -control}, {&runtime.eventCode, 5}}},
        {WM_SIZE, SIZE_MAXIMIZED, 0, KeyOrWindow | Any, {{&runtime.eventCode, 4}}},
        {WM_SIZE, SIZE_MAXSHOW, 0, 0, {}},
    };
    int line = 0;
    for (const auto& c : cases) {
        ExpectReport([&] { SendMessageA(runtime.mainWindow, c.message, c.wParam, c.lParam); }, c.pulses, c.fields, ++line);
        bool movesFocus = c.wParam == MAKEWPARAM(id, BN_CLICKED) || (c.message >= WM_LBUTTONDOWN && c.message <= WM_MBUTTONDOWN);
        EXPECT_TRUE(movesFocus || (static_cast<UINT>(runtime.lastEvent.message) == c.message &&   // else recorded last
                                   runtime.lastEvent.wParam == static_cast<LONG>(c.wParam))) << "line " << line;
    }
    DestroyByRequest(button);
}

TEST(MainWindowProcedure, RealKeysGiveTheKeyItsCharacterAndTheEventsAtItsEnd)
{
    SetForegroundWindow(runtime.mainWindow);
    FocusWindow(runtime.mainWindow);
    const int atTheEnd = KeyOrWindow | Character | Any;
    const struct { WORD key; LONG eventCode; int pulses; } cases[] = {{'A', 'a', atTheEnd}, {VK_ESCAPE, 27, atTheEnd}, {VK_RIGHT, 0, atTheEnd}, {VK_SHIFT, 0, atTheEnd},
                 {VK_F1, 5, atTheEnd | Help}};
    int line = 0;
    for (const auto& c : cases) {
        LONG focus = c.key == VK_F1 ? -reinterpret_cast<LONG>(runtime.mainWindow) : sentinel;   // the help item
        ExpectReport([&] { TypeKey(c.key); }, c.pulses,
                     {{&runtime.lastKey, c.key}, {&runtime.eventCode, c.eventCode}, {&runtime.focusWindow, focus}}, ++line);
    }
}

// ---- The window commands ----

// The colour forms themselves are the unit tests' (MakeColor); the back buffer paints the window.
TEST(WindowCommands, ClearWindowFillsWindowAndBackBufferWhichRepaintsTheWindow)
{
    const struct { LONG trueColor; int32_t red, green, blue; COLORREF shown; } cases[] = {
        {1, 300, 16, -1, RGB(255, 16, 255)}, {0, 40, 10, 31, RGB(255, 82, 255)}, {0, 16, 1, 0, RGB(131, 8, 0)}};
    for (const auto& c : cases) {
        SetTrueColorMode(c.trueColor);
        runtime.textColumn = 7;
        ClearWindow(MakeColor(c.red, c.green, c.blue));
        EXPECT_TRUE(PixelOnGuiThread(runtime.backBufferDc, 0, 0) == c.shown && PixelOnGuiThread(runtime.windowDc, 2, 2) == c.shown &&
                    PixelOnGuiThread(runtime.backBufferDc, runtime.screenWidth - 1, runtime.screenHeight - 1) == c.shown &&
                    runtime.textColumn == 0) << c.red << " " << c.green << " " << c.blue;
    }
    for (LONG mode : {0, 1}) {
        SetTrueColorMode(mode);
        ClearWindowToSystemColor();
        EXPECT_EQ(PixelOnGuiThread(runtime.backBufferDc, 3, 3), GetSysColor(COLOR_WINDOW)) << "as it is, in mode " << mode;
    }
    RECT square{200, 200, 260, 260};   // into the back buffer only, then a window over it goes
    CallOnGuiThread(reinterpret_cast<const void*>(&FillRect), {reinterpret_cast<DWORD>(runtime.backBufferDc),
                    reinterpret_cast<DWORD>(&square), reinterpret_cast<DWORD>(GetStockObject(BLACK_BRUSH))});
    EXPECT_NE(PixelOnGuiThread(runtime.windowDc, 230, 230), 0u);
    DestroyByRequest(CreateControl("STATIC", WS_CHILD | WS_VISIBLE | SS_WHITERECT, {180, 180, 280, 280}));
    EXPECT_TRUE(WaitFor([] { return PixelOnGuiThread(runtime.windowDc, 230, 230) == 0; }));
}

bool StandsAbove(HWND upper, HWND lower)
{
    HWND below = upper;
    while ((below = GetWindow(below, GW_HWNDNEXT)) != nullptr && below != lower)
        continue;
    return below == lower;
}

int32_t __cdecl ClientWidthNow(void*)
{
    RECT client{};
    GetClientRect(runtime.mainWindow, &client);
    return client.right;
}

// Against another window of the GUI thread. The emulator neither moves a window down for the
// bottom code nor clears its topmost flag there: that code is checked without its order.
TEST(WindowCommands, PlacementZOrderTitleAndTheRecordedClientSize)
{
    HWND window = runtime.mainWindow;
    DWORD savedStyle = runtime.mainWindowStyle;
    runtime.mainWindowStyle = WS_POPUP | WS_VISIBLE;
    HWND other = CreateDialogWindow("andere", nullptr, {300, 300, 500, 400});
    runtime.mainWindowStyle = savedStyle;
    const struct { bool raiseOtherFirst; int32_t zOrder; bool topmost, above; } steps[] = {{false, -1, true, true}, {true, 0, true, true},   {false, 2, true, true},   {false, -2, false, true},
                 {true, 0, false, false}, {false, 2, false, true}, {false, 1, false, false}, {false, -1, true, true}};
    int x = 10;
    for (const auto& step : steps) {
        if (step.raiseOtherFirst)
            SetWindowPos(other, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        PlaceWindow(window, x += 10, 20, 400, 300, step.zOrder);
        EXPECT_TRUE(WaitFor([&] {
            bool topmost = (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
            return Frame(window).left == x && Frame(window).right == x + 400 && topmost == step.topmost &&
                   (step.zOrder == 1 || StandsAbove(window, other) == step.above);
        })) << "z-order code " << step.zOrder << " at x " << x;
    }
    DestroyByRequest(other);
    EXPECT_EQ(WindowText(window), "Kalmuswerk-Fenster");
    SetWindowTitle("Kinoblick \xC4\xF6");
    EXPECT_EQ(WindowText(window), "Kinoblick \xC4\xF6");
    SetMainWindowGeometry(0, 0, 500, 300);   // text output wraps by the recorded width
    EXPECT_EQ(runtime.clientWidth, CallOnGuiThread(reinterpret_cast<const void*>(&ClientWidthNow)));
    CallOnGuiThread(reinterpret_cast<const void*>(&SetWindowPos),   // as the user's sizing would
                    {reinterpret_cast<DWORD>(window), 0, 0, 0, 420, 300, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE});
    EXPECT_EQ(runtime.clientWidth, CallOnGuiThread(reinterpret_cast<const void*>(&ClientWidthNow)));
    auto answer = AnswerBox(IDOK);
    PlaceWindow(window, -1, 5, 760, 560, 0);
    EXPECT_EQ(answer.get().caption, "Negative Fenstergr\xF6\xDF" "e!");
    EXPECT_TRUE(WaitFor([&] { return Frame(window).left == -1 && Frame(window).top == 5; })) << "moved after OK";
}

// ---- Text output, red (12) on cyan (13): a printed character has red pixels, a printed blank
// only cyan, an untouched cell neither ----

int32_t __cdecl LookAtCell(void* context)
{
    auto* cell = static_cast<POINT*>(context);
    bool red = false, cyan = false;
    for (LONG y = cell->y * runtime.lineHeight; y < (cell->y + 1) * runtime.lineHeight; ++y) {
        for (LONG x = cell->x * runtime.charWidth; x < (cell->x + 1) * runtime.charWidth; ++x) {
            red = red || GetPixel(runtime.backBufferDc, x, y) == TextPaletteColour(12);
            cyan = cyan || GetPixel(runtime.backBufferDc, x, y) == TextPaletteColour(13);
        }
    }
    return red ? 'X' : (cyan ? ' ' : '.');
}

std::string Cells(LONG row, LONG first, LONG last)
{
    std::string seen;
    for (POINT cell{first, row}; cell.x <= last; ++cell.x)
        seen += static_cast<char>(CallOnGuiThread(reinterpret_cast<const void*>(&LookAtCell), {reinterpret_cast<DWORD>(&cell)}));
    return seen;
}

TEST(PrintText, CursorWrapPaddingAndScrolling)
{
    const std::string line(80, ' ');
    // columns 0: narrower than a cell; rows: the cells around the text, its first row from the start
    // column (from the left edge for a start at 2^31 - 1).
    const struct { const char* name; const char* text; int32_t lineEnd, wrap, pad, fieldWidth, columns, startColumn, endColumn,
                   rowsDown; std::vector<std::string> rows; } cases[] = {
        {"broken at the right edge", "ABCDEFGHIJKL", 2, 1, 0, 0, 80, 75, 0, 2, {".XXXXX", "XXXXXXX."}},
        {"line end 0 adds a blank", "AB", 0, 0, 0, 0, 80, 3, 6, 0, {".XX ."}},
        {"line end 1 stays behind", "AB", 1, 0, 0, 0, 80, 3, 5, 0, {".XX."}},
        {"only CR and LF", "\r\n\r\n", 2, 1, 0, 0, 80, 4, 0, 1, {".."}},
        {"padded", "42", 1, 0, 1, 8, 80, 0, 8, 0, {"      XX."}},
        {"beyond the right edge", "ABC", 1, 1, 0, 0, 80, 85, 88, 0, {".XXX."}},
        {"the rest padded again", "ABCDEF", 1, 1, 1, 8, 80, 77, 8, 1, {".  X", "   XXXXX."}},
        {"a field wider than the line", "42", 1, 1, 1, 99, 80, 0, 80, 1, {line + ".", line.substr(2) + "XX."}},
        {"a negative field width", "42", 1, 0, 1, -5, 80, 0, 2, 0, {"XX."}},
        {"a field of 2^31 - 1 without wrap", "42", 0, 0, 1, INT32_MAX, 80, 5, INT32_MAX, 0, {".      "}},
        {"at column 2^31 - 1: nothing shows", "AB", 0, 0, 0, 0, 80, INT32_MAX, INT32_MAX, 0, {".."}},
        {"narrower than a cell", "ABC", 1, 1, 0, 0, 0, 0, 1, 2, {"X.", "X.", "X."}},
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
        EXPECT_TRUE(runtime.textColumn == c.endColumn && runtime.textRow == 1 + c.rowsDown) << c.name;
        for (size_t r = 0; r < c.rows.size(); ++r) {
            LONG first = r == 0 && c.startColumn > 0 && c.startColumn < INT32_MAX ? c.startColumn - 1 : 0;
            EXPECT_EQ(Cells(1 + r, first, first + c.rows[r].size() - 1), c.rows[r]) << c.name << ", row " << r;
        }
    }
    runtime.printFieldWidth = 0;
    SetMainWindowGeometry(0, 0, 760, 560);   // past the last line one line scrolls per call
    ClearWindow(RGB(255, 255, 255));
    int32_t visible = runtime.clientHeight / runtime.lineHeight;
    runtime.textRow = visible - 1;
    PrintText("M", 2, 0, 0);
    PrintText("S", 1, 0, 0);
    EXPECT_EQ(Cells(visible - 2, 0, 1) + Cells(visible - 1, 0, 2), "X.X  ") << "moved up; the last line blanked";
    runtime.textRow = visible + 2;   // the window was made smaller
    for (int32_t row : {visible + 1, visible, visible - 1, visible - 1}) {
        PrintText("x", 1, 0, 0);
        EXPECT_EQ(runtime.textRow, row);
    }
    runtime.printFieldWidth = INT32_MAX;   // a window of blank lines rather than 2^31 blanks, then the text
    PrintText("42", 1, 1, 1);
    int32_t columns = runtime.clientWidth / runtime.charWidth;
    EXPECT_TRUE(runtime.textRow == visible - 1 && runtime.textColumn == columns &&
                Cells(visible - 1, columns - 3, columns - 1) == " XX");
    runtime.printFieldWidth = 0;
}

}  // namespace
