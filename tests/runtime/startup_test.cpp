// Start-up on the real runtime: what the program thread finds when its first statement runs.
#include <clocale>
#include <cstring>
#include <string>
#include <vector>

#include "kernel/command_line.h"
#include "kernel/runtime_state.h"
#include "support/runtime_test.h"

namespace {

std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TitleOf(HWND window)
{
    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    return title;
}

// An auto-reset event that is not signalled: a wait times out; once set, exactly one wait passes.
void ExpectAutoResetAndClear(HANDLE event, const char* name)
{
    ASSERT_NE(event, nullptr) << name;
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << name;
    SetEvent(event);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0) << name;
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << name;
}

TEST(StartUp, FieldsHoldTheirDefaultsWhenTheProgramStarts)
{
    EXPECT_EQ(runtime.instanceHandle, GetModuleHandleA(nullptr));
    EXPECT_NE(runtime.guiThreadId, GetCurrentThreadId()) << "the program runs on a thread of its own";
    EXPECT_EQ(runtime.nextControlId, 1000);
    EXPECT_EQ(runtime.screenWidth, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(runtime.screenHeight, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(runtime.trueColorMode, 0);
    EXPECT_EQ(runtime.decimals, 6);
    EXPECT_EQ(runtime.minFieldWidth, 0);
    EXPECT_EQ(runtime.printFieldWidth, 0);
    EXPECT_EQ(runtime.errorMode, 1);
    EXPECT_EQ(runtime.lastErrorCode, 0);
    EXPECT_EQ(runtime.lastErrorKind, 0);
    EXPECT_EQ(GetThreadId(runtime.programThreadHandle), GetCurrentThreadId());
}

TEST(StartUp, TheEventsAreAutoResetAndNotSignalled)
{
    ExpectAutoResetAndClear(runtime.requestDoneEvent, "requestDoneEvent");
    ExpectAutoResetAndClear(runtime.anyInputEvent, "anyInputEvent");
    ExpectAutoResetAndClear(runtime.keyOrWindowEvent, "keyOrWindowEvent");
    ExpectAutoResetAndClear(runtime.characterEvent, "characterEvent");
    ExpectAutoResetAndClear(runtime.mouseOrCommandEvent, "mouseOrCommandEvent");
    // messageEvent is pulsed by the loop at any time; it only has to exist and never stay set.
    ASSERT_NE(runtime.messageEvent, nullptr);
    EXPECT_EQ(WaitForSingleObject(runtime.messageEvent, 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST(StartUp, TheRequestWindowIsAHiddenCwWindowOfTheGuiThread)
{
    HWND window = runtime.requestWindow;
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(ClassOf(window), "CW");
    EXPECT_EQ(TitleOf(window), "CW");
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(GetWindowThreadProcessId(window, nullptr), runtime.guiThreadId);
    EXPECT_EQ(GetParent(window), nullptr);
}

TEST(StartUp, TheLocaleIsEnglishWithAFullStop)
{
    ASSERT_NE(runtime.decimalSeparator, nullptr);
    EXPECT_STREQ(runtime.decimalSeparator, ".");
    EXPECT_STREQ(std::localeconv()->decimal_point, ".");
    std::string locale = std::setlocale(LC_ALL, nullptr);
    EXPECT_EQ(locale.rfind("English", 0), 0u) << locale;
}

TEST(StartUp, WindowingDefaults)
{
    EXPECT_EQ(runtime.mainWindow, nullptr);
    EXPECT_EQ(runtime.activeDialog, nullptr);
    EXPECT_EQ(runtime.mainWindowStyle, 0x14CF2000u);
    EXPECT_EQ(runtime.mainWindowExStyle, static_cast<DWORD>(WS_EX_WINDOWEDGE));
    EXPECT_EQ(runtime.mainWindowTitle.CompareText("Kalmuswerk-Fenster"), 0);
    EXPECT_EQ(runtime.lastKey, 0);
    EXPECT_EQ(runtime.lastLineIndex, -1);
    WNDCLASSA info{};
    EXPECT_TRUE(GetClassInfoA(runtime.instanceHandle, "FENSTER", &info));
    EXPECT_TRUE(GetClassInfoA(runtime.instanceHandle, "DIALOG", &info));
}

TEST(StartUp, ParametersAreTheWordsOfTheRealCommandLine)
{
    std::vector<RtString> words;
    SplitCommandLine(GetCommandLineA(), words);
    ASSERT_EQ(runtime.parameters.size(), words.size()) << GetCommandLineA();
    for (size_t i = 0; i < words.size(); ++i)
        EXPECT_EQ(runtime.parameters[i].CompareText(words[i].Text()), 0) << i;
    EXPECT_EQ(runtime.parameterCount, static_cast<LONG>(words.size()) - 1);
    ASSERT_FALSE(runtime.parameters.empty());
    EXPECT_NE(std::strstr(runtime.parameters[0].Text(), "startup_test"), nullptr)
        << "element 0 is the program's own word: " << runtime.parameters[0].Text();
}

}  // namespace
