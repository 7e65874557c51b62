// The dialog requests, the runtime's dialog procedures and the rich edit streams against real
// dialogs and controls: a helper thread finds each modal dialog, reads it, types into it and
// presses its buttons like a user while the program thread waits for the request.
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "kernel/gui_request.h"
#include "kernel/windowing.h"
#include "support/runtime_test.h"
#include "windows/line_list.h"
#include "windows/rich_edit_streams.h"

void PrepareRuntimeTests()
{
    LoadLibraryA("riched20.dll");
    SetWindowStyleFlags(0x0F);
    SetMainWindowGeometry(30, 40, 400, 300);
}

namespace {

char* const unwrittenText = reinterpret_cast<char*>(0xFEEDABAD);

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

namespace {

const HWND unwrittenWindow = reinterpret_cast<HWND>(0xFEEDABAD);

TEST(DialogRequests, TemplatesByNameOrNumberTheRuntimeDialogsPlaceAndAReportedClose)
{
    for (auto [name, title] : {std::pair<const char*, const char*>{"LDIALOG", "LDIALOG"}, {"77", "Nummer 77"},
                               {"0077", "Nummer 77"}, {"KEINER", nullptr}}) {
        OpenTemplateDialogRequest block{name, runtime.mainWindow, runtime.instanceHandle, unwrittenWindow};
        PostGuiRequest(OpenTemplateDialogOpcode, &block);
        EXPECT_EQ(block.window != nullptr ? TextOf(block.window) : "<none>", title != nullptr ? title : "<none>") << name;
        DestroyByRequest(block.window);
    }
    OpenRuntimeDialogRequest runtimeDialog{"Auswahl", runtime.mainWindow, 40, 50, 300, 200, unwrittenWindow};
    PostGuiRequest(OpenRuntimeDialogOpcode, &runtimeDialog);
    RECT rect{};
    GetWindowRect(runtimeDialog.window, &rect);
    EXPECT_EQ(TextOf(runtimeDialog.window), "Auswahl");
    EXPECT_TRUE(rect.left == 40 && rect.top == 50 && rect.right == 340 && rect.bottom == 250);
    DestroyByRequest(runtimeDialog.window);

    CreateDialogWindowRequest dialogWindow{};
    static_cast<OpenRuntimeDialogRequest&>(dialogWindow) = {"Fenster", nullptr, 60, 60, 240, 160, unwrittenWindow};
    PostGuiRequest(CreateDialogWindowOpcode, &dialogWindow);
    EXPECT_EQ(ClassOf(dialogWindow.window), "DIALOG");
    StoreInterlocked(runtime.eventCode, 0);
    SendMessageA(dialogWindow.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(runtime.eventCode, 2) << "the close is reported";
    EXPECT_TRUE(IsWindow(dialogWindow.window)) << "and not acted on";
    DestroyByRequest(dialogWindow.window);
}

}  // namespace

namespace {

const char richEditClass[] = "RichEdit20A";
const std::string sample = "Zeile eins\r\nGr\xF6\xDF" "e: 42";

std::string TempPath(const char* name)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(sizeof folder, folder);
    return std::string(folder) + name;
}

// The file's bytes, or "<none>" when there is no file.
std::string FileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return file ? std::string(std::istreambuf_iterator<char>(file), {}) : "<none>";
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// How many names the file's folder holds.
int NamesBeside(const std::string& path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path.substr(0, path.rfind('\\') + 1) + "*").c_str(), &found);
    int names = search != INVALID_HANDLE_VALUE;
    while (names > 0 && FindNextFileA(search, &found))
        ++names;
    FindClose(search);
    return names;
}

HWND CreateEdit(const char* className)
{
    return CreateControl(className, WS_CHILD | WS_VISIBLE | ES_MULTILINE, {0, 0, 200, 100});
}

std::string ControlText(HWND control)
{
    std::string text(GetWindowTextLengthA(control) + 1, '\0');
    text.resize(GetWindowTextA(control, &text[0], static_cast<int>(text.size())));
    return text;
}

void SetControlText(HWND control, const std::string& text)
{
    SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(control, EM_SETMODIFY, 1, 0);
}

// "Zeile 0\r\n" to "Zeile 16239\r\n": 200,010 bytes, of which some CR LF pairs straddle the
// 4096-byte blocks in which the control streams.
std::string NumberedLines()
{
    std::string lines;
    for (int n = 0; n < 16240; ++n)
        lines += "Zeile " + std::to_string(n) + "\r\n";
    return lines;
}

