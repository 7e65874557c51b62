#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/runtime_state.h"
#include "services/parameters.h"

namespace {

std::string TempFolder()
{
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    return temp;
}

void MakeFile(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    CloseHandle(file);
}

// A command line of the program name, a quoted path with a blank, and the word 1.
class Parameters : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedParameters = runtime.parameters;
        savedCount = runtime.parameterCount;
        savedMode = runtime.errorMode;
        runtime.parameters = {RtString("Kinoblick.exe"), RtString("C:\\my clips\\a.mpg"), RtString("1")};
        runtime.parameterCount = 2;
        runtime.errorMode = -1;
        runtime.lastErrorCode = 0;
    }
    void TearDown() override
    {
        runtime.parameters = savedParameters;
        runtime.parameterCount = savedCount;
        runtime.errorMode = savedMode;
    }
    std::vector<RtString> savedParameters;
    LONG savedCount = 0;
    LONG savedMode = 0;
};

TEST_F(Parameters, WordsByIndex)
{
    EXPECT_STREQ(GetParameter(1).Text(), "C:\\my clips\\a.mpg");
    EXPECT_STREQ(GetParameter(2).Text(), "1");
    EXPECT_STREQ(GetParameter(-1).Text(), "") << "negative: empty, no error";
    EXPECT_EQ(runtime.lastErrorCode, 0);
}

TEST_F(Parameters, IndexZeroIsTheProgramsFullPath)
{
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, sizeof module);
    RtString path = GetParameter(0);
    EXPECT_STRCASEEQ(path.Text(), module);
    EXPECT_EQ(path.Text()[1], ':') << "a full path";
}

TEST_F(Parameters, BeyondTheCountIsError208)
{
    for (int32_t index : {3, 4, INT32_MAX}) {
        runtime.lastErrorCode = 0;
        EXPECT_STREQ(GetParameter(index).Text(), "");
        EXPECT_EQ(runtime.lastErrorCode, 208);
        EXPECT_EQ(runtime.lastErrorKind, 2);
    }
}

TEST_F(Parameters, ACountLargerThanTheListGivesTheEmptyText)
{
    runtime.parameterCount = 10;
    EXPECT_STREQ(GetParameter(5).Text(), "");
    EXPECT_EQ(runtime.lastErrorCode, 0);
}

TEST(ShortPathName, ExistingAndMissingFiles)
{
    std::string folder = TempFolder() + "kalmus short names";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string file = folder + "\\my clip.avi";
    MakeFile(file);

    RtString shortPath = ShortPathName(RtString(file.c_str()));
    std::string text(shortPath.Text(), shortPath.Length());
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text.find(' '), std::string::npos) << text;
    char longAgain[MAX_PATH] = {};
    GetLongPathNameA(text.c_str(), longAgain, sizeof longAgain);
    EXPECT_STRCASEEQ(longAgain, file.c_str()) << "names the same file";

    EXPECT_STREQ(ShortPathName(RtString((folder + "\\missing.avi").c_str())).Text(), "");
    EXPECT_STREQ(ShortPathName(RtString("")).Text(), "");
    DeleteFileA(file.c_str());
    RemoveDirectoryA(folder.c_str());
}

// A path longer than the 292 characters offered at first: the system is asked again with the
// room it wants, so the answer is the whole short form or, where the system's narrow-character
// calls stop at MAX_PATH (as under Wine), the empty text; never a cut path.
TEST(ShortPathName, PathsBeyondTheFirstBuffer)
{
    std::wstring deep = L"\\\\?\\";
    std::string narrow = TempFolder();
    deep += std::wstring(narrow.begin(), narrow.end());
    std::vector<std::wstring> folders;
    for (int i = 0; i < 4; ++i) {
        std::string part = std::string(70, static_cast<char>('a' + i)) + "\\";
        deep += std::wstring(part.begin(), part.end());
        narrow += part;
        ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
        folders.push_back(deep);
    }
    HANDLE file = CreateFileW((deep + L"clip.avi").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    narrow += "clip.avi";
    ASSERT_GT(narrow.size(), 292u);

    RtString shortPath = ShortPathName(RtString(narrow.c_str()));
    std::string text(shortPath.Text(), shortPath.Length());
    if (!text.empty()) {
        EXPECT_EQ(text.substr(text.size() - 8), "clip.avi") << text;
        EXPECT_EQ(GetFileAttributesA(text.c_str()) != INVALID_FILE_ATTRIBUTES, true) << text;
    }
    std::string beyondEverything(40000, 'p');
    EXPECT_STREQ(ShortPathName(RtString(beyondEverything.c_str())).Text(), "");

    DeleteFileW((deep + L"clip.avi").c_str());
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
        RemoveDirectoryW(folder->c_str());
}

}  // namespace
