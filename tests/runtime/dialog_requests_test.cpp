// The dialog and menu requests against real dialogs: a helper thread finds each modal dialog,
// reads it, types into it and presses its buttons like a user, while the program thread waits
// for the request.
#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "kernel/gui_request.h"
#include "kernel/windowing.h"
#include "support/runtime_test.h"
#include "windows/line_list.h"

namespace {

char* const unwrittenText = reinterpret_cast<char*>(0xFEEDABAD);

std::string TextOf(HWND window)
{
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Posts the request while a user waits (up to 10 s) for the dialog titled title (null: any
// dialog) and drives it; a dialog that does not appear in time is cancelled, so the request
// always ends.
void RequestWithUser(GuiOpcode opcode, void* block, const char* title, const std::function<void(HWND)>& drive)
{
    std::thread user([&] {
        HWND dialog = nullptr;
        for (DWORD start = GetTickCount(); dialog == nullptr && GetTickCount() - start < 10000; Sleep(10)) {
            HWND found = FindWindowA("#32770", title);
            dialog = found != nullptr && IsWindowVisible(found) ? found : nullptr;
        }
        if (dialog != nullptr)
            drive(dialog);
        else
            PostMessageA(FindWindowA("#32770", nullptr), WM_COMMAND, IDCANCEL, 0);
        EXPECT_NE(dialog, nullptr) << title;
    });
    PostGuiRequest(opcode, block);
    user.join();
}

void Press(HWND dialog, int buttonId)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

// Takes the heap block that a dialog handed back.
std::string TakeText(char* block)
{
    if (block == nullptr || block == unwrittenText)
        return "<none>";
    std::string text = block;
    HeapFree(GetProcessHeap(), 0, block);
    return text;
}

void SetLines(const std::vector<std::string>& lines)
{
    ClearLines();
    for (const std::string& line : lines)
        AppendLine(RtString(line.c_str()));
}

std::vector<std::string> Lines()
{
    std::vector<std::string> lines;
    for (const RtString& line : runtime.lineList)
        lines.emplace_back(line.Text(), line.Length());
    return lines;
}

}  // namespace

void PrepareRuntimeTests()
{
    SetWindowStyleFlags(0x0F);
    SetMainWindowGeometry(30, 40, 400, 300);
}

TEST(InputDialog, ShowsPromptAndTextAndHandsBackANewText)
{
    const struct {
        int button;
        const char* typed;
        const char* text;
        LONG dialogResult;
    } cases[] = {{IDOK, "Antwort", "Antwort", 1}, {IDOK, "", "", 1}, {IDCANCEL, "verworfen", "", 2}};
    for (const auto& c : cases) {
        char initial[] = "Vorschlag";
        InputDialogRequest block{"Ihr Name?", "Eingabe", initial};
        std::string prompt, shown;
        RequestWithUser(InputDialogOpcode, &block, "Eingabe", [&](HWND dialog) {
            prompt = TextOf(GetDlgItem(dialog, 100));
            shown = TextOf(GetDlgItem(dialog, 101));
            SetDlgItemTextA(dialog, 101, c.typed);
            Press(dialog, c.button);
        });
        EXPECT_EQ(prompt + "/" + shown, "Ihr Name?/Vorschlag");
        EXPECT_NE(block.text, initial) << "the initial text stays the requester's";
        EXPECT_EQ(TakeText(block.text), c.text) << c.typed;
        EXPECT_EQ(runtime.dialogResult, c.dialogResult) << c.typed;
    }
}

TEST(EditBoxDialog, OkReplacesTheLinesCancelKeepsThemAndAMissingTemplateGivesMinusOne)
{
    const std::string longLine(70000, 'w');   // more than EM_GETLINE's 16-bit capacity
    const struct {
        std::vector<std::string> before;
        const char* shown;       // "Vorgabe" is the template's own text
        std::string typed;
        int button;
        int32_t result;
        std::vector<std::string> after;
    } cases[] = {
        {{"alt", "bleibt"}, "alt\r\nbleibt", longLine + "\r\n\r\nc\r\n", IDOK, 1, {longLine, "", "c", ""}},
        {{"x"}, "x", "", IDOK, 1, {""}},                                 // an edit has one line at least
        {{"alt", "bleibt"}, "alt\r\nbleibt", "verworfen", IDCANCEL, 0, {"alt", "bleibt"}},
        {{}, "Vorgabe", "verworfen", IDCANCEL, 0, {}},
    };
    for (const auto& c : cases) {
        SetLines(c.before);
        EditBoxDialogRequest block{"Zeilen", 1, -7};
        std::string shown;
        RequestWithUser(EditBoxDialogOpcode, &block, "Zeilen", [&](HWND dialog) {
            shown = TextOf(GetDlgItem(dialog, 101));
            SetDlgItemTextA(dialog, 101, c.typed.c_str());
            Press(dialog, c.button);
        });
        std::string name = c.typed.substr(0, 20);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(block.result, c.result) << name;
        EXPECT_TRUE(Lines() == c.after) << name << ": " << Lines().size() << " lines, the first of "
                                        << (Lines().empty() ? 0 : Lines()[0].size());
        EXPECT_EQ(runtime.lastLineIndex, static_cast<LONG>(c.after.size()) - 1) << name;
    }
    EditBoxDialogRequest missing{"Fehlt", 2, -7};   // this module has no "EDITBOX2"
    PostGuiRequest(EditBoxDialogOpcode, &missing);
    EXPECT_EQ(missing.result, -1);
}

TEST(ListBoxDialog, KindsOutsideOneToEightUseListBoxSevenAndHandBackTheChoice)
{
    SetLines({"eins", "zwei", "drei"});
    const struct {
        int32_t kind;
        const char* marker;      // the static text that tells the templates apart
        int selectIndex;         // -1: nothing selected
        int button;              // 0: double click on the selected item
        const char* selection;
        LONG dialogResult;
    } cases[] = {
        {0, "Sieben", 1, IDOK, "zwei", 1}, {9, "Sieben", -1, IDOK, "", 1},
        {1, "Eins", 2, IDCANCEL, "", 2},   {7, "Sieben", 2, 0, "drei", 1},
    };
    for (const auto& c : cases) {
        ListBoxDialogRequest block{"Auswahl", c.kind, unwrittenText};
        std::string marker;
        RequestWithUser(ListBoxDialogOpcode, &block, "Auswahl", [&](HWND dialog) {
            marker = TextOf(GetDlgItem(dialog, 200));
            HWND list = GetDlgItem(dialog, 101);
            SendMessageA(list, LB_SETCURSEL, c.selectIndex, 0);
            if (c.button != 0)
                Press(dialog, c.button);
            else
                SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(101, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
        });
        EXPECT_EQ(marker, c.marker) << "kind " << c.kind;
        EXPECT_EQ(TakeText(block.selection), c.selection) << "kind " << c.kind;
        EXPECT_EQ(runtime.dialogResult, c.dialogResult) << "kind " << c.kind;
    }
    EXPECT_EQ(Lines(), (std::vector<std::string>{"eins", "zwei", "drei"})) << "the list box only reads";
    ListBoxDialogRequest missing{"Fehlt", 2, unwrittenText};   // nor "LISTBOX2"
    PostGuiRequest(ListBoxDialogOpcode, &missing);
    EXPECT_EQ(missing.selection, unwrittenText);
}

TEST(FileDialogs, TheChosenPathOrAnEmptyTextWhenCancelled)
{
    constexpr int fileNameBox = 0x47C;   // the file name field of the system's file dialog
    const struct {
        int32_t save;
        const char* typed;       // null: cancel
        const char* fileName;
    } cases[] = {{1, "C:\\neu", "C:\\neu.avi"}, {1, nullptr, ""}, {0, nullptr, ""}};
    for (const auto& c : cases) {
        char fileName[fileNameCapacity] = "clip.avi";
        char filter[] = "Videos|*.avi";
        FileDialogRequest block{c.save, "Datei", filter, fileName};
        RequestWithUser(FileDialogOpcode, &block, "Datei", [&](HWND dialog) {
            if (c.typed != nullptr)
                SetDlgItemTextA(dialog, fileNameBox, c.typed);
            Press(dialog, c.typed != nullptr ? IDOK : IDCANCEL);
        });
        EXPECT_STREQ(fileName, c.fileName);
    }
    char path[MAX_PATH] = "vorher";
    FolderDialogRequest folder{"Ordner", path};
    InterlockedExchange(&runtime.dialogResult, 7);
    RequestWithUser(FolderDialogOpcode, &folder, nullptr, [](HWND dialog) { Press(dialog, IDCANCEL); });
    EXPECT_STREQ(path, "");
    EXPECT_EQ(runtime.dialogResult, 0);
}

TEST(FillListRequest, SendsEveryTextInOrderAndNothingForAnEmptyList)
{
    CreateControlRequest create{0, WS_CHILD, 0, "LISTBOX", "", 0, 0, 100, 80, runtime.mainWindow, nullptr, nullptr, nullptr};
    PostGuiRequest(CreateControlOpcode, &create);
    std::vector<RtString> empty, texts{"eins", "zwei", "drei"};
    for (std::vector<RtString>* list : {&empty, &texts}) {   // the count adds up
        FillListRequest fill{create.window, LB_ADDSTRING, list};
        PostGuiRequest(FillListOpcode, &fill);
        ASSERT_EQ(SendMessageA(create.window, LB_GETCOUNT, 0, 0), static_cast<LRESULT>(list->size()));
    }
    char text[16] = {};
    SendMessageA(create.window, LB_GETTEXT, 2, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "drei");
}
