// The rich edit file streams with real rich edit controls of the GUI thread: round trips through
// files, and failures that give a system error code and keep both the control and the file.
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "kernel/windowing.h"
#include "support/runtime_test.h"
#include "windows/rich_edit_streams.h"

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

HWND CreateControl(const char* className)
{
    CreateControlRequest block{0, WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, className, "", 0, 0, 200, 100,
                               runtime.mainWindow, nullptr, nullptr, nullptr};
    PostGuiRequest(CreateControlOpcode, &block);
    return block.window;
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
    HWND control = CreateControl(richEditClass);
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
        HWND source = CreateControl(richEditClass), copy = CreateControl(richEditClass);
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
        HWND control = CreateControl(failure.control != nullptr ? failure.control : richEditClass);
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

void PrepareRuntimeTests()
{
    LoadLibraryA("riched20.dll");
    SetMainWindowGeometry(0, 0, 400, 300);
}
