// The dialog requests, the runtime's dialogs and the rich edit streams against real dialogs and
// controls: a user thread finds each modal dialog, reads it, types into it and presses its buttons
// while the program thread waits for the request.
#include <richedit.h>

#include <cstdlib>
#include <cstring>
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
    HWND dialogWindow = CreateDialogWindow("Fenster", nullptr, {60, 60, 300, 220});
    StoreInterlocked(runtime.eventCode, 0);
    SendMessageA(dialogWindow, WM_CLOSE, 0, 0);
    EXPECT_TRUE(ClassOf(dialogWindow) == "DIALOG" && runtime.eventCode == 2 && IsWindow(dialogWindow))
        << "a close is reported and not acted on";
    DestroyByRequest(dialogWindow);
}

// ---- The rich edit streams, run as an ordinary user: what loads and saves keep, and their failures ----

const char richEdit[] = "RichEdit20W";   // its text set and read as Unicode
const char plainTextMode[] = "RichEdit20W in plain text mode";
const std::wstring sample = L"Zeile eins\r\nGröße: 42", greek = L"αβγ Entwurf";

std::string FileBytes(const std::string& path)   // "<none>" when there is no file
{
    std::ifstream file(path, std::ios::binary);
    return file ? std::string(std::istreambuf_iterator<char>(file), {}) : "<none>";
}

int NamesBeside(const std::string& path, DWORD leastSize = 0)   // in its folder, "." and ".." too; of files that size or more
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path.substr(0, path.rfind('\\') + 1) + "*").c_str(), &found);
    int names = 0;
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        names += found.nFileSizeLow >= leastSize || found.nFileSizeHigh > 0 ? 1 : 0;
    FindClose(search);
    return names;
}

HWND Edit(const char* className, const std::wstring& text)   // its text marked as changed
{
    bool plain = className == plainTextMode;
    HWND control = CreateControl(plain ? richEdit : className, WS_CHILD | WS_VISIBLE | ES_MULTILINE, {0, 0, 200, 100});
    SendMessageA(control, EM_SETTEXTMODE, plain ? TM_PLAINTEXT : TM_RICHTEXT, 0);
    SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
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

std::wstring ControlText(HWND control)   // by message: another program's as well
{
    std::wstring text(SendMessageW(control, WM_GETTEXTLENGTH, 0, 0) + 1, L'\0');
    text.resize(SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0])));
    return text;
}

// "Zeile 0\r\n" to "Zeile 16239\r\n" (200,010 bytes, some CR LF pairs across the control's blocks),
// or their first bytes.
template <typename Text = std::string>
Text NumberedLines(size_t bytes = 200010)
{
    std::string lines;
    for (int n = 0; n < 16240; ++n)
        lines += "Zeile " + std::to_string(n) + "\r\n";
    return Text(lines.begin(), lines.begin() + std::min(bytes, lines.size()));
}

// What belongs to the file: its attributes, owner, group and rights (as the file system shows them),
// and the names in its folder.
std::string Belongings(const std::string& path)
{
    char descriptor[4096] = {};
    DWORD size = 0;
    GetFileSecurityA(path.c_str(), OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                     descriptor, sizeof descriptor, &size);
    return std::to_string(GetFileAttributesA(path.c_str())) + "/" + std::to_string(NamesBeside(path)) + "/" +
           std::string(descriptor, std::min<DWORD>(size, sizeof descriptor));
}

int32_t LoadedAndSaved(HWND control, const char* path)   // as plain text
{
    int32_t code = LoadPlainTextFile(control, path);
    return code != 0 ? code : SavePlainTextFile(control, path);
}

// Another program saves into the new file again and again and ends itself in the middle of a save:
// all it may leave is the saved file, whole, which goes here. 0 when it ended so.
int32_t SavedByAProgramThatEnds(HWND, const char* path)
{
    ChildProcess saver("\"" + ThisProgram() + "\" saving \"" + path + "\"");
    int32_t code = static_cast<int32_t>(saver.ExitCode()) - 9;
    if (FileBytes(path) == NumberedLines())
        DeleteFileA(path);
    return code;
}

// Prepared by scripts/test.sh: the files of a user's cases with their owners, modes and links; a disk of 64 KiB.
const char* const savingCases = std::getenv("KINOBLICK_SAVE_CASES");
const char* const fullDisk = std::getenv("KINOBLICK_FULL_DISK");

