// The dialog requests, the runtime's dialogs and the rich edit streams against real dialogs and
// controls: a user thread finds each modal dialog, reads it, types into it and presses its buttons
// while the program thread waits for the request.
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "kernel/windowing.h"
#include "support/runtime_test.h"
#include "windows/line_list.h"
#include "windows/rich_edit_streams.h"

void PrepareRuntimeTests()
{
    LoadLibraryA("riched20.dll");
    SetWindowStyleFlags(0x0F);
    SetMainWindowGeometry(30, 40, 400, 300);
    RunScenarioNamedOnCommandLine({{"richedit", [] {   // a control of another program, until it is ended
        HWND control = CreateControl("RichEdit20A");
        SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("fremd"));
        SendMessageA(control, EM_SETMODIFY, 1, 0);
        SetWindowTextA(runtime.mainWindow, "fremd");
        Sleep(INFINITE);
    }}});
}

namespace {

char* const unwritten = reinterpret_cast<char*>(0xFEEDABAD);

// Posts the request while the user drives the dialog of the title; one that does not appear is
// cancelled, so that the request always ends.
void RequestWithUser(GuiOpcode opcode, void* block, const char* title, const std::function<void(HWND)>& drive)
{
    std::thread user([&] {
        HWND dialog = nullptr;
        for (DWORD start = GetTickCount(); !IsWindowVisible(dialog) && GetTickCount() - start < patience; Sleep(10))
            dialog = FindWindowA("#32770", title);
        EXPECT_TRUE(IsWindowVisible(dialog)) << title;
        IsWindowVisible(dialog) ? drive(dialog) : (void)PostMessageA(FindWindowA("#32770", nullptr), WM_COMMAND, IDCANCEL, 0);
    });
    PostGuiRequest(opcode, block);
    user.join();
}

void Press(HWND dialog, int buttonId)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

std::string TakeText(char* block)   // a text the dialog handed back in a heap block
{
    std::string text = block == nullptr || block == unwritten ? "<none>" : block;
    HeapFree(GetProcessHeap(), 0, block != unwritten ? block : nullptr);
    return text;
}

void SetLines(const std::vector<std::string>& lines)
{
    ClearLines();
    for (const std::string& line : lines)
        AppendLine(RtString::ConstructFromRange(line.data(), 0, static_cast<uint32_t>(line.size())));
}

std::vector<std::string> Lines()
{
    std::vector<std::string> lines;
    for (const RtString& line : runtime.lineList)
        lines.emplace_back(line.Text(), line.Length());
    return lines;
}

// The initial text stays the requester's: the answer comes in a new block.
TEST(ModalDialogs, InputHandsBackANewText)
{
    for (auto [button, typed, result] : {std::tuple<int, const char*, LONG>{IDOK, "Antwort", 1}, {IDOK, "", 1}, {IDCANCEL, "x", 2}}) {
        char initial[] = "Vorschlag";
        InputDialogRequest block{"Ihr Name?", "Eingabe", initial};
        std::string shown;
        RequestWithUser(InputDialogOpcode, &block, "Eingabe", [&, button = button, typed = typed](HWND dialog) {
            shown = WindowText(GetDlgItem(dialog, 100)) + "/" + WindowText(GetDlgItem(dialog, 101));
            SetDlgItemTextA(dialog, 101, typed);
            Press(dialog, button);
        });
        EXPECT_TRUE(shown == "Ihr Name?/Vorschlag" && block.text != initial && runtime.dialogResult == result) << shown;
        EXPECT_EQ(TakeText(block.text), button == IDOK ? typed : "");
    }
}

TEST(ModalDialogs, EditBoxOkReplacesTheLinesCancelKeepsThemAMissingTemplateGivesMinusOne)
{
    const std::string longLine(70000, 'w');   // beyond EM_GETLINE's 16-bit capacity
    std::string manyLines = "Zeile";   // asked for line by line, they would take minutes
    for (int line = 1; line < 250000; ++line)
        manyLines += "\r\nZeile";
    // "Vorgabe" is the template's own text.
    const struct { std::vector<std::string> before; const char* shown; std::string typed; int button; int32_t result;
                   std::vector<std::string> after; } cases[] = {
        {{"alt", "bleibt"}, "alt\r\nbleibt", longLine + "\r\n\r\nc\r\r\nd\r\n", IDOK, 1, {longLine, "", "c", "d", ""}},
        {{"x"}, "x", "", IDOK, 1, {""}},   // an edit control has one line at least
        {{"x"}, "x", manyLines, IDOK, 1, std::vector<std::string>(250000, "Zeile")},
        {{std::string("a\0b", 3), "c"}, "a b\r\nc", "a b\r\nc", IDOK, 1, {"a b", "c"}},   // nothing lost behind a zero byte
        {{}, "Vorgabe", "verworfen", IDCANCEL, 0, {}},
    };
    for (const auto& c : cases) {
        SetLines(c.before);
        EditBoxDialogRequest block{"Zeilen", 1, -7};
        std::string shown;
        RequestWithUser(EditBoxDialogOpcode, &block, "Zeilen", [&](HWND dialog) {
            shown = WindowText(GetDlgItem(dialog, 101));
            SetDlgItemTextA(dialog, 101, c.typed.c_str());
            Press(dialog, c.button);
        });
        EXPECT_TRUE(shown == c.shown && block.result == c.result && Lines() == c.after &&
                    runtime.lastLineIndex == static_cast<LONG>(c.after.size()) - 1) << c.typed.substr(0, 9) << ": " << shown;
    }
    EditBoxDialogRequest missing{"Fehlt", 2, -7};   // no "EDITBOX2" here
    PostGuiRequest(EditBoxDialogOpcode, &missing);
    EXPECT_EQ(missing.result, -1);
}

TEST(ModalDialogs, ListBoxKindsOutsideOneToEightUseSevenAndTheChoiceComesBack)
{
    SetLines({"eins", "zwei", "drei"});
    // The marker: the static text that tells the templates apart; select -1: nothing; button 0: a
    // double click on the selected item.
    const struct { int32_t kind; const char* marker; int select, button; const char* selection; LONG dialogResult; } cases[] = {
        {0, "Sieben", 1, IDOK, "zwei", 1}, {9, "Sieben", -1, IDOK, "", 1}, {1, "Eins", 2, IDCANCEL, "", 2}, {7, "Sieben", 2, 0, "drei", 1}};
    for (const auto& c : cases) {
        ListBoxDialogRequest block{"Auswahl", c.kind, unwritten};
        std::string marker;
        RequestWithUser(ListBoxDialogOpcode, &block, "Auswahl", [&](HWND dialog) {
            marker = WindowText(GetDlgItem(dialog, 200));
            HWND list = GetDlgItem(dialog, 101);
            SendMessageA(list, LB_SETCURSEL, c.select, 0);
            c.button != 0 ? Press(dialog, c.button)
                          : (void)SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(101, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
        });
        EXPECT_TRUE(marker == c.marker && TakeText(block.selection) == c.selection && runtime.dialogResult == c.dialogResult)
            << "kind " << c.kind;
    }
    EXPECT_EQ(Lines(), (std::vector<std::string>{"eins", "zwei", "drei"})) << "the list box only reads";
    ListBoxDialogRequest missing{"Fehlt", 2, unwritten};   // nor "LISTBOX2"
    PostGuiRequest(ListBoxDialogOpcode, &missing);
    EXPECT_EQ(missing.selection, unwritten);
}

TEST(DialogRequests, FileDialogsGiveThePathWithTheDefaultExtensionOrAnEmptyText)
{
    for (auto [save, typed, chosen] : {std::tuple<int32_t, const char*, const char*>{1, "C:\\neu", "C:\\neu.avi"}, {0, "", ""}}) {
        char fileName[fileNameCapacity] = "clip.avi", filter[] = "Videos|*.avi";
        FileDialogRequest block{save, "Datei", filter, fileName};
        RequestWithUser(FileDialogOpcode, &block, "Datei", [typed = typed](HWND dialog) {
            SetDlgItemTextA(dialog, 0x47C, typed);   // the file name field
            Press(dialog, *typed != 0 ? IDOK : IDCANCEL);
        });
        EXPECT_STREQ(fileName, chosen);
    }
}

TEST(DialogRequests, FillListTemplatesByNameOrNumberThePlaceOfTheRuntimeDialogAReportedClose)
{
    std::vector<RtString> texts{"eins", "zwei", "drei"};
    FillListRequest fill{CreateControl("LISTBOX", WS_CHILD, {0, 0, 100, 80}), LB_ADDSTRING, &texts};
    PostGuiRequest(FillListOpcode, &fill);
    EXPECT_EQ(SendMessageA(fill.window, LB_GETCOUNT, 0, 0), 3);
    for (auto [name, title] : {std::pair<const char*, const char*>{"LDIALOG", "LDIALOG"}, {"77", "Nummer 77"},
                               {"0077", "Nummer 77"}, {"KEINER", "<none>"}, {MAKEINTRESOURCEA(78), "<none>"}}) {
        OpenTemplateDialogRequest block{name, runtime.mainWindow, runtime.instanceHandle, nullptr};
        PostGuiRequest(OpenTemplateDialogOpcode, &block);
        EXPECT_EQ(block.window != nullptr ? WindowText(block.window) : "<none>", title) << (IS_INTRESOURCE(name) ? "#" : name);
        DestroyByRequest(block.window);
    }
    OpenRuntimeDialogRequest placed{"Auswahl", runtime.mainWindow, 40, 50, 300, 200, nullptr};
    PostGuiRequest(OpenRuntimeDialogOpcode, &placed);
    RECT rect = Frame(placed.window);
    EXPECT_TRUE(WindowText(placed.window) == "Auswahl" && rect.left == 40 && rect.top == 50 && rect.right == 340 && rect.bottom == 250);
    DestroyByRequest(placed.window);
    CreateDialogWindowRequest dialogWindow{};
    static_cast<OpenRuntimeDialogRequest&>(dialogWindow) = {"Fenster", nullptr, 60, 60, 240, 160, nullptr};
    PostGuiRequest(CreateDialogWindowOpcode, &dialogWindow);
    StoreInterlocked(runtime.eventCode, 0);
    SendMessageA(dialogWindow.window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(ClassOf(dialogWindow.window) == "DIALOG" && runtime.eventCode == 2 && IsWindow(dialogWindow.window))
        << "a close is reported and not acted on";
    DestroyByRequest(dialogWindow.window);
}

// ---- The rich edit streams: round trips through files, and failures that give a system error code
// and keep both the control and the file ----

const char richEdit[] = "RichEdit20A";
const std::string sample = "Zeile eins\r\nGr\xF6\xDF" "e: 42";

std::string FileBytes(const std::string& path)   // "<none>" when there is no file
{
    std::ifstream file(path, std::ios::binary);
    return file ? std::string(std::istreambuf_iterator<char>(file), {}) : "<none>";
}

int NamesBeside(const std::string& path)   // in the file's folder
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path.substr(0, path.rfind('\\') + 1) + "*").c_str(), &found);
    int names = 1;
    while (FindNextFileA(search, &found))   // "." at least was found
        ++names;
    FindClose(search);
    return names;
}

