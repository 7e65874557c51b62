#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/dialog_requests.h"

namespace {

using namespace std::string_literals;

const std::string longName = "a." + std::string(5000, 'x');   // longer than any fixed buffer

TEST(FileDialogFilter, SaveDialogPatternAndDefaultExtensionComeFromTheFilesOwnName)
{
    const struct {
        std::string fileName;
        std::string list;
        std::string defaultExtension;
    } cases[] = {
        {"clip.avi", "*.avi\0\0"s, "avi"},
        {"archive.tar.gz", "*.tar.gz\0\0"s, "tar.gz"},
        {"ohne_punkt", "*.*\0\0"s, ""},
        {"", "*.*\0\0"s, ""},
        {"C:\\Filme.alt\\clip.avi", "*.avi\0\0"s, "avi"},   // a folder's dot does not count
        {"D:/Filme.alt/ohne_punkt", "*.*\0\0"s, ""},
        {longName, "*." + longName.substr(2) + "\0\0"s, longName.substr(2)},
    };
    for (const auto& c : cases) {
        FileDialogFilter filter = SaveDialogFilter(c.fileName.c_str());
        EXPECT_EQ(filter.list, c.list) << c.fileName.substr(0, 40);
        EXPECT_TRUE(filter.hasDefaultExtension);
        EXPECT_EQ(filter.defaultExtension, c.defaultExtension) << c.fileName.substr(0, 40);
    }
}

// A piece at an odd count that starts with "*" is listed twice: the parity is that of the
// pieces, not of the strings written.
TEST(FileDialogFilter, OpenDialogListsThePiecesWithLonePatternsDoubled)
{
    const struct {
        const char* filter;
        std::string list;
    } cases[] = {
        {"Videos|*.avi", "Videos\0*.avi\0\0"s},
        {"*.avi", "*.avi\0*.avi\0\0"s},
        {"*.avi|*.mpg", "*.avi\0*.avi\0*.mpg\0\0"s},
        {"*.avi|*.mpg|*.wav", "*.avi\0*.avi\0*.mpg\0*.wav\0*.wav\0\0"s},
        {"Videos||*.avi", "Videos\0*.avi\0\0"s},   // strtok skips empty pieces
        {"", "\0"s},
        {"|||", "\0"s},
    };
    for (const auto& c : cases) {
        std::string text = c.filter;
        FileDialogFilter filter = OpenDialogFilter(&text[0]);
        EXPECT_EQ(filter.list, c.list) << c.filter;
        EXPECT_FALSE(filter.hasDefaultExtension) << c.filter;
    }
    char text[] = "Videos|*.avi";
    OpenDialogFilter(text);
    EXPECT_EQ(std::string(text, sizeof text - 1), "Videos\0*.avi"s) << "split in place";
    EXPECT_EQ(OpenDialogFilter(nullptr).list, "\0"s);
}

}  // namespace