// A load or save of a control holding `text` (control: a class, "" for another program's, null for a
// destroyed window) on a file holding `before` ("<none>": no file). A failure gives its code and keeps
// the control's text and modified flag and the file; a success clears the flag and leaves the file
// (and its second name `other`) holding `after` ("": as before) and the control showing `shown` (when
// given). Every case keeps what belongs to the file, unless the file came into being.
TEST(RichEditStreams, LoadsAndSavesKeepTheFileAndTheControlOrGiveASystemCode)
{
    ASSERT_TRUE(savingCases && fullDisk) << "KINOBLICK_SAVE_CASES or KINOBLICK_FULL_DISK names nothing: scripts/test.sh prepares them";
    std::string cases = savingCases + std::string("\\"), file = cases + "datei.txt", full = fullDisk + std::string("\\datei.txt");
    std::string deep = cases + std::string(252 - std::strlen(savingCases), 'l'), ansi;
    CreateDirectoryA(deep.c_str(), nullptr);   // a name of 255 characters in it
    SetFileAttributesA((cases + "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    for (int byte = 0x80; byte < 0x100; ++byte)
        ansi += static_cast<char>(byte);
    const struct { const char* name; int32_t (*operation)(HWND, const char*); const char* control; std::wstring text;
                   std::string path, before; int32_t code; std::string after = ""; std::wstring shown = L""; std::string other = ""; } operations[] = {
        {"missing file", LoadPlainTextFile, richEdit, sample, cases + "fehlt.txt", "<none>", ERROR_FILE_NOT_FOUND},
        {"no folder", SaveRichTextFile, richEdit, sample, cases + "fehlt\\x.rtf", "<none>", ERROR_PATH_NOT_FOUND},
        {"plain edit control", SavePlainTextFile, "EDIT", sample, file, "<none>", ERROR_INVALID_PARAMETER},
        {"destroyed window", SaveRichTextFile, nullptr, sample, file, "<none>", ERROR_INVALID_PARAMETER},
        {"another program's control", LoadPlainTextFile, "", L"fremd", file, "neu", ERROR_INVALID_PARAMETER},
        {"no rich text", LoadRichTextFile, richEdit, greek, file, "kein RTF", ERROR_INVALID_DATA},
        {"no rich text, plain text mode", LoadRichTextFile, plainTextMode, greek, file, "kein RTF", ERROR_INVALID_DATA},
        {"no UTF-8 after its mark", LoadPlainTextFile, richEdit, sample, file, "\xEF\xBB\xBF\xFF", ERROR_NO_UNICODE_TRANSLATION},
        {"empty file", LoadPlainTextFile, richEdit, sample, file, "", ERROR_HANDLE_EOF},
        {"empty control", SavePlainTextFile, richEdit, L"", file, "alt", ERROR_HANDLE_EOF},
        {"beyond the file's encoding", SavePlainTextFile, richEdit, greek, file, "alt", ERROR_NO_UNICODE_TRANSLATION},
        {"full disk", SavePlainTextFile, richEdit, NumberedLines<std::wstring>(), full, "alt", ERROR_DISK_FULL},
        {"no memory for a copy", LoadPlainTextFile, richEdit, NumberedLines<std::wstring>() + NumberedLines<std::wstring>(), file, "neu", ERROR_NOT_ENOUGH_MEMORY},
        {"another owner's private file", SavePlainTextFile, richEdit, L"neu", cases + "private.txt", "alt", 0, "neu"},
        {"a symbolic link", SavePlainTextFile, richEdit, L"neu", cases + "link.txt", "alt", 0, "neu", L"", cases + "linked.txt"},
        {"a second hard link", SavePlainTextFile, richEdit, L"neu", cases + "one.txt", "alt", 0, "neu", L"", cases + "two.txt"},
        {"a hidden file", SavePlainTextFile, richEdit, L"neu", cases + "hidden.txt", "alt", 0, "neu"},
        {"a folder that refuses new names", SavePlainTextFile, richEdit, L"neu", cases + "locked\\datei.txt", "alt", 0, "neu"},
        {"another owner's file in a shared folder", SavePlainTextFile, richEdit, L"neu", cases + "shared\\fremd.txt", "alt", 0, "neu"},
        {"a name of 255 characters", SavePlainTextFile, richEdit, L"neu", deep + "\\x", "alt", 0, "neu"},
        {"a new file of 255 characters", SavePlainTextFile, richEdit, L"neu", deep + "\\y", "<none>", 0, "neu"},
        {"the device NUL", SavePlainTextFile, richEdit, L"neu", "NUL", "", 0},
        {"more than half of the full disk", SavePlainTextFile, richEdit, NumberedLines<std::wstring>(50000), full, std::string(40000, 'a'), 0, NumberedLines(50000)},
        {"a longer file", SavePlainTextFile, richEdit, L"neu", file, std::string(300000, 'o'), 0, "neu"},
        {"a program ended during a save", SavedByAProgramThatEnds, nullptr, L"", cases + "neu.txt", "<none>", 0},
        // Loaded and saved again: in its encoding, byte for byte when its line ends are all of one kind.
        {"CR LF, every ANSI byte above 127", LoadedAndSaved, richEdit, L"alt", file, NumberedLines() + ansi, 0},
        {"UTF-8", LoadedAndSaved, richEdit, L"alt", file, "\xEF\xBB\xBF\xCE\xB1\xCE\xB2 Gr\xC3\xB6\xC3\x9F" "e\r\n", 0, "", L"αβ Größe\r\n"},
        {"UTF-16", LoadedAndSaved, richEdit, L"alt", file, std::string("\xFF\xFE\xB1\x03\x0D\x00\x0A\x00", 8), 0, "", L"α\r\n"},
        {"UTF-16, big-endian", LoadedAndSaved, richEdit, L"alt", file, std::string("\xFE\xFF\x03\xB1\x00\x0A", 6), 0, "", L"α\r\n"},
        {"LF", LoadedAndSaved, richEdit, L"alt", file, "a\nb\n", 0, "", L"a\r\nb\r\n"},
        {"CR", LoadedAndSaved, richEdit, L"alt", file, "a\rb", 0, "", L"a\r\nb"},
        {"mixed: the first kind; CR CR LF is two", LoadedAndSaved, richEdit, L"alt", file, "a\nb\r\nc\r\r\nd", 0, "a\nb\nc\n\nd", L"a\r\nb\r\nc\r\n\r\nd"},
    };
    for (const auto& op : operations) {
        op.before == "<none>" ? (void)DeleteFileA(op.path.c_str()) : (void)(std::ofstream(op.path, std::ios::binary) << op.before);
        std::string belongings = Belongings(op.path), after = op.code != 0 || op.after.empty() ? op.before : op.after;
        bool foreign = op.control != nullptr && *op.control == 0;
        ChildProcess other(foreign ? "\"" + ThisProgram() + "\" richedit" : "");   // ended at the end of the round
        HWND control = foreign ? OtherProgramsRichEdit() : Edit(op.control ? op.control : richEdit, op.text);
        if (op.control == nullptr)
            DestroyByRequest(control);
        std::vector<void*> taken;   // no memory: the free address space, in blocks of 64 KiB and more
        for (SIZE_T size = 1u << 30; op.code == ERROR_NOT_ENOUGH_MEMORY && size >= 0x10000; size /= 2) {
            while (void* block = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS))
                taken.push_back(block);
        }
        int32_t code = op.operation(control, op.path.c_str());
        for (void* block : taken)
            VirtualFree(block, 0, MEM_RELEASE);
        EXPECT_EQ(code, op.code) << op.name;
        EXPECT_TRUE(op.control == nullptr || ((SendMessageA(control, EM_GETMODIFY, 0, 0) != 0) == (op.code != 0) &&
                    (op.code != 0 ? ControlText(control) == op.text : op.shown.empty() || ControlText(control) == op.shown)))
            << op.name << ": the control";
        EXPECT_TRUE(FileBytes(op.path) == after && (op.other.empty() || FileBytes(op.other) == after) &&
                    (Belongings(op.path) == belongings || (op.before == "<none>" && after != op.before))) << op.name << ": the file";
    }
    DeleteFileA(full.c_str());
    for (const std::wstring& typed : {sample, greek, std::wstring()}) {   // rich text, a new file; empty: the RTF frame alone
        DeleteFileA(file.c_str());
        int names = NamesBeside(file);
        HWND source = Edit(richEdit, typed), copy = Edit(richEdit, L"alt");
        EXPECT_TRUE(SaveRichTextFile(source, file.c_str()) == 0 && SendMessageA(source, EM_GETMODIFY, 0, 0) == 0 && NamesBeside(file) == names + 1);
        EXPECT_TRUE(LoadRichTextFile(copy, file.c_str()) == 0 && ControlText(copy) == typed);
    }
}

}  // namespace

void PrepareRuntimeTests()
{
    LoadLibraryA("riched20.dll");
    SetWindowStyleFlags(0x0F);
    SetMainWindowGeometry(30, 40, 400, 300);
    RunScenarioNamedOnCommandLine({{"richedit", [] {   // a control of another program, until it is ended
        Edit(richEdit, L"fremd");
        SetWindowTextA(runtime.mainWindow, "fremd");
        Sleep(INFINITE);
    }}, {"saving", [] {   // into a new file again and again, ending itself once a new file holds bytes
        HWND control = Edit(richEdit, NumberedLines<std::wstring>());
        std::string file = runtime.parameters[2].Text();
        std::thread([file, names = NamesBeside(file, 1)] {
            while (NamesBeside(file, 1) == names)
                continue;
            TerminateProcess(GetCurrentProcess(), 9);
        }).detach();
        while (SavePlainTextFile(control, file.c_str()) == 0 && DeleteFileA(file.c_str()))
            continue;
    }}});
}