HWND Edit(const char* className, const std::string& text)   // its text marked as changed
{
    HWND control = CreateControl(className, WS_CHILD | WS_VISIBLE | ES_MULTILINE, {0, 0, 200, 100});
    SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(control, EM_SETMODIFY, 1, 0);
    return control;
}

HWND OtherProgramsRichEdit()   // in this test program started again: changed, and idle
{
    HWND control = nullptr;
    WaitFor([&] {
        control = FindWindowExA(FindWindowA("FENSTER", "fremd"), nullptr, richEdit, nullptr);
        return control != nullptr && SendMessageA(control, EM_GETMODIFY, 0, 0) != 0;
    });
    return control;
}

std::string ControlText(HWND control)   // by message: another program's as well
{
    std::string text(SendMessageA(control, WM_GETTEXTLENGTH, 0, 0) + 1, '\0');
    text.resize(SendMessageA(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0])));
    return text;
}

// "Zeile 0\r\n" to "Zeile 16239\r\n": 200,010 bytes, some CR LF pairs across the control's blocks.
std::string NumberedLines()
{
    std::string lines;
    for (int n = 0; n < 16240; ++n)
        lines += "Zeile " + std::to_string(n) + "\r\n";
    return lines;
}

TEST(RichEditStreams, PlainTextComesBackByteForByteRichTextWithItsText)
{
    std::string original = ProgramFolder() + "lines.txt", saved = ProgramFolder() + "saved.dat", lines = NumberedLines();
    std::ofstream(original, std::ios::binary) << lines;
    std::ofstream(saved, std::ios::binary) << std::string(300000, 'o');   // saving replaces it
    HWND control = Edit(richEdit, "alt");
    EXPECT_EQ(LoadPlainTextFile(control, original.c_str()), 0);
    EXPECT_EQ(SendMessageA(control, EM_GETMODIFY, 0, 0), 0);
    EXPECT_EQ(SavePlainTextFile(control, saved.c_str()), 0);
    EXPECT_TRUE(FileBytes(saved) == lines) << FileBytes(saved).size() << " bytes instead of " << lines.size();
    for (const std::string& text : {sample, std::string()}) {   // empty: the RTF frame alone
        HWND source = Edit(richEdit, text), copy = Edit(richEdit, "alt");
        EXPECT_TRUE(SaveRichTextFile(source, saved.c_str()) == 0 && SendMessageA(source, EM_GETMODIFY, 0, 0) == 0);
        EXPECT_EQ(LoadRichTextFile(copy, saved.c_str()), 0);
        EXPECT_EQ(ControlText(copy), text);
    }
}

