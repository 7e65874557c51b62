// The window requests against real windows: the main window created with style flags 0 and a
// negative position, control identifiers, the control-font rule, dialogs by name and number,
// out-of-range opcodes, and handle counts over many create and destroy cycles.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include <string>

#include "kernel/gui_request.h"
#include "kernel/program_thread.h"
#include "kernel/runtime_state.h"
#include "kernel/windowing.h"
#include "services/runtime_errors.h"
#include "support/gui_probe.h"
#include "support/runtime_test.h"

namespace {

const HWND unwritten = reinterpret_cast<HWND>(0xFEEDABAD);

CreateControlRequest ControlBlock(const char* className, int32_t useGivenId = 0, int id = 0)
{
    return CreateControlRequest{useGivenId, WS_CHILD | WS_VISIBLE, 0, className, "", 10, 10, 60, 20,
                                runtime.mainWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                runtime.instanceHandle, unwritten};
}

HWND CreateControl(const char* className, int32_t useGivenId = 0, int id = 0)
{
    CreateControlRequest block = ControlBlock(className, useGivenId, id);
    PostGuiRequest(CreateControlOpcode, &block);
    return block.window;
}

void DestroyByRequest(HWND window)
{
    DestroyWindowRequest block{window, -1};
    PostGuiRequest(DestroyWindowOpcode, &block);
}

std::string TextOf(HWND window)
{
    char text[128] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

BOOL CALLBACK CountWindow(HWND, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// Windows of the process that still exist: the main window's children and the top-level ones.
int LiveWindows()
{
    int count = 0;
    EnumChildWindows(runtime.mainWindow, CountWindow, reinterpret_cast<LPARAM>(&count));
    EnumThreadWindows(runtime.guiThreadId, CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

// What the runtime reported when the window procedure returned from WM_CLOSE, noted on the GUI
// thread before it handles anything else: the mouse may bring WM_SETCURSOR right after.
struct CloseSeen {
    HWND window;
    bool returned;
    LONG eventCode;
    UINT lastEventMessage;
};
CloseSeen closeSeen{};

LRESULT CALLBACK NoteClose(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_CLOSE && call->hwnd == closeSeen.window)
        closeSeen = CloseSeen{call->hwnd, true, runtime.eventCode, static_cast<UINT>(runtime.lastEvent.message)};
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

TEST(MainWindowCreation, StyleFlagsZeroAndANegativePositionWarnOnceAndShowAnOverlappedWindow)
{
    runtime.errorMode = 1;
    SetWindowStyleFlags(0x10);
    SetWindowStyleFlags(0);
    EXPECT_EQ(runtime.noMenu, 1) << "sticky";
    EXPECT_EQ(runtime.mainWindowStyle, 0x2000u);
    MessageBoxAnswerer answer(IDOK);
    SetMainWindowGeometry(-1, 20, 320, 240);
    MessageBoxSeen box = answer.Result();
    EXPECT_TRUE(box.found);
    EXPECT_EQ(box.caption.find("Negative Fenstergr\xF6\xDF" "e!") != std::string::npos, true) << box.caption;
    EXPECT_EQ(runtime.lastErrorCode, 223);
    HWND window = runtime.mainWindow;
    ASSERT_TRUE(IsWindow(window));
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_VISIBLE) << "shown by the request";
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION) << "the system gives an overlapped window a caption";
    EXPECT_EQ(style & 0x2000, 0x2000);
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, -1);
    EXPECT_EQ(GetMenu(window), nullptr);
}

TEST(MainWindowCreation, ANegativePositionIsSilentInErrorModeMinusOne)
{
    runtime.errorMode = -1;
    InterlockedExchange(&runtime.lastErrorCode, 0);
    SetMainWindowGeometry(-5, -5, 300, 200);
    EXPECT_EQ(runtime.lastErrorCode, 223);
    EXPECT_EQ(CountMessageBoxes(), 0);
    runtime.errorMode = 1;
    SetMainWindowGeometry(0, 0, 320, 240);
}

TEST(ControlRequests, IdentifiersCountFrom1000AndGivenIdsConsumeNone)
{
    HWND first = CreateControl("BUTTON");
    HWND second = CreateControl("BUTTON");
    HWND given = CreateControl("BUTTON", 1, 77);
    HWND third = CreateControl("BUTTON");
    EXPECT_EQ(GetDlgCtrlID(first), 1000);
    EXPECT_EQ(GetDlgCtrlID(second), 1001);
    EXPECT_EQ(GetDlgCtrlID(given), 77);
    EXPECT_EQ(GetDlgCtrlID(third), 1002);

    LONG next = runtime.nextControlId;
    CreateUpDownRequest upDown{100, 10, 20, 20, runtime.mainWindow, first, 10, 0, 5};
    PostGuiRequest(CreateUpDownOpcode, &upDown);
    CreateStatusBarRequest status{runtime.mainWindow, "Bereit", unwritten};
    PostGuiRequest(CreateStatusBarOpcode, &status);
    CreateTabControlRequest tab{};
    static_cast<CreateControlRequest&>(tab) = ControlBlock(WC_TABCONTROLA);
    tab.windowName = "Erste";
    tab.width = 200;
    tab.height = 100;
    PostGuiRequest(CreateTabControlOpcode, &tab);
    EXPECT_EQ(runtime.nextControlId, next + 3) << "up-down, status bar and tab control take one each";
    EXPECT_EQ(GetDlgCtrlID(status.window), next + 1);
    EXPECT_EQ(GetDlgCtrlID(tab.window), next + 2);
    EXPECT_EQ(TextOf(status.window), "Bereit");
    EXPECT_EQ(SendMessageA(tab.window, TCM_GETITEMCOUNT, 0, 0), 1);
    char tabText[16] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = tabText;
    item.cchTextMax = sizeof tabText;
    SendMessageA(tab.window, TCM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(tabText, "Erste");

    CreateToolTipRequest tip{runtime.mainWindow, first, "Hinweis", unwritten};
    PostGuiRequest(CreateToolTipOpcode, &tip);
    ASSERT_NE(tip.window, nullptr);
    EXPECT_EQ(ClassOf(tip.window), TOOLTIPS_CLASSA);
    EXPECT_EQ(SendMessageA(tip.window, TTM_GETTOOLCOUNT, 0, 0), 1);

    for (HWND window : {first, second, given, third, status.window, tab.window, tip.window})
        DestroyByRequest(window);
}

TEST(ControlRequests, TheFontModeDecidesWhatFontANewControlGets)
{
    HFONT standard = CreateFontA(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    runtime.standardFont = standard;
    const struct {
        LONG mode;
        WPARAM font;
    } cases[] = {{0, 0}, {-3, 0}, {1, reinterpret_cast<WPARAM>(standard)}, {5, 5}};
    for (const auto& c : cases) {
        runtime.controlFontMode = c.mode;
        HWND button = CreateControl("BUTTON");
        EXPECT_EQ(static_cast<WPARAM>(SendMessageA(button, WM_GETFONT, 0, 0)), c.font) << "mode " << c.mode;
        DestroyByRequest(button);
    }
    runtime.controlFontMode = 0;
}

TEST(DialogRequests, TemplatesAreFoundByNameThenByTheNumberTheNameSpells)
{
    const struct {
        const char* name;
        const char* title;   // null: no dialog
    } cases[] = {{"LDIALOG", "LDIALOG"}, {"77", "Nummer 77"}, {"0077", "Nummer 77"}, {"KEINER", nullptr}};
    for (const auto& c : cases) {
        OpenTemplateDialogRequest block{c.name, runtime.mainWindow, runtime.instanceHandle, unwritten};
        PostGuiRequest(OpenTemplateDialogOpcode, &block);
        if (c.title == nullptr) {
            EXPECT_EQ(block.window, nullptr) << c.name;
            continue;
        }
        ASSERT_NE(block.window, nullptr) << c.name;
        EXPECT_EQ(TextOf(block.window), c.title);
        EXPECT_TRUE(IsWindowVisible(block.window));
        DestroyByRequest(block.window);
    }
}

TEST(DialogRequests, TheRuntimeDialogTakesTitleAndPlaceFromTheRequest)
{
    OpenRuntimeDialogRequest block{"Auswahl", runtime.mainWindow, 40, 50, 300, 200, unwritten};
    PostGuiRequest(OpenRuntimeDialogOpcode, &block);
    ASSERT_NE(block.window, nullptr);
    EXPECT_EQ(TextOf(block.window), "Auswahl");
    RECT rect{};
    GetWindowRect(block.window, &rect);
    EXPECT_EQ(rect.left, 40);
    EXPECT_EQ(rect.top, 50);
    EXPECT_EQ(rect.right - rect.left, 300);
    EXPECT_EQ(rect.bottom - rect.top, 200);
    DestroyByRequest(block.window);
}

TEST(DialogRequests, ADialogWindowReportsACloseRequestAndStaysOpen)
{
    CreateDialogWindowRequest block{};
    static_cast<OpenRuntimeDialogRequest&>(block) = {"Fenster", nullptr, 60, 60, 240, 160, unwritten};
    PostGuiRequest(CreateDialogWindowOpcode, &block);
    ASSERT_NE(block.window, nullptr);
    EXPECT_EQ(ClassOf(block.window), "DIALOG");
    EXPECT_EQ(TextOf(block.window), "Fenster");
    InterlockedExchange(&runtime.eventCode, 0);
    closeSeen = CloseSeen{block.window, false, 0, 0};
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, NoteClose, nullptr, runtime.guiThreadId);
    ASSERT_NE(hook, nullptr);
    SendMessageA(block.window, WM_CLOSE, 0, 0);
    UnhookWindowsHookEx(hook);
    ASSERT_TRUE(closeSeen.returned);
    EXPECT_EQ(closeSeen.eventCode, 2);
    EXPECT_EQ(closeSeen.lastEventMessage, static_cast<UINT>(WM_CLOSE));
    EXPECT_TRUE(IsWindow(block.window));
    DestroyByRequest(block.window);
    EXPECT_FALSE(IsWindow(block.window));
}

TEST(RequestProtocol, OpcodesOutsideTheRangeNeitherActNorSignal)
{
    for (WPARAM wParam : {requestBase - 1, requestBase + lastOpcode + 1}) {
        CreateControlRequest block = ControlBlock("BUTTON");
        LONG next = runtime.nextControlId;
        PostThreadMessageA(runtime.guiThreadId, requestMessage, wParam, reinterpret_cast<LPARAM>(&block));
        DestroyWindowRequest marker{nullptr, -1};   // carried out after the bad one
        PostGuiRequest(DestroyWindowOpcode, &marker);
        EXPECT_EQ(block.window, unwritten) << std::hex << wParam;
        EXPECT_EQ(runtime.nextControlId, next);
        EXPECT_EQ(WaitForSingleObject(runtime.requestDoneEvent, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    }
}

// The "DIALOG" windows are made children of the main window here: the emulator's display
// driver waits two seconds for every top-level window it unmaps without a window manager.
TEST(Resources, ThousandCyclesOfControlsAndDialogWindowsLeaveTheHandleCountsFlat)
{
    DWORD savedStyle = runtime.mainWindowStyle;
    runtime.mainWindowStyle = WS_CHILD | WS_VISIBLE | 0x2000;
    auto cycle = [] {
        DestroyByRequest(CreateControl("BUTTON"));
        CreateDialogWindowRequest dialog{};
        static_cast<OpenRuntimeDialogRequest&>(dialog) = {"Fenster", runtime.mainWindow, 6, 6, 200, 100, unwritten};
        PostGuiRequest(CreateDialogWindowOpcode, &dialog);
        DestroyByRequest(dialog.window);
    };
    for (int warmUp = 0; warmUp < 20; ++warmUp)
        cycle();
    DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    DWORD userBefore = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    int windowsBefore = LiveWindows();
    for (int round = 0; round < 1000; ++round)
        cycle();
    DWORD gdiAfter = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    DWORD userAfter = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    int windowsAfter = LiveWindows();
    // The emulator answers 0 for both counts; the windows still alive show leaks there too.
    std::printf("GDI objects %lu -> %lu, user objects %lu -> %lu, windows %d -> %d\n", gdiBefore, gdiAfter,
                userBefore, userAfter, windowsBefore, windowsAfter);
    EXPECT_EQ(windowsAfter, windowsBefore);
    EXPECT_LE(gdiAfter, gdiBefore + 4);
    EXPECT_LE(userAfter, userBefore + 4);
    runtime.mainWindowStyle = savedStyle;
}
