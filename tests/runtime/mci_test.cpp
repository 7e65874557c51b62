// SendMciCommand against the emulator's real AVI device, with the project's own generated clip
// (test_clip.avi next to this program: 160 x 120, 30 frames).
#include <string>

#include "kernel/runtime_state.h"
#include "services/mci.h"
#include "services/parameters.h"
#include "support/runtime_test.h"
#include "values/string_functions.h"

namespace {

std::string Send(const std::string& command)
{
    RtString reply = SendMciCommand(RtString(command.c_str()));
    return std::string(reply.Text(), reply.Length());
}

std::string ClipPath()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1) + "test_clip.avi";
}

bool IsModeWord(const std::string& mode)
{
    return mode == "playing" || mode == "paused" || mode == "stopped";
}

// Polls the device's mode until it reads `wanted` or the time-out passes; the last mode read.
std::string WaitForMode(const std::string& alias, const std::string& wanted, DWORD timeout)
{
    DWORD start = GetTickCount();
    std::string mode;
    do {
        mode = Send("STATUS " + alias + " MODE");
        if (mode == wanted)
            break;
        Sleep(20);
    } while (GetTickCount() - start < timeout);
    return mode;
}

class ClipDevice : public ::testing::Test {
protected:
    void SetUp() override
    {
        RtString shortPath = ShortPathName(RtString(ClipPath().c_str()));
        ASSERT_GT(shortPath.Length(), 0u) << "the clip is missing: " << ClipPath();
        openReply = Send("OPEN " + std::string(shortPath.Text()) + " TYPE AVIVIDEO ALIAS CLIPTEST");
        openError = runtime.lastMciError;
    }
    void TearDown() override { Send("CLOSE CLIPTEST"); }
    std::string openReply;
    LONG openError = -1;
};

TEST_F(ClipDevice, OpenAnswersTheDeviceId)
{
    EXPECT_EQ(openError, 0);
    ASSERT_FALSE(openReply.empty());
    EXPECT_EQ(openReply.find_first_not_of("0123456789"), std::string::npos) << openReply;
    EXPECT_GT(ParseInteger(RtString(openReply.c_str())), 0);
}

TEST_F(ClipDevice, StatusQueriesAnswerTheClipsFigures)
{
    Send("SET CLIPTEST TIME FORMAT FRAMES");
    EXPECT_EQ(runtime.lastMciError, 0);
    EXPECT_EQ(Send("STATUS CLIPTEST LENGTH"), "30");
    std::string source = Send("WHERE CLIPTEST SOURCE");
    EXPECT_EQ(source, "0 0 160 120");
    RtString reply(source.c_str());
    EXPECT_EQ(ParseInteger(ExtractField(reply, 3, " ")), 160);
    EXPECT_EQ(ParseInteger(ExtractField(reply, 4, " ")), 120);
}

TEST_F(ClipDevice, ModeAnswersModeWordsThroughPlayAndEnd)
{
    EXPECT_EQ(Send("STATUS CLIPTEST MODE"), "stopped");
    Send("PLAY CLIPTEST");
    EXPECT_EQ(runtime.lastMciError, 0);
    std::string playing = Send("STATUS CLIPTEST MODE");
    EXPECT_TRUE(IsModeWord(playing)) << playing;
    Send("PAUSE CLIPTEST");
    std::string paused = Send("STATUS CLIPTEST MODE");
    EXPECT_TRUE(paused == "paused" || paused == "stopped") << paused;
    Send("PLAY CLIPTEST");
    EXPECT_EQ(WaitForMode("CLIPTEST", "stopped", 10000), "stopped") << "the clip plays to its end";
    EXPECT_EQ(Send("STATUS CLIPTEST POSITION"), "29") << "the end rests on the last frame";
}

TEST(MciCommands, AnAliasThatIsNotOpenGivesNoReplyAndAnError)
{
    EXPECT_EQ(Send("STATUS NOTOPEN MODE"), "");
    EXPECT_NE(runtime.lastMciError, 0);
}

TEST(MciCommands, TheErrorRecordsOnlyTheLastCommand)
{
    Send("STATUS NOTOPEN MODE");
    ASSERT_NE(runtime.lastMciError, 0);
    std::string reply = Send("OPEN " + ClipPath() + " TYPE AVIVIDEO ALIAS TWOINAROW");
    EXPECT_FALSE(reply.empty());
    EXPECT_EQ(runtime.lastMciError, 0) << "a success clears the failure before it";
    EXPECT_EQ(Send("STATUS TWOINAROW MODE"), "stopped");
    EXPECT_EQ(runtime.lastMciError, 0);
    Send("CLOSE TWOINAROW");
    EXPECT_EQ(Send("STATUS TWOINAROW MODE"), "") << "closed";
    EXPECT_NE(runtime.lastMciError, 0);
}

TEST(MciCommands, AMissingFileDoesNotOpen)
{
    EXPECT_EQ(Send("OPEN C:\\nowhere\\missing.avi TYPE AVIVIDEO ALIAS MISSING"), "");
    EXPECT_NE(runtime.lastMciError, 0);
}

}  // namespace
