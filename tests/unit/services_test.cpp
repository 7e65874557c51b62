// The services that need no GUI thread: the command line, file-dialog filters, colours, the MCI
// sender with a scripted device, parameters and short names, error messages, the open command.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "kernel/command_line.h"
#include "kernel/dialog_requests.h"
#include "kernel/runtime_state.h"
#include "player/player.h"
#include "services/mci.h"
#include "services/parameters.h"
#include "services/runtime_errors.h"
#include "services/window_commands.h"

namespace {

using namespace std::string_literals;

TEST(SplitCommandLine, BlanksSeparateAndQuotesGroup)
{
    const struct { const char* line; std::vector<std::string> words; } cases[] = {
        {"", {}},                                {"prog   ", {"prog"}},
        {"prog \"C:\\My Clips\\a b.avi\" 1 0", {"prog", "C:\\My Clips\\a b.avi", "1", "0"}},
        {"prog \"\"\"\"", {"prog", "", ""}},
        {"prog \"quoted\"letters", {"prog", "quoted", "letters"}},
        {"prog \"open to the end  ", {"prog", "open to the end  "}},
        {"prog a\"b c", {"prog", "a\"b", "c"}},   {"prog a\tb", {"prog", "a\tb"}},   // tabs are letters
    };
    for (const auto& c : cases) {
        std::vector<RtString> words;
        SplitCommandLine(c.line, words);
        std::vector<std::string> texts;
        for (const RtString& word : words)
            texts.emplace_back(word.Text(), word.Length());
        EXPECT_EQ(texts, c.words) << "[" << c.line << "]";
    }
}

TEST(FileDialogFilter, SaveUsesTheFirstDotOfTheNameAndOpenDoublesLonePatterns)
{
    const struct { std::string fileName, list, extension; } saves[] = {
        {"archive.tar.gz", "*.tar.gz\0\0"s, "tar.gz"},
        {"C:\\Filme.alt\\clip.avi", "*.avi\0\0"s, "avi"},   // a folder's dot does not count
        {"D:/Filme.alt/ohne_punkt", "*.*\0\0"s, ""},
    };
    for (const auto& c : saves) {
        FileDialogFilter filter = SaveDialogFilter(c.fileName.c_str());
        EXPECT_EQ(filter.list, c.list) << c.fileName;
        EXPECT_EQ(filter.defaultExtension, c.extension) << c.fileName;
    }
    // A piece at an odd count that starts with "*" is listed twice.
    const struct { const char* filter; std::string list; } opens[] = {
        {"Videos|*.avi", "Videos\0*.avi\0\0"s},
        {"*.avi|*.mpg|*.wav", "*.avi\0*.avi\0*.mpg\0*.wav\0*.wav\0\0"s},
        {"Videos||*.avi", "Videos\0*.avi\0\0"s},   // strtok skips empty pieces
    };
    for (const auto& c : opens) {
        std::string text = c.filter;
        FileDialogFilter filter = OpenDialogFilter(&text[0]);
        EXPECT_EQ(filter.list, c.list) << c.filter;
    }
    EXPECT_EQ(OpenDialogFilter(nullptr).list, "\0"s);
}

// 24-bit components: 255 and above give 255, others their low 8 bits. 15-bit components: 31 and
// above give 31, others their low 5 bits, so a negative one never spills into its neighbour.
TEST(MakeColor, ComponentsKeepToTheirFields)
{
    const struct { int32_t trueColor, red, green, blue, colour; } cases[] = {
        {1, 300, 16, -1, 0xFF10FF},    {1, -256, 256, 257, 0xFFFF00}, {1, INT32_MIN, INT32_MAX, -129, 0x7FFF00},
        {0, 40, 10, 31, 31 | 10 << 5 | 31 << 10},                     {0, -1, 0, 0, 31},
        {0, 0, -1, 0, 31 << 5},        {0, -32, -2, INT32_MIN, 30 << 5},
    };
    for (const auto& c : cases) {
        SetTrueColorMode(c.trueColor);
        EXPECT_EQ(MakeColor(c.red, c.green, c.blue), c.colour) << c.red << " " << c.green << " " << c.blue;
    }
}

// A device that answers as scripted: the reply, or without one every byte offered and no end.
struct Script { std::string command, reply; UINT capacity; HWND callback; MCIERROR result; } script;

MCIERROR WINAPI ScriptedDevice(LPCSTR command, LPSTR reply, UINT capacity, HWND callback)
{
    script.command = command;
    script.capacity = capacity;
    script.callback = callback;
    std::memset(reply, 'r', capacity);
    if (!script.reply.empty())
        std::memcpy(reply, script.reply.c_str(), script.reply.size() + 1);
    return script.result;
}

TEST(SendMciCommand, RepliesAreCutAndErrorsKeepTheirLow16Bits)
{
    SetMciSender(ScriptedDevice);
    script.reply = std::string(127, 'a');
    EXPECT_EQ(SendMciCommand("open Z:\\a b\\Clip.AVI alias v").Text(), script.reply);
    EXPECT_EQ(script.command, "open Z:\\a b\\Clip.AVI alias v");
    EXPECT_EQ(script.capacity, 128u);
    EXPECT_EQ(script.callback, nullptr);
    script.reply.clear();
    EXPECT_EQ(SendMciCommand("STATUS VIDEO MODE").Length(), 127u);

    const std::pair<MCIERROR, LONG> errors[] = {{0x12340113, 0x0113}, {0xFFFFFFFF, 0xFFFF}, {0, 0}};
    for (const auto& c : errors) {
        script.result = c.first;
        SendMciCommand("PLAY VIDEO");
        EXPECT_EQ(runtime.lastMciError, c.second) << std::hex << c.first;
    }
    SetMciSender(nullptr);
}

TEST(GetParameter, WordsByIndexAndError208BeyondTheCount)
{
    runtime.parameters = {RtString("Kinoblick.exe"), RtString("C:\\my clips\\a.mpg"), RtString("1")};
    runtime.parameterCount = 2;
    runtime.errorMode = -1;
    runtime.lastErrorCode = 0;
    EXPECT_STREQ(GetParameter(2).Text(), "1");
    EXPECT_STREQ(GetParameter(-1).Text(), "");
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, sizeof module);
    EXPECT_STRCASEEQ(GetParameter(0).Text(), module) << "index 0 is the program's full path";
    runtime.parameterCount = 10;   // more than the list holds: empty, no error
    EXPECT_STREQ(GetParameter(5).Text(), "");
    EXPECT_EQ(runtime.lastErrorCode, 0);
    runtime.parameterCount = 2;
    EXPECT_STREQ(GetParameter(3).Text(), "");
    EXPECT_EQ(runtime.lastErrorCode, 208);
    EXPECT_EQ(runtime.lastErrorKind, 2);
}

