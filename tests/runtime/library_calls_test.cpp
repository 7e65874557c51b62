// CallLibraryFunction with the project's test library (calltest.dll next to this program) and
// ShowMessageBox before any main window exists. Nothing here creates the main window.
#include <string>

#include "kernel/runtime_state.h"
#include "services/library_calls.h"
#include "support/gui_probe.h"
#include "support/runtime_test.h"

namespace {

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

int32_t Call(const std::string& library, const char* function, std::initializer_list<DWORD> values = {})
{
    return CallLibraryFunction(RtString(library.c_str()), RtString(function), values);
}

bool TestLibraryLoaded()
{
    return GetModuleHandleA("calltest.dll") != nullptr;
}

class SilentErrors : public ::testing::Test {
protected:
    void SetUp() override
    {
        runtime.errorMode = -1;
        runtime.lastErrorCode = 0;
        runtime.lastErrorKind = 0;
    }
    void TearDown() override { runtime.errorMode = 1; }
};

TEST(CallLibraryFunction, ALibraryInTheProcessIsUsedAsItIs)
{
    HMODULE user32 = GetModuleHandleA("user32.dll");
    ASSERT_NE(user32, nullptr);
    EXPECT_EQ(Call("User32", "GetSystemMetrics", {SM_CXSCREEN}), runtime.screenWidth);
    EXPECT_EQ(Call("USER32", "GetSystemMetrics", {SM_CYSCREEN}), runtime.screenHeight);
    EXPECT_EQ(GetModuleHandleA("user32.dll"), user32) << "still in the process";
    EXPECT_EQ(Call("kernel32.dll", "GetCurrentProcessId"), static_cast<int32_t>(GetCurrentProcessId()));
}

TEST(CallLibraryFunction, ABareNameIsLoadedWithDllAndFreedAfterEveryCall)
{
    ASSERT_FALSE(TestLibraryLoaded());
    for (const char* name : {"calltest", "CALLTEST", "calltest.dll"}) {
        EXPECT_EQ(Call(name, "CountCall"), 1) << name << ": a fresh load counts from 1";
        EXPECT_FALSE(TestLibraryLoaded()) << name << ": freed after the call";
    }
}

TEST(CallLibraryFunction, APathIsLookedUpByItsLastComponentAndLoadedWhole)
{
    std::string fullPath = ProgramFolder() + "calltest.dll";
    EXPECT_EQ(Call(fullPath, "CountCall"), 1);
    EXPECT_EQ(Call(fullPath, "CountCall"), 1) << "loaded again, not cached";
    EXPECT_FALSE(TestLibraryLoaded());

    std::string forwardSlashes = fullPath;
    for (char& c : forwardSlashes) {
        if (c == '\\')
            c = '/';
    }
    EXPECT_EQ(Call(forwardSlashes, "CountCall"), 1);

    // While the library is in the process, a path that names it elsewhere uses the loaded one.
    HMODULE held = LoadLibraryA(fullPath.c_str());
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(Call("C:\\elsewhere\\calltest.dll", "CountCall"), 1);
    EXPECT_EQ(Call("calltest", "CountCall"), 2) << "the held library keeps counting";
    EXPECT_TRUE(TestLibraryLoaded()) << "not freed: this call did not load it";
    FreeLibrary(held);
    EXPECT_FALSE(TestLibraryLoaded());
}

TEST(CallLibraryFunction, BothCallingConventionsAndTheArgumentOrder)
{
    EXPECT_EQ(Call("calltest", "WeighStd", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), 385);
    EXPECT_EQ(Call("calltest", "WeighStd", {10, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 10);
    EXPECT_EQ(Call("calltest", "SubtractCdecl", {7, 10}), -3);
    EXPECT_EQ(Call("calltest", "SubtractCdecl", {0x7FFFFFFF, 0xFFFFFFFF}), INT32_MIN) << "wraps";
}

TEST(CallLibraryFunction, TheCallIsMadeOnTheGuiThread)
{
    EXPECT_EQ(static_cast<DWORD>(Call("calltest", "CallingThread")), runtime.guiThreadId);
}

// Called by the test library on the GUI thread: library calls made from there. Records whether
// they ran on this thread and whether the program thread was held meanwhile.
struct GuiThreadCallSeen {
    int32_t difference = 0;
    bool onThisThread = false;
    bool heldDuringCall = false;
};
GuiThreadCallSeen guiThreadCallSeen;

LONG __stdcall HoldSeenByCallee(LONG)
{
    return runtime.programHoldRequested;
}

LONG __stdcall CallFromGuiThread(LONG argument)
{
    guiThreadCallSeen.difference = Call("calltest", "SubtractCdecl", {static_cast<DWORD>(argument), 1});
    guiThreadCallSeen.onThisThread = Call("calltest", "CallingThread") == static_cast<int32_t>(GetCurrentThreadId());
    DWORD holdProbe = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(&HoldSeenByCallee));
    guiThreadCallSeen.heldDuringCall = Call("calltest", "CallBack", {holdProbe, 0}) != 0;
    return 7;
}

TEST(CallLibraryFunction, ACallFromTheGuiThreadIsMadeThereWithTheProgramHeld)
{
    runtime.callArguments[0] = 0xFEEDABAD;
    DWORD callback = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(&CallFromGuiThread));
    EXPECT_EQ(Call("calltest", "CallBack", {callback, 43}), 7);
    EXPECT_EQ(guiThreadCallSeen.difference, 42);
    EXPECT_TRUE(guiThreadCallSeen.onThisThread);
    EXPECT_TRUE(guiThreadCallSeen.heldDuringCall);
    EXPECT_EQ(runtime.programHoldRequested, 0) << "released afterwards";
    EXPECT_EQ(runtime.callArguments[0], callback) << "the GUI thread's calls leave the shared table alone";
    EXPECT_FALSE(TestLibraryLoaded());
}

TEST_F(SilentErrors, AMissingLibraryIsError247)
{
    EXPECT_EQ(Call("nosuchlibrary", "Anything"), -1);
    EXPECT_EQ(runtime.lastErrorCode, 247);
    EXPECT_EQ(runtime.lastErrorKind, 2);
    EXPECT_EQ(Call("C:\\nowhere\\calltest.dll", "CountCall"), -1);
    EXPECT_EQ(runtime.lastErrorCode, 247);
}

TEST_F(SilentErrors, AFunctionNotExportedIsError248AndTheLibraryIsFreed)
{
    const char* names[] = {"countcall", "COUNTCALL", "CountCall@0", "_CountCall@0", ""};
    for (const char* name : names) {
        runtime.lastErrorCode = 0;
        EXPECT_EQ(Call("calltest", name), -1) << name;
        EXPECT_EQ(runtime.lastErrorCode, 248) << name;
        EXPECT_FALSE(TestLibraryLoaded()) << name;
    }
    runtime.lastErrorCode = 0;
    EXPECT_EQ(Call("User32", "messageboxa"), -1);
    EXPECT_EQ(runtime.lastErrorCode, 248);
}

TEST_F(SilentErrors, LongNamesAreLoadedWhenTheSystemCanAndRefusedWhenNot)
{
    // A path far beyond 99 characters to a library that exists: loaded.
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    std::string folder = std::string(temp) + std::string(120, 'k');
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string longPath = folder + "\\calltest.dll";
    ASSERT_TRUE(CopyFileA((ProgramFolder() + "calltest.dll").c_str(), longPath.c_str(), FALSE));
    ASSERT_GT(longPath.size(), 99u);
    EXPECT_EQ(Call(longPath, "CountCall"), 1);
    EXPECT_EQ(runtime.lastErrorCode, 0);
    DeleteFileA(longPath.c_str());
    RemoveDirectoryA(folder.c_str());

    // A module name beyond 259 characters, and a path beyond every system limit: refused.
    for (size_t length : {300u, 40000u}) {
        std::string name(length, 'n');
        runtime.lastErrorCode = 0;
        EXPECT_EQ(Call(name, "CountCall"), -1) << length;
        EXPECT_EQ(runtime.lastErrorCode, 247) << length;
    }
}

TEST_F(SilentErrors, MoreValuesThanTheTableHoldsAreRefused)
{
    std::initializer_list<DWORD> values = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19,
                                           20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37};
    EXPECT_EQ(Call("calltest", "CountCall", values), -1);
    EXPECT_EQ(runtime.lastErrorCode, 248);
}

TEST(ShowMessageBox, BeforeTheMainWindowTheBoxIsUnownedAndItsResultKept)
{
    ASSERT_EQ(runtime.mainWindow, nullptr);
    struct Case {
        DWORD style;
        int button;
        int32_t result;
    };
    const Case cases[] = {{MB_OK, IDOK, IDOK}, {MB_OKCANCEL, IDCANCEL, IDCANCEL}, {MB_YESNO, IDYES, IDYES}};
    for (const Case& c : cases) {
        runtime.dialogResult = -99;
        MessageBoxAnswerer answerer(c.button);
        int32_t result = ShowMessageBox(RtString("Keine Datei: \xE4\xF6\xFC"), RtString("Kinoblick"), c.style);
        MessageBoxSeen seen = answerer.Result();
        ASSERT_TRUE(seen.found);
        EXPECT_EQ(seen.caption, "Kinoblick");
        EXPECT_EQ(seen.text, "Keine Datei: \xE4\xF6\xFC");
        EXPECT_EQ(seen.owner, nullptr);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(runtime.dialogResult, c.result);
    }
}

}  // namespace
