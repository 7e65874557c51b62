// The value layer: the string type and its block contract, number formatting, the string
// functions, text to number, argument values and the value stack.
#include <gtest/gtest.h>

#include <malloc.h>

#include <clocale>
#include <cmath>
#include <string>

#include "kernel/runtime_state.h"
#include "values/program_objects.h"
#include "values/string_functions.h"
#include "values/value.h"

namespace {

using namespace std::string_literals;

std::string Bytes(const RtString& s)
{
    return std::string(s.Text(), s.Length());
}

RtString Make(const std::string& bytes)
{
    return RtString::ConstructFromRange(bytes.data(), 0, static_cast<uint32_t>(bytes.size()));
}

// Every block holds length + 2 bytes and a terminator at length.
void ExpectWellFormed(const RtString& s)
{
    ASSERT_NE(s.text, nullptr);
    EXPECT_EQ(s.text[s.length], 0);
    EXPECT_GE(_msize(s.text), s.length + 2u);
}

// Six decimals, no field width and errors recorded silently; no separator set means a full stop.
class Values : public ::testing::Test {
protected:
    void SetUp() override
    {
        runtime.decimals = 6;
        runtime.minFieldWidth = 0;
        runtime.errorMode = -1;
        runtime.lastErrorCode = 0;
    }
};

TEST(RtString, OwnedBlocksEmbeddedZeroBytesComparisonAndReplacing)
{
    RtString empty(static_cast<const char*>(nullptr)), other, zero;
    EXPECT_NE(empty.text, other.text) << "every empty string owns its block";
    zero.AppendChar(0);
    EXPECT_EQ(Bytes(zero), "\0"s);
    RtString s("ab");
    s.AppendChar(0);
    s.AppendChar('c');
    RtString copy(s);
    EXPECT_NE(copy.text, s.text);
    copy.AppendString(copy);
    EXPECT_EQ(Bytes(copy), "ab\0cab\0c"s);
    for (const RtString* t : {&empty, &zero, &copy})
        ExpectWellFormed(*t);

    char* before = s.text;
    s.AssignString(s);
    EXPECT_EQ(s.text, before) << "self-assignment keeps the block";
    s.AssignText(s.Text() + 1);   // a text of the string itself stays readable
    EXPECT_EQ(Bytes(s), "b");
    RtString moved(std::move(s));   // a string without text until its next assignment
    EXPECT_EQ(s.CompareText(""), 1);
    s.AppendText("q");
    EXPECT_EQ(Bytes(s), "q");

    const struct { const char* own; const char* other; int expected; } comparisons[] = {
        {"abd", "abc", 1}, {"ab", "abc", -1}, {"abc", "abc", 0}, {"\xE4", "z", 1}, {"abc", nullptr, 1},
    };
    for (const auto& c : comparisons)
        EXPECT_EQ(RtString(c.own).CompareText(c.other), c.expected) << c.own;

    const struct { uint32_t position, count; const char* insert; const char* expected; } replaces[] = {
        {1, 1, "XY", "aXYc"}, {1, 9, "XY", "aXY"}, {1, 0xFFFFFFFFu, "", "a"}, {9, 0, "!", "abc!"},
    };
    for (const auto& c : replaces) {
        RtString r("abc");
        r.ReplaceRange(c.position, c.count, RtString(c.insert));
        EXPECT_EQ(Bytes(r), c.expected) << c.position << " " << c.count;
        ExpectWellFormed(r);
    }
}

TEST_F(Values, NumbersAsText)
{
    const struct { double value; int decimals; const char* expected; } reals[] = {
        {12.5, 6, "12.500000"},       {0.0, 6, "0.000000"},          {0.0000006, 6, "0.000001"},
        {-0.0000004, 6, "-0.000000"},  // rounds to zero and keeps its sign
        // -0.0000001 is stored as -9.99999999999999954748e-8, below 10^-7: it rounds as its
        // neighbours do, to exactly decimals zeros.
        {-0.0000001, 6, "-0.000000"}, {0.00000006, 6, "0.000000"},  {0.05, 0, "0"},
        {0.0000001, 7, "0.0000001"},  {1279.6, 0, "1280"},          {0.5, 0, "1"},
        {0.4, 0, "0"},                {9.9999996, 6, "10.000000"},  {-999.5, 0, "-1000"},
        {2.675, 2, "2.67"},           {0.125, 2, "0.13"},           // 2.675 is 2.67499999...
        {0.1, 20, "0.10000000000000000555"},
        {12345.6, -2, "12300"},       {50.0, -2, "100"},            // negative: tens, hundreds
        {4.0, -2, "0"},               {-12345.0, -6, "-0"},
        {NAN, 6, "nan"},              {-INFINITY, 6, "-inf"},
    };
    for (const auto& c : reals) {
        runtime.decimals = c.decimals;
        RtString s = RtString::FromReal(c.value);
        EXPECT_EQ(Bytes(s), c.expected) << c.value << " with " << c.decimals << " decimals";
        ExpectWellFormed(s);
    }
    runtime.decimals = 1100;   // every digit is kept, however many
    std::string tiny = Bytes(RtString::FromReal(4.9406564584124654e-324));   // smallest subnormal
    EXPECT_EQ(tiny.substr(0, 330), "0." + std::string(323, '0') + "49406");
    runtime.decimals = INT32_MAX;   // beyond every digit a double has: capped
    EXPECT_EQ(Bytes(RtString::FromReal(0.5)), "0.5" + std::string(1099, '0'));

    EXPECT_EQ(Bytes(RtString::FromLong(INT32_MIN)), "-2147483648");
    runtime.minFieldWidth = 6;
    EXPECT_EQ(Bytes(RtString::FromInt(-42)), "   -42");
    runtime.minFieldWidth = -1;   // huge when compared unsigned: pads nothing rather than 4 GB
    EXPECT_EQ(Bytes(RtString::FromInt(7)), "7");
    runtime.minFieldWidth = 12;
    runtime.decimals = 6;
    char comma[8] = ",";
    runtime.decimalSeparator = comma;
    EXPECT_EQ(Bytes(RtString::FromReal(2.25)), "    2,250000");
    runtime.decimalSeparator = nullptr;
}

TEST(StringFunctions, PartsBlanksTrimmingAndLowerCase)
{
    const struct { std::string s; int32_t count; std::string left, right; } parts[] = {
        {"abc", 5, "abc", ""},   {"abc", 3, "abc", "abc"}, {"abc", 2, "ab", "bc"},
        {"abc", -1, "", ""},     {"abc", INT32_MIN, "", ""}, {"a\0b\0"s, 3, "a\0b"s, "\0b\0"s},
    };
    for (const auto& c : parts) {
        EXPECT_EQ(Bytes(TakeLeft(Make(c.s), c.count)), c.left) << c.s << " " << c.count;
        EXPECT_EQ(Bytes(TakeRight(Make(c.s), c.count)), c.right) << c.s << " " << c.count;
    }

    const std::pair<std::string, std::string> trims[] = {
        {"\t x y\r\n", "x y"}, {" \t\r\n\xA0", ""}, {"\0 a\0"s, "a"}, {"a\0b"s, "a\0b"s},
        {"\x0B" "a\x0C", "\x0B" "a\x0C"},   // vertical tab and form feed are not blanks
    };
    for (const auto& c : trims)
        EXPECT_EQ(Bytes(TrimBlanks(Make(c.first))), c.second);

    ASSERT_NE(std::setlocale(LC_ALL, "English"), nullptr);   // as start-up selects it
    EXPECT_EQ(Bytes(ToLowerCase(Make("ABC.MPG \xC4\xD6\xDC\x8A\0Z"s))), "abc.mpg \xE4\xF6\xFC\x9A\0z"s);
    std::setlocale(LC_ALL, "C");
}

TEST(StringFunctions, SearchingIsByteExact)
{
    const std::string suffixes = ".mpg|.mpe|.dat|mpeg|.mp3|mpg2|peg2|svcd";
    const struct { std::string needle, searched; int32_t position, count; } cases[] = {
        {".mpg", suffixes, 1, 1}, {"mp", suffixes, 2, 5},   {".avi", suffixes, 0, 0},
        {"", suffixes, 0, 0},     {".MPG", suffixes, 0, 0}, {"aa", "aaaa", 1, 2},   // no overlap
        {"abc", "ab", 0, 0},      {"\0"s, "a\0b\0"s, 2, 2}, {"b", "a\0b"s, 3, 1},
        {"c\0"s, "abc", 0, 0},    // the terminator behind the length is not searched
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindSubstring(Make(c.needle), Make(c.searched)), c.position) << c.needle;
        EXPECT_EQ(CountOccurrences(Make(c.searched), Make(c.needle)), c.count) << c.needle;
    }

