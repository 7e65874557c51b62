// SendMciCommand with a scripted device in the system's place: what reaches the device and what
// comes back, for replies the real devices do not give on demand.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kernel/runtime_state.h"
#include "services/mci.h"

namespace {

struct Script {
    std::string commandSeen;
    UINT capacitySeen = 0;
    HWND callbackSeen = reinterpret_cast<HWND>(1);
    std::string reply;          // written into the buffer
    bool fillWithoutEnd = false;
    MCIERROR result = 0;
};

Script script;

MCIERROR WINAPI ScriptedDevice(LPCSTR command, LPSTR reply, UINT capacity, HWND callback)
{
    script.commandSeen = command;
    script.capacitySeen = capacity;
    script.callbackSeen = callback;
    if (script.fillWithoutEnd)
        std::memset(reply, 'r', capacity);   // every byte offered, no terminator
    else
        std::memcpy(reply, script.reply.c_str(), script.reply.size() + 1);
    return script.result;
}

class ScriptedMci : public ::testing::Test {
protected:
    void SetUp() override
    {
        script = Script();
        SetMciSender(ScriptedDevice);
    }
    void TearDown() override { SetMciSender(nullptr); }
};

std::string Send(const char* command)
{
    RtString reply = SendMciCommand(RtString(command));
    return std::string(reply.Text(), reply.Length());
}

TEST_F(ScriptedMci, TheCommandGoesOutUnchangedWithCapacity128AndNoCallback)
{
    script.reply = "1";
    EXPECT_EQ(Send("open Z:\\a b\\Clip.AVI type AVIVideo alias video"), "1");
    EXPECT_EQ(script.commandSeen, "open Z:\\a b\\Clip.AVI type AVIVideo alias video");
    EXPECT_EQ(script.capacitySeen, 128u);
    EXPECT_EQ(script.callbackSeen, nullptr);
}

TEST_F(ScriptedMci, RepliesAreCutToTheCapacity)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {std::string(127, 'a'), std::string(127, 'a')},
        {"stopped", "stopped"},
    };
    for (const auto& c : cases) {
        script.reply = c.first;
        EXPECT_EQ(Send("STATUS VIDEO MODE"), c.second);
    }
    script.fillWithoutEnd = true;
    EXPECT_EQ(Send("STATUS VIDEO MODE"), std::string(127, 'r')) << "a device that fills every byte";
}

TEST_F(ScriptedMci, TheErrorKeepsTheLow16BitsOfTheLastResult)
{
    const std::pair<MCIERROR, LONG> cases[] = {
        {0, 0}, {MCIERR_INVALID_DEVICE_NAME, MCIERR_INVALID_DEVICE_NAME}, {0x12340113, 0x0113},
        {0xFFFFFFFF, 0xFFFF}, {0, 0},
    };
    for (const auto& c : cases) {
        script.result = c.first;
        Send("PLAY VIDEO");
        EXPECT_EQ(runtime.lastMciError, c.second) << std::hex << c.first;
    }
}

}  // namespace
