#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/command_line.h"

namespace {

std::vector<std::string> Split(const std::string& line)
{
    std::vector<RtString> words;
    SplitCommandLine(line.c_str(), words);
    std::vector<std::string> result;
    for (const RtString& word : words)
        result.emplace_back(word.Text(), word.Length());
    return result;
}

struct SplitCase {
    const char* line;
    std::vector<std::string> words;
};

const SplitCase splitCases[] = {
    {"", {}},
    {"     ", {}},
    {"prog", {"prog"}},
    {"prog   ", {"prog"}},
    {"prog \"C:\\My Clips\\a b.avi\" 1 0", {"prog", "C:\\My Clips\\a b.avi", "1", "0"}},
    {"prog   a    b   ", {"prog", "a", "b"}},
    {"prog \"\"", {"prog", ""}},
    {"prog \"\"\"\"", {"prog", "", ""}},
    {"prog \"quoted\"letters", {"prog", "quoted", "letters"}},
    {"prog \"open to the end  ", {"prog", "open to the end  "}},
    {"prog a\"b c", {"prog", "a\"b", "c"}},
    {"prog a\tb", {"prog", "a\tb"}},
    {"\"C:\\Program Files\\k.exe\" x", {"C:\\Program Files\\k.exe", "x"}},
    {"prog \xE4\xF6\xFC \xFF", {"prog", "\xE4\xF6\xFC", "\xFF"}},
    {"prog \"", {"prog", ""}},
    {"prog \"a\" ", {"prog", "a"}},
    {"prog\"x\" y", {"prog\"x\"", "y"}},      // the program token may carry quotes too
    {"\"\"", {""}},
    {"\"a\"\"b\" c", {"a", "b", "c"}},
};

TEST(SplitCommandLine, SplitsAsSpecified)
{
    for (const SplitCase& c : splitCases)
        EXPECT_EQ(Split(c.line), c.words) << "line: [" << c.line << "]";
}

TEST(SplitCommandLine, LeavesTheTextUnchanged)
{
    std::string line = "prog \"a b\" c";
    std::string copy = line;
    std::vector<RtString> words;
    SplitCommandLine(line.c_str(), words);
    EXPECT_EQ(line, copy);
}

TEST(SplitCommandLine, LongLinesOfEveryShape)
{
    // 32 KB of blanks, one huge word, many short words, an unclosed quote over everything.
    std::string blanks = "prog" + std::string(32767 - 4, ' ');
    EXPECT_EQ(Split(blanks).size(), 1u);

    std::string huge = "prog " + std::string(32000, 'x');
    auto words = Split(huge);
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[1].size(), 32000u);

    std::string many = "prog";
    for (int i = 0; i < 8000; ++i)
        many += " ab";
    EXPECT_EQ(Split(many).size(), 8001u);

    std::string unclosed = "prog \"" + std::string(32000, ' ');
    words = Split(unclosed);
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[1].size(), 32000u);
}

}  // namespace