    const struct { std::string s, search, replacement, result; } replaces[] = {
        {"aaa", "aa", "b", "ba"},   {"abc", "", "x", "abc"},   {"abc", "b", "", "ac"},
        {"abab", "ab", "abab", "abababab"},                    // inserted text is not searched
        {"a\0b\0"s, "\0"s, "\0\0"s, "a\0\0b\0\0"s},
    };
    for (const auto& c : replaces)
        EXPECT_EQ(Bytes(ReplaceAll(Make(c.s), Make(c.search), Make(c.replacement))), c.result) << c.s;
}

TEST_F(Values, ExtractFieldCountsFromOne)
{
    const struct { std::string s; int32_t field; std::string delimiter, result; } cases[] = {
        {"10 20 30 40", 2, " ", "20"}, {"10 20 30 40", 4, " ", "40"}, {"10 20 30 40", 5, " ", ""},
        {"whole", 1, " ", "whole"},    {"whole", 2, " ", ""},          {"a  b", 2, " ", ""},
        {"a  b", 3, " ", "b"},         {" a", 1, " ", ""},             {"a::b::c", 2, "::", "b"},
        {"a:b", 2, "", ""},            {"a\0b\0c"s, 3, "\0"s, "c"},    {"1;2", INT32_MAX, ";", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Bytes(ExtractField(Make(c.s), c.field, Make(c.delimiter))), c.result) << c.s << " " << c.field;
    EXPECT_EQ(runtime.lastErrorCode, 0);
    EXPECT_EQ(Bytes(ExtractField(Make("a b"), 0, Make(" "))), "");
    EXPECT_EQ(runtime.lastErrorCode, 205);
    EXPECT_EQ(runtime.lastErrorKind, 2);
}

TEST_F(Values, TextToNumber)
{
    EXPECT_EQ(IsNumericText("+,.1-2"), 1) << "signs and separators anywhere";
    EXPECT_EQ(IsNumericText(nullptr), 1);
    EXPECT_EQ(IsNumericText("1e5"), 0);

    const struct { std::string s; int32_t type; std::string text; double real; int32_t integer; } cases[] = {
        {"$ff", Integer, "255", 255, 255},   {"&17", Integer, "15", 15, 15},
        {"%101", Integer, "5", 5, 5},        {"  $10zz ", Integer, "16", 16, 16},   // trimmed
        {"$FFFFFFFF", Integer, "2147483647", 2147483647.0, INT32_MAX},   // clamped
        {"$-FFFFFFFFF", Integer, "-2147483648", -2147483648.0, INT32_MIN},
        {" 15", Real, "15.000000", 15, 15},  {"", Real, "0.000000", 0, 0},
        {"-2.7", Real, "-2.700000", -2.7, -2},                 // truncated toward zero
        {"1,5", Real, "1.000000", 1, 1},                       // strtod stops at the comma
        {"3000000000", Real, "3000000000.000000", 3e9, -1294967296},
        {" 1.5", String, " 1.5", 0, 0},                        // texts with a point are not trimmed
        {"12abc", String, "12abc", 0, 0},    {"1.5\0"s, String, "1.5\0"s, 0, 0},
    };
    for (const auto& c : cases) {
        Value v = ParseValue(Make(c.s));
        EXPECT_EQ(v.type, c.type) << c.s;
        EXPECT_EQ(Bytes(v.text), c.text) << c.s;
        EXPECT_DOUBLE_EQ(v.real, c.real) << c.s;
        EXPECT_EQ(v.integer, c.integer) << c.s;
        EXPECT_EQ(ParseInteger(Make(c.s)), c.integer) << c.s;
    }
    EXPECT_EQ(RealToInteger(-4294967297.0), -1);
    EXPECT_EQ(RealToInteger(1e19), 0) << "beyond 64 bits";
    EXPECT_EQ(RealToInteger(NAN), 0);
}

TEST_F(Values, ArgumentSlotsAndTheValueStack)
{
    Value one = ValueFromInteger(1), text = ValueFromString(RtString("t"));
    StoreProcedureArguments(2, &one, &one);
    one.integer = 99;
    EXPECT_EQ(procedureArgumentCount, 2);
    EXPECT_EQ(IntArgument(2), 1) << "the slot holds a copy";
    StoreProcedureArguments(1, &text);   // a string replaces every field of the integer
    EXPECT_EQ(argumentSlots[1].type, String);
    EXPECT_STREQ(argumentSlots[1].text.Text(), "t");
    EXPECT_EQ(argumentSlots[1].integer, 0);
    EXPECT_EQ(IntArgument(2), 1) << "slots beyond the count keep what was there";
    StoreProcedureArguments(0);
    EXPECT_EQ(procedureArgumentCount, 0);

    const Value* v = &one;   // 33 arguments: the last two are counted, not kept
    StoreProcedureArguments(33, v, v, v, v, v, v, v, v, v, v, v, v, v, v, v, v, v, v, v, v, v, v, v, v, v,
                            v, v, v, v, v, v, v, v);
    EXPECT_EQ(procedureArgumentCount, 33);
    EXPECT_EQ(IntArgument(31), 99);
    EXPECT_EQ(IntArgument(32), 0);

    int32_t target = -5;
    PopValue(&target);
    EXPECT_EQ(target, -5) << "an empty stack leaves the target alone";
    for (int32_t value : {1, 2, 3})
        PushValue(value);
    for (int32_t expected : {3, 2, 1, 1}) {   // the fourth pop finds the stack empty
        PopValue(&target);
        EXPECT_EQ(target, expected);
    }
}

}  // namespace
