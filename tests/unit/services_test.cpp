// The services that need no GUI thread: colours, the MCI sender with a scripted device and the
// player's open command, parameters, error messages.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kernel/runtime_state.h"
#include "player/player.h"
#include "services/mci.h"
#include "services/parameters.h"
#include "services/runtime_errors.h"
#include "services/window_commands.h"

namespace {

// 24-bit components: 255 and above give 255, others their low 8 bits. 15-bit components: 31 and
// above give 31, others their low 5 bits, so a negative one never spills into its neighbour.
TEST(MakeColor, ComponentsKeepToTheirFields)
{
    const struct { int32_t trueColor, red, green, blue, colour; } cases[] = {
        {1, 300, 16, -1, 0xFF10FF},    {1, -256, 256, 257, 0xFFFF00}, {1, INT32_MIN, INT32_MAX, -129, 0x7FFF00},
        {0, 40, 10, 31, 31 | 10 << 5 | 31 << 10}, {0, -1, 0, 0, 31},    {0, -32, -2, INT32_MIN, 30 << 5},
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
    script = {command, script.reply, capacity, callback, script.result};
    std::memset(reply, 'r', capacity);
    if (!script.reply.empty())
        std::memcpy(reply, script.reply.c_str(), script.reply.size() + 1);
    return script.result;
}

// The player's open command quotes a short path with a blank (a volume that keeps no 8.3 names);
// its scenarios send the others.
TEST(SendMciCommand, RepliesAreCutErrorsKeepTheirLow16BitsAndOpenQuotesBlanks)
{
    EXPECT_STREQ(OpenCommandText("D:\\a b.avi", 0).Text(), "OPEN \"D:\\a b.avi\" TYPE AVIVIDEO ALIAS VIDEO");
    SetMciSender(ScriptedDevice);
    script.reply = std::string(127, 'a');
    EXPECT_EQ(SendMciCommand("open Z:\\a b\\Clip.AVI alias v").Text(), script.reply);
    EXPECT_TRUE(script.capacity == 128 && script.callback == nullptr) << script.capacity;
    script.reply.clear();
    EXPECT_EQ(SendMciCommand("STATUS VIDEO MODE").Length(), 127u);
    for (const auto& c : {std::pair<MCIERROR, LONG>{0x12340113, 0x0113}, {0xFFFFFFFF, 0xFFFF}, {0, 0}}) {
        script.result = c.first;
        SendMciCommand("PLAY VIDEO");
        EXPECT_EQ(runtime.lastMciError, c.second) << std::hex << c.first;
    }
    SetMciSender(nullptr);
}

TEST(GetParameter, WordsByIndexAndError208BeyondTheCount)
{
    runtime.parameters = {RtString("Kinoblick.exe"), RtString("C:\\my clips\\a.mpg"), RtString("1")};
    runtime.errorMode = -1;
    runtime.lastErrorCode = 0;
    runtime.parameterCount = 10;   // more than the list holds: empty, no error
    EXPECT_STREQ(GetParameter(5).Text(), "");
    runtime.parameterCount = 2;
    EXPECT_STREQ(GetParameter(-1).Text(), "");
    EXPECT_EQ(runtime.lastErrorCode, 0);
    EXPECT_STREQ(GetParameter(3).Text(), "");
    EXPECT_EQ(runtime.lastErrorCode * 10 + runtime.lastErrorKind, 2082);
}

// Windows-1252 bytes, written as escapes so the source's encoding cannot hide a wrong byte.
TEST(ErrorMessageText, GermanBytesAndTheEmptyTextForUnknownCodes)
{
    const std::pair<int32_t, const char*> texts[] = {
        {211, "Nicht genug Speicher f\xFCr den String!"}, {252, "Men\xFC ist nicht ladbar: "}, {207, ""}, {-5, ""},
    };
    for (const auto& c : texts)
        EXPECT_STREQ(ErrorMessageText(c.first), c.second) << c.first;
}

}  // namespace
