#include <gtest/gtest.h>

#include <malloc.h>

#include <cstring>
#include <string>

#include "kernel/runtime_state.h"
#include "number_settings.h"
#include "values/rt_string.h"

namespace {

std::string Bytes(const RtString& s)
{
    return std::string(s.text, s.length);
}

// Every block holds length + 2 bytes and a terminator at length.
void ExpectWellFormed(const RtString& s)
{
    ASSERT_NE(s.text, nullptr);
    EXPECT_EQ(s.text[s.length], 0);
    EXPECT_GE(_msize(s.text), static_cast<size_t>(s.length) + 2);
}

TEST(RtString, ConstructionAndAssignment)
{
    RtString fromNull(static_cast<const char*>(nullptr));
    ExpectWellFormed(fromNull);
    EXPECT_EQ(fromNull.length, 0u);
    EXPECT_EQ(fromNull.CompareText(""), 0);

    RtString empty;
    EXPECT_NE(empty.text, fromNull.text) << "every empty string owns its block";

    RtString abc("abc");
    RtString copy(abc);
    EXPECT_NE(copy.text, abc.text);
    EXPECT_EQ(Bytes(copy), "abc");
    ExpectWellFormed(copy);

    char* before = abc.text;
    abc.AssignString(abc);
    EXPECT_EQ(abc.text, before) << "self-assignment keeps the block";
    EXPECT_EQ(Bytes(abc), "abc");

    abc.AssignText(nullptr);
    EXPECT_EQ(abc.length, 0u);
    ExpectWellFormed(abc);
}

TEST(RtString, EmbeddedZeroBytesSurviveCopies)
{
    RtString s("ab");
    s.AppendChar(0);
    EXPECT_EQ(s.length, 3u);
    EXPECT_EQ(Bytes(s), std::string("ab\0", 3));
    ExpectWellFormed(s);

    s.AppendChar('c');
    EXPECT_EQ(Bytes(s), std::string("ab\0c", 4)) << "appends copy by length, past the zero byte";

    RtString copy(s);
    EXPECT_EQ(Bytes(copy), Bytes(s));

    RtString range = RtString::ConstructFromRange("x\0y\0z", 1, 3);
    EXPECT_EQ(Bytes(range), std::string("\0y\0", 3));
    ExpectWellFormed(range);

    RtString joined = RtString("a").Concat(range);
    EXPECT_EQ(Bytes(joined), std::string("a\0y\0", 4));
}

TEST(RtString, Appending)
{
    RtString s("ab");
    s.AppendText(nullptr);
    EXPECT_EQ(Bytes(s), "ab");
    s.AppendText("cd");
    EXPECT_EQ(Bytes(s), "abcd");
    s.AppendString(s);
    EXPECT_EQ(Bytes(s), "abcdabcd") << "appending a string to itself doubles it";
    ExpectWellFormed(s);

    RtString absent("xy");
    std::free(absent.text);
    absent.text = nullptr;  // as between a release and the next allocation
    absent.AppendText("q");
    EXPECT_EQ(Bytes(absent), "q");
    RtString target("t");
    RtString none("zz");
    std::free(none.text);
    none.text = nullptr;
    target.AppendString(none);
    EXPECT_EQ(Bytes(target), "t");
    EXPECT_EQ(none.CompareText(""), 1);
}

TEST(RtString, TextsOfTheStringItselfCanBeAssignedAndAppended)
{
    RtString s("abc");
    s.AssignText(s.Text());
    EXPECT_EQ(Bytes(s), "abc");
    s.AssignText(s.Text() + 1);
    EXPECT_EQ(Bytes(s), "bc");
    s.AppendText(s.Text());
    EXPECT_EQ(Bytes(s), "bcbc");
    s.ReplaceRange(2, 0, s);
    EXPECT_EQ(Bytes(s), "bcbcbcbc");
    ExpectWellFormed(s);

    RtString absent("xy");
    std::free(absent.text);
    absent.text = nullptr;
    RtString target("t");
    target.AssignString(absent);
    EXPECT_EQ(Bytes(target), "");
    ExpectWellFormed(target);
}

TEST(RtString, AppendCharZeroOnTheEmptyString)
{
    RtString s;
    s.AppendChar(0);
    EXPECT_EQ(Bytes(s), std::string("\0", 1));
    ExpectWellFormed(s);
}

TEST(RtString, ConcatLeavesOperandsAlone)
{
    RtString left("left"), right("right");
    RtString both = left.Concat(right);
    EXPECT_EQ(Bytes(both), "leftright");
    EXPECT_EQ(Bytes(left), "left");
    EXPECT_EQ(Bytes(right), "right");
}

TEST(RtString, Comparison)
{
    struct Case {
        const char* own;
        const char* other;
        int expected;
    };
    const Case cases[] = {
        {"abd", "abc", 1}, {"ab", "abc", -1}, {"abc", "abc", 0}, {"", "", 0},
        {"\xE4", "z", 1},  // bytes compare unsigned
        {"abc", nullptr, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RtString(c.own).CompareText(c.other), c.expected) << c.own;
    EXPECT_EQ(RtString("stopped").Equals(RtString("stopped")), 1);
    EXPECT_EQ(RtString("stopped").Equals(RtString("playing")), 0);
}

TEST(RtString, ReplaceRange)
{
    struct Case {
        const char* text;
        uint32_t position, count;
        const char* insert;
        const char* expected;
    };
    const Case cases[] = {
        {"abc", 1, 1, "XY", "aXYc"}, {"abc", 1, 9, "XY", "aXY"}, {"abc", 0, 0, "  ", "  abc"},
        {"abc", 3, 0, "!", "abc!"},  {"abc", 0, 3, "", ""},      {"abc", 1, 0xFFFFFFFFu, "", "a"},
        {"abc", 9, 0, "!", "abc!"},  // a position past the end is clamped, never read beyond
    };
    for (const Case& c : cases) {
        RtString s(c.text);
        s.ReplaceRange(c.position, c.count, RtString(c.insert));
        EXPECT_EQ(Bytes(s), c.expected) << c.text << " at " << c.position << " count " << c.count;
        ExpectWellFormed(s);
    }
}

TEST_F(NumberSettings, IntegersAndPadding)
{
    EXPECT_EQ(Bytes(RtString::FromInt(-42)), "-42");
    EXPECT_EQ(Bytes(RtString::FromInt(0)), "0");
    EXPECT_EQ(Bytes(RtString::FromLong(INT32_MIN)), "-2147483648");
    runtime.minFieldWidth = 6;
    EXPECT_EQ(Bytes(RtString::FromInt(-42)), "   -42");
    EXPECT_EQ(Bytes(RtString::FromInt(1234567)), "1234567");
    EXPECT_EQ(Bytes(RtString::FromReal(1.5)), "1.500000");
    runtime.minFieldWidth = 12;
    EXPECT_EQ(Bytes(RtString::FromReal(1.5)), "    1.500000");
    runtime.minFieldWidth = -1;  // huge when compared unsigned: pads nothing rather than 4 GB
    EXPECT_EQ(Bytes(RtString::FromInt(7)), "7");
}

struct RealCase {
    double value;
    int decimals;
    const char* expected;
};

const RealCase realCases[] = {
    {12.5, 6, "12.500000"},
    {0.05, 6, "0.050000"},
    {-3, 6, "-3.000000"},
    {0.0000006, 6, "0.000001"},
    {0.0000004, 6, "0.000000"},
    {0.0, 6, "0.000000"},
    {-0.0000004, 6, "-0.000000"},  // rounds to zero and keeps its sign
    // As a double, -0.0000001 is -9.99999999999999954748e-8, below 10^-7: it rounds to zero
    // like its neighbours, with exactly decimals zeros.
    {-0.0000001, 6, "-0.000000"},
    {0.00000006, 6, "0.000000"},
    {1279.6, 0, "1280"},
    {1279.4, 0, "1279"},
    {0.7, 0, "1"},
    {0.5, 0, "1"},
    {0.05, 0, "0"},
    {0.4, 0, "0"},
    {9.9999996, 6, "10.000000"},   // a carry through every nine adds a digit
    {999.5, 0, "1000"},
    {-999.5, 0, "-1000"},
    {2.675, 2, "2.67"},            // the exact binary value is 2.67499999...
    {1.005, 2, "1.00"},
    {0.125, 2, "0.13"},            // exact half: rounded up on the digits
    {1e20, 2, "100000000000000000000.00"},
    {123456789.0, 0, "123456789"},
    {4294967296.5, 1, "4294967296.5"},
    {12345.6, -2, "12300"},        // a negative setting rounds to hundreds
    {50.0, -2, "100"},
    {4.0, -2, "0"},
    {0.5, -2, "0"},
    {12345.0, -6, "0"},            // rounded away entirely: one zero, not a row of them
    {-12345.0, -6, "-0"},
    {0.0, 0, "0"},
    {1.0, 20, "1.00000000000000000000"},
    {0.1, 20, "0.10000000000000000555"},
};

TEST_F(NumberSettings, RealsFollowTheFixedPointContract)
{
    for (const RealCase& c : realCases) {
        runtime.decimals = c.decimals;
        RtString s = RtString::FromReal(c.value);
        EXPECT_EQ(Bytes(s), c.expected) << c.value << " with " << c.decimals << " decimals";
        ExpectWellFormed(s);
    }
}

TEST_F(NumberSettings, VeryLongFixedPointFormsKeepEveryDigit)
{
    runtime.decimals = 2;
    std::string max = Bytes(RtString::FromReal(1.7976931348623157e308));
    EXPECT_EQ(max.size(), 309u + 3u);
    EXPECT_EQ(max.substr(0, 17), "17976931348623157");
    EXPECT_EQ(max.substr(max.size() - 3), ".00");

    runtime.decimals = 1100;
    std::string tiny = Bytes(RtString::FromReal(4.9406564584124654e-324));  // smallest subnormal
    EXPECT_EQ(tiny.size(), 2u + 1100u);
    EXPECT_EQ(tiny.substr(0, 2 + 323), "0." + std::string(323, '0'));
    EXPECT_EQ(tiny.substr(2 + 323, 5), "49406");

    runtime.decimals = INT32_MAX;   // beyond every digit a double has: capped, not a crash
    EXPECT_EQ(Bytes(RtString::FromReal(0.5)), "0.5" + std::string(1099, '0'));
    runtime.decimals = INT32_MIN;
    EXPECT_EQ(Bytes(RtString::FromReal(-1e300)), "-0");
}

TEST_F(NumberSettings, TheSeparatorComesFromTheLocaleSetting)
{
    std::strcpy(separator, ",");
    EXPECT_EQ(Bytes(RtString::FromReal(2.25)), "2,250000");
}

}  // namespace