TEST(RichEditStreams, FailuresGiveASystemCodeAndKeepTheControlAndTheFile)
{
    const char* fullDisk = std::getenv("KINOBLICK_FULL_DISK");
    ASSERT_NE(fullDisk, nullptr) << "KINOBLICK_FULL_DISK names no disk of 64 KiB: scripts/test.sh mounts one";
    std::string folder = ProgramFolder() + "streams\\", file = folder + "datei.txt";
    CreateDirectoryA(folder.c_str(), nullptr);
    // control: a class, null for a destroyed window, "" for another program's; fileBefore null: no file.
    const struct { const char* name; int32_t (*operation)(HWND, const char*); const char* control; std::string path;
                   const char* fileBefore; std::string text; int32_t code; } failures[] = {
        {"missing file", LoadPlainTextFile, richEdit, folder + "fehlt.txt", nullptr, sample, ERROR_FILE_NOT_FOUND},
        {"no folder", SaveRichTextFile, richEdit, folder + "fehlt\\x.rtf", nullptr, sample, ERROR_PATH_NOT_FOUND},
        {"plain edit control", SavePlainTextFile, "EDIT", file, nullptr, sample, ERROR_INVALID_PARAMETER},
        {"destroyed window", SaveRichTextFile, nullptr, file, nullptr, sample, ERROR_INVALID_PARAMETER},
        {"another program's control", LoadPlainTextFile, "", file, "neu", "fremd", ERROR_INVALID_PARAMETER},
        {"no rich text", LoadRichTextFile, richEdit, file, "kein RTF", sample, ERROR_INVALID_DATA},
        {"empty file", LoadPlainTextFile, richEdit, file, "", sample, ERROR_HANDLE_EOF},
        {"empty control", SavePlainTextFile, richEdit, file, "alt", "", ERROR_HANDLE_EOF},
        {"full disk", SavePlainTextFile, richEdit, fullDisk + std::string("\\datei.txt"), "alt", NumberedLines(), ERROR_DISK_FULL},
    };
    for (const auto& failure : failures) {
        DeleteFileA(failure.path.c_str());
        if (failure.fileBefore != nullptr)
            std::ofstream(failure.path, std::ios::binary) << failure.fileBefore;
        int names = NamesBeside(failure.path);
        bool foreign = failure.control != nullptr && *failure.control == 0;
        ChildProcess other(foreign ? "\"" + ThisProgram() + "\" richedit" : "");   // ended at the end of the round
        HWND control = foreign ? OtherProgramsRichEdit() : Edit(failure.control ? failure.control : richEdit, failure.text);
        if (failure.control == nullptr)
            DestroyByRequest(control);
        EXPECT_EQ(failure.operation(control, failure.path.c_str()), failure.code) << failure.name;
        EXPECT_TRUE(failure.control == nullptr || (ControlText(control) == failure.text && SendMessageA(control, EM_GETMODIFY, 0, 0)))
            << failure.name << ": the control changed";
        EXPECT_TRUE(FileBytes(failure.path) == (failure.fileBefore ? failure.fileBefore : "<none>") &&
                    NamesBeside(failure.path) == names) << failure.name << ": the file changed, or one was left behind";
        DeleteFileA(failure.path.c_str());
    }
}

}  // namespace