TEST(RichEditStreams, PlainTextComesBackByteForByteRichTextWithItsText)
{
    HWND control = CreateEdit(richEditClass);
    std::string original = TempPath("kalmus_lines.txt"), saved = TempPath("kalmus_saved.dat");
    const std::string lines = NumberedLines();
    WriteBytes(original, lines);
    WriteBytes(saved, std::string(300000, 'o'));   // saving replaces what was there
    SetControlText(control, "alt");
    EXPECT_EQ(LoadPlainTextFile(control, original.c_str()), 0);
    EXPECT_EQ(SendMessageA(control, EM_GETMODIFY, 0, 0), 0);
    EXPECT_EQ(SavePlainTextFile(control, saved.c_str()), 0);
    EXPECT_TRUE(FileBytes(saved) == lines) << FileBytes(saved).size() << " bytes instead of " << lines.size();
    for (const std::string& text : {sample, std::string()}) {   // empty: the RTF frame alone
        HWND source = CreateEdit(richEditClass), copy = CreateEdit(richEditClass);
        SetControlText(source, text);
        SetControlText(copy, "alt");
        EXPECT_EQ(SaveRichTextFile(source, saved.c_str()), 0) << text;
        EXPECT_EQ(SendMessageA(source, EM_GETMODIFY, 0, 0), 0) << text;
        EXPECT_EQ(LoadRichTextFile(copy, saved.c_str()), 0) << text;
        EXPECT_EQ(ControlText(copy), text) << text;
    }
    DeleteFileA(original.c_str());
    DeleteFileA(saved.c_str());
}

TEST(RichEditStreams, FailuresGiveASystemCodeAndKeepTheControlAndTheFile)
{
    const char* fullDisk = std::getenv("KINOBLICK_FULL_DISK");
    ASSERT_NE(fullDisk, nullptr) << "KINOBLICK_FULL_DISK names no disk of 64 KiB: scripts/test.sh mounts one";
    std::string folder = TempPath("kalmus_streams\\"), file = folder + "datei.txt";
    CreateDirectoryA(folder.c_str(), nullptr);
    const struct {
        const char* name;
        int32_t (*operation)(HWND, const char*);
        const char* control;      // class, or null for a destroyed window
        std::string path;
        const char* fileBefore;   // null: no file
        std::string text;         // the control's text
        int32_t code;
    } failures[] = {
        {"missing file", LoadPlainTextFile, richEditClass, folder + "fehlt.txt", nullptr, sample, ERROR_FILE_NOT_FOUND},
        {"no folder", SaveRichTextFile, richEditClass, folder + "fehlt\\x.rtf", nullptr, sample, ERROR_PATH_NOT_FOUND},
        {"plain edit control", SavePlainTextFile, "EDIT", file, nullptr, sample, ERROR_INVALID_PARAMETER},
        {"destroyed window", SaveRichTextFile, nullptr, file, nullptr, sample, ERROR_INVALID_PARAMETER},
        {"no rich text", LoadRichTextFile, richEditClass, file, "kein RTF", sample, ERROR_INVALID_DATA},
        {"empty file", LoadPlainTextFile, richEditClass, file, "", sample, ERROR_HANDLE_EOF},
        {"empty control", SavePlainTextFile, richEditClass, file, "alt", "", ERROR_HANDLE_EOF},
        {"full disk", SavePlainTextFile, richEditClass, std::string(fullDisk) + "\\datei.txt", "alt",
         NumberedLines(), ERROR_DISK_FULL},   // more than the disk holds
    };
    for (const auto& failure : failures) {
        DeleteFileA(failure.path.c_str());
        if (failure.fileBefore != nullptr)
            WriteBytes(failure.path, failure.fileBefore);
        int names = NamesBeside(failure.path);
        HWND control = CreateEdit(failure.control != nullptr ? failure.control : richEditClass);
        SetControlText(control, failure.text);
        DestroyWindowRequest destroy{control, 0};
        if (failure.control == nullptr)
            PostGuiRequest(DestroyWindowOpcode, &destroy);
        EXPECT_EQ(failure.operation(control, failure.path.c_str()), failure.code) << failure.name;
        if (failure.control != nullptr) {
            EXPECT_TRUE(ControlText(control) == failure.text) << failure.name << ": " << ControlText(control).size();
            EXPECT_NE(SendMessageA(control, EM_GETMODIFY, 0, 0), 0) << failure.name;
        }
        EXPECT_TRUE(FileBytes(failure.path) == (failure.fileBefore ? failure.fileBefore : "<none>")) << failure.name;
        EXPECT_EQ(NamesBeside(failure.path), names) << failure.name << ": a file left behind";
        DeleteFileA(failure.path.c_str());
    }
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

