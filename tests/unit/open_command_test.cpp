// The player's open command: the short path goes in unchanged unless it contains a blank.
#include <gtest/gtest.h>

#include "player/player.h"

TEST(OpenCommandText, QuotesOnlyShortPathsWithBlanks)
{
    struct Case {
        const char* shortPath;
        int32_t mpeg;
        const char* command;
    };
    static const Case cases[] = {
        {"C:\\FILME\\URLAUB~1.MPG", 1, "OPEN C:\\FILME\\URLAUB~1.MPG TYPE MPEGVIDEO ALIAS VIDEO"},
        {"C:\\FILME\\CLIP.AVI", 0, "OPEN C:\\FILME\\CLIP.AVI TYPE AVIVIDEO ALIAS VIDEO"},
        {"C:\\Eigene Filme\\Urlaub 2019.mpg", 1, "OPEN \"C:\\Eigene Filme\\Urlaub 2019.mpg\" TYPE MPEGVIDEO ALIAS VIDEO"},
        {"D:\\a b.avi", 0, "OPEN \"D:\\a b.avi\" TYPE AVIVIDEO ALIAS VIDEO"},
        {"", 0, "OPEN  TYPE AVIVIDEO ALIAS VIDEO"},     // a missing file has no short path
        {"C:\\X.MPG", 2, "OPEN C:\\X.MPG TYPE AVIVIDEO ALIAS VIDEO"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(OpenCommandText(c.shortPath, c.mpeg).Text(), c.command) << c.shortPath;
}