TEST(ShortPathName, ExistingFilesOnly)
{
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    std::string file = std::string(temp) + "my clip.avi";
    CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    std::string text = ShortPathName(RtString(file.c_str())).Text();
    EXPECT_EQ(text.find(' '), std::string::npos) << text;
    EXPECT_NE(GetFileAttributesA(text.c_str()), INVALID_FILE_ATTRIBUTES) << text;
    DeleteFileA(file.c_str());
    EXPECT_STREQ(ShortPathName(RtString(file.c_str())).Text(), "") << "the file is gone";
}

// Windows-1252 bytes, written as escapes so the source's encoding cannot hide a wrong byte.
TEST(ErrorMessageText, GermanBytesAndTheEmptyTextForUnknownCodes)
{
    EXPECT_STREQ(ErrorMessageText(252), "Men\xFC ist nicht ladbar: ");
    EXPECT_STREQ(errorBoxText, "Zeilennummer nicht verf\xFC" "gbar.");
    for (int32_t code : {207, -5, INT32_MIN})
        EXPECT_STREQ(ErrorMessageText(code), "") << code;
}

TEST(OpenCommandText, QuotesOnlyShortPathsWithBlanks)
{
    const struct { const char* shortPath; int32_t mpeg; const char* command; } cases[] = {
        {"C:\\FILME\\URLAUB~1.MPG", 1, "OPEN C:\\FILME\\URLAUB~1.MPG TYPE MPEGVIDEO ALIAS VIDEO"},
        {"D:\\a b.avi", 0, "OPEN \"D:\\a b.avi\" TYPE AVIVIDEO ALIAS VIDEO"},
        {"C:\\X.MPG", 2, "OPEN C:\\X.MPG TYPE AVIVIDEO ALIAS VIDEO"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(OpenCommandText(c.shortPath, c.mpeg).Text(), c.command) << c.shortPath;
}

}  // namespace
