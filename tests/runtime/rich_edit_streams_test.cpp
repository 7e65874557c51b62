// The rich edit file streams with real rich edit controls of the GUI thread: round trips of
// plain and rich text through files, and the failures with their codes.
#include <fstream>
#include <sstream>
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

std::string FileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
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
    char text[256] = {};
    SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

void SetControlText(HWND control, const std::string& text)
{
    SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(control, EM_SETMODIFY, 1, 0);
}

struct RoundTrip {
    const char* name;
    int32_t (*save)(HWND, const char*);
    int32_t (*load)(HWND, const char*);
    const char* fileStart;
};

const RoundTrip roundTrips[] = {
    {"plain text", SavePlainTextFile, LoadPlainTextFile, "Zeile eins"},
    {"rich text", SaveRichTextFile, LoadRichTextFile, "{\\rtf"},
};

TEST(RichEditStreams, SaveThenLoadGivesTheSameText)
{
    HWND source = CreateControl(richEditClass);
    HWND target = CreateControl(richEditClass);
    ASSERT_NE(source, nullptr);
    for (const RoundTrip& trip : roundTrips) {
        std::string path = TempPath("kalmus_stream_test.dat");
        WriteBytes(path, std::string(4000, 'o'));     // saving replaces what was there
        SetControlText(source, sample);
        SetControlText(target, "alt");
        EXPECT_EQ(trip.save(source, path.c_str()), 0) << trip.name;
        EXPECT_EQ(SendMessageA(source, EM_GETMODIFY, 0, 0), 0) << trip.name;
        std::string bytes = FileBytes(path);
        EXPECT_EQ(bytes.rfind(trip.fileStart, 0), 0u) << trip.name << ": " << bytes.substr(0, 40);
        EXPECT_EQ(bytes.find("oooo"), std::string::npos) << trip.name;
        EXPECT_EQ(trip.load(target, path.c_str()), 0) << trip.name;
        EXPECT_EQ(SendMessageA(target, EM_GETMODIFY, 0, 0), 0) << trip.name;
        EXPECT_EQ(ControlText(target), ControlText(source)) << trip.name;
        EXPECT_NE(ControlText(target).find("Gr\xF6\xDF" "e: 42"), std::string::npos) << trip.name;
        DeleteFileA(path.c_str());
    }
}

TEST(RichEditStreams, AnEmptyControlSavesOnlyAsRichText)
{
    HWND control = CreateControl(richEditClass);
    SetControlText(control, "");
    std::string path = TempPath("kalmus_stream_empty.dat");
    EXPECT_EQ(SaveRichTextFile(control, path.c_str()), 0);
    EXPECT_EQ(FileBytes(path).rfind("{\\rtf", 0), 0u);
    EXPECT_NE(SavePlainTextFile(control, path.c_str()), 0) << "nothing transferred is no success";
    EXPECT_NE(LoadPlainTextFile(control, path.c_str()), 0) << "an empty file";
    DeleteFileA(path.c_str());
}

struct Failure {
    const char* name;
    int32_t (*operation)(HWND, const char*);
    const char* control;        // class, or null for a destroyed window
    std::string path;
    int32_t code;
};

TEST(RichEditStreams, FailuresGiveTheirCodesAndChangeNothing)
{
    std::string missing = TempPath("kalmus_no_such_file.rtf");
    std::string notCreated = TempPath("kalmus_plain_edit.txt");
    std::string badFolder = TempPath("kalmus_no_such_folder\\x.rtf");
    const Failure failures[] = {
        {"missing file", LoadRichTextFile, richEditClass, missing, ERROR_FILE_NOT_FOUND},
        {"missing file, plain", LoadPlainTextFile, richEditClass, missing, ERROR_FILE_NOT_FOUND},
        {"folder missing", SaveRichTextFile, richEditClass, badFolder, ERROR_PATH_NOT_FOUND},
        {"plain edit control", SavePlainTextFile, "EDIT", notCreated, ERROR_INVALID_PARAMETER},
        {"destroyed window", SaveRichTextFile, nullptr, notCreated, ERROR_INVALID_PARAMETER},
    };
    for (const Failure& failure : failures) {
        HWND control = CreateControl(failure.control != nullptr ? failure.control : richEditClass);
        SetControlText(control, sample);
        if (failure.control == nullptr) {
            DestroyWindowRequest block{control, 0};
            PostGuiRequest(DestroyWindowOpcode, &block);
        }
        EXPECT_EQ(failure.operation(control, failure.path.c_str()), failure.code) << failure.name;
        if (failure.control != nullptr) {
            EXPECT_EQ(ControlText(control), sample) << failure.name;
        }
    }
    EXPECT_EQ(GetFileAttributesA(notCreated.c_str()), INVALID_FILE_ATTRIBUTES) << "no file for a refused window";
}

}  // namespace

void PrepareRuntimeTests()
{
    LoadLibraryA("riched20.dll");
    SetMainWindowGeometry(0, 0, 400, 300);
}
