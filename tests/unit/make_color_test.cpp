#include <gtest/gtest.h>

#include "kernel/runtime_state.h"
#include "services/window_commands.h"

namespace {

struct ColourCase {
    int32_t red, green, blue;
    int32_t colour;
};

TEST(MakeColor, TwentyFourBitForm)
{
    const ColourCase cases[] = {
        {300, 16, -1, 0xFF10FF},     // above 255 gives 255, -1 its low 8 bits
        {255, 255, 255, 0xFFFFFF},
        {0, 0, 0, 0},
        {254, 1, 128, 0x8001FE},
        {-256, 256, 257, 0xFFFF00},
        {INT32_MIN, INT32_MAX, -129, 0x7FFF00},
    };
    SetTrueColorMode(1);
    for (const ColourCase& c : cases)
        EXPECT_EQ(MakeColor(c.red, c.green, c.blue), c.colour) << c.red << " " << c.green << " " << c.blue;
    SetTrueColorMode(0);
}

// Each component keeps to its own 5 bits: 31 and above give 31, anything else its low 5 bits,
// so negative components never spill into their neighbours.
TEST(MakeColor, FifteenBitForm)
{
    const ColourCase cases[] = {
        {40, 10, 31, 31 | 10 << 5 | 31 << 10},
        {31, 31, 31, 0x7FFF},
        {0, 0, 0, 0},
        {-1, 0, 0, 31},
        {0, -1, 0, 31 << 5},
        {0, 0, -1, 31 << 10},
        {-32, -2, INT32_MIN, 30 << 5},
        {INT32_MAX, 1, 2, 31 | 1 << 5 | 2 << 10},
    };
    SetTrueColorMode(0);
    for (const ColourCase& c : cases) {
        int32_t colour = MakeColor(c.red, c.green, c.blue);
        EXPECT_EQ(colour, c.colour) << c.red << " " << c.green << " " << c.blue;
        EXPECT_EQ(colour & ~0x7FFF, 0);
    }
}

}  // namespace
