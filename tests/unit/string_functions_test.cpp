#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "kernel/runtime_state.h"
#include "number_settings.h"
#include "values/string_functions.h"

namespace {

std::string Bytes(const RtString& s)
{
    return std::string(s.Text(), s.Length());
}

RtString Make(const std::string& bytes)
{
    return RtString::ConstructFromRange(bytes.data(), 0, static_cast<uint32_t>(bytes.size()));
}

// Byte strings with embedded zero bytes, written without the terminator getting in the way.
template <size_t N>
std::string B(const char (&bytes)[N])
{
    return std::string(bytes, N - 1);
}

const std::string longText = std::string(100000, 'x') + "needle" + std::string(50000, 'y');

TEST(TakeLeftRight, CountsAreClampedOnTheLeftOnly)
{
    struct Case {
        std::string s;
        int32_t count;
        std::string left;
        std::string right;
    };
    const Case cases[] = {
        {"abc", 5, "abc", ""},            // the right part is not clamped
        {"abc", 3, "abc", "abc"},
        {"abc", 2, "ab", "bc"},
        {"abc", 0, "", ""},
        {"abc", -1, "", ""},
        {"abc", INT32_MIN, "", ""},
        {"abc", INT32_MAX, "abc", ""},
        {"", 1, "", ""},
        {B("a\0b\0"), 3, B("a\0b"), B("\0b\0")},
        {".MPG", 4, ".MPG", ".MPG"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Bytes(TakeLeft(Make(c.s), c.count)), c.left) << c.s << " " << c.count;
        EXPECT_EQ(Bytes(TakeRight(Make(c.s), c.count)), c.right) << c.s << " " << c.count;
    }
    EXPECT_EQ(Bytes(TakeRight(Make(longText), 50000)), std::string(50000, 'y'));
    EXPECT_EQ(TakeLeft(Make(longText), 200000).Length(), longText.size());
}

TEST(MakeBlanks, ExactlyCountBlanks)
{
    EXPECT_EQ(Bytes(MakeBlanks(0)), "");
    EXPECT_EQ(Bytes(MakeBlanks(-5)), "");
    EXPECT_EQ(Bytes(MakeBlanks(3)), "   ");
    EXPECT_EQ(Bytes(MakeBlanks(70000)), std::string(70000, ' '));
}

TEST(TrimBlanks, TheTrimSetAtBothEnds)
{
    const std::pair<std::string, std::string> cases[] = {
        {"\t x y\r\n", "x y"},           // the inner blank stays
        {" \t\r\n\xA0", ""},              // only trim bytes
        {"", ""},
        {"\xA0" "a\xA0", "a"},            // the no-break space of Windows-1252
        {B("\0 a\0"), "a"},               // zero bytes count as trim bytes
        {B("a\0b"), B("a\0b")},           // but not inside
        {"\x0B" "a\x0C", "\x0B" "a\x0C"}, // vertical tab and form feed are not in the set
        {"\xC2\xA0" "a", "\xC2\xA0" "a"}, // a UTF-8 no-break space: 0xC2 is not trimmed
    };
    for (const auto& c : cases)
        EXPECT_EQ(Bytes(TrimBlanks(Make(c.first))), c.second);
    EXPECT_EQ(Bytes(TrimBlanks(Make("  " + longText + "\t\t"))), longText);
}

class EnglishLocale : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(std::setlocale(LC_ALL, "English"), nullptr); }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(EnglishLocale, ToLowerCaseLowersTheWesternCapitals)
{
    const std::pair<std::string, std::string> cases[] = {
        {"ABC.MPG", "abc.mpg"},
        {"\xC4\xD6\xDC\xC9\xC0\xD1", "\xE4\xF6\xFC\xE9\xE0\xF1"},   // ÄÖÜÉÀÑ
        {"\x8A\x8C\x8E", "\x9A\x9C\x9E"},                           // Š Œ Ž
        {"\xDF\xD7\xFF", "\xDF\xD7\xFF"},                           // ß, ×, ÿ have no other case
        {"\xA0" "1+Z", "\xA0" "1+z"},
        {B("A\0B"), B("a\0b")},                                     // all bytes, past a zero
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Bytes(ToLowerCase(Make(c.first))), c.second) << c.first;
    std::string upper(100000, 'Q');
    EXPECT_EQ(Bytes(ToLowerCase(Make(upper))), std::string(100000, 'q'));
}

TEST(Searching, FindSubstringAndCountOccurrences)
{
    const std::string mpegSuffixes = ".mpg|.mpe|.dat|mpeg|.mp3|mpg2|peg2|svcd";
    struct Case {
        std::string needle;
        std::string searched;
        int32_t position;
        int32_t count;
    };
    const Case cases[] = {
        {".mpg", mpegSuffixes, 1, 1},
        {".avi", mpegSuffixes, 0, 0},
        {"", mpegSuffixes, 0, 0},                 // an empty needle is never found
        {"peg2", mpegSuffixes, 31, 1},
        {"mp", mpegSuffixes, 2, 5},
        {"aa", "aaaa", 1, 2},                     // no overlap
        {"aa", "aaa", 1, 1},
        {"abc", "ab", 0, 0},                      // needle longer than the text
        {".MPG", mpegSuffixes, 0, 0},             // case-sensitive
        {B("\0"), B("a\0b\0"), 2, 2},             // zero bytes are ordinary bytes
        {B("b\0c"), B("ab\0c"), 2, 1},
        {"b", B("a\0b"), 3, 1},                   // found behind a zero byte
        {"needle", longText, 100001, 1},
        {"x", longText, 1, 100000},
        {"\xE9", "caf\xE9", 4, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindSubstring(Make(c.needle), Make(c.searched)), c.position) << c.needle;
        EXPECT_EQ(CountOccurrences(Make(c.searched), Make(c.needle)), c.count) << c.needle;
    }
}

TEST(Searching, FindBytesNeverReadsPastTheBuffer)
{
    const char buffer[] = {'a', 'b', 'c', 'X'};   // X lies outside the length given
    EXPECT_EQ(FindBytes(buffer, "bc", 3, 2), buffer + 1);
    EXPECT_EQ(FindBytes(buffer, "cX", 3, 2), nullptr);
    EXPECT_EQ(FindBytes(buffer, "abc", 3, 3), buffer);
    EXPECT_EQ(FindBytes(buffer, "abcX", 3, 4), nullptr);
    EXPECT_EQ(FindBytes(buffer, "", 3, 0), nullptr);
    EXPECT_EQ(FindBytes(buffer, "a", 0, 1), nullptr);
}

TEST(ReplaceAll, LeftToRightWithoutRescanning)
{
    struct Case {
        std::string s, search, replacement, result;
    };
    const Case cases[] = {
        {"aaa", "aa", "b", "ba"},
        {"abc", "", "x", "abc"},                   // empty search: unchanged
        {"abc", "b", "", "ac"},
        {"abab", "ab", "abab", "abababab"},        // inserted text is not searched again
        {"a.b.c", ".", " . ", "a . b . c"},
        {"xyz", "q", "r", "xyz"},
        {"", "a", "b", ""},
        {B("a\0b\0"), B("\0"), B("\0\0"), B("a\0\0b\0\0")},
        {"x", "x", B("\0"), B("\0")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Bytes(ReplaceAll(Make(c.s), Make(c.search), Make(c.replacement))), c.result) << c.s;

    std::string many(200000, 'a');
    EXPECT_EQ(Bytes(ReplaceAll(Make(many), Make("a"), Make("bc"))).size(), 400000u);
    EXPECT_EQ(Bytes(ReplaceAll(Make(longText), Make("needle"), Make("N"))),
              std::string(100000, 'x') + "N" + std::string(50000, 'y'));
}

class SilentErrors : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedMode = runtime.errorMode;
        runtime.errorMode = -1;
        runtime.lastErrorCode = 0;
    }
    void TearDown() override { runtime.errorMode = savedMode; }
    LONG savedMode = 0;
};

TEST_F(SilentErrors, ExtractFieldSplitsOnTheDelimiter)
{
    struct Case {
        std::string s;
        int32_t field;
        std::string delimiter;
        std::string result;
    };
    const Case cases[] = {
        {"10 20 30 40", 2, " ", "20"},
        {"10 20 30 40", 1, " ", "10"},
        {"10 20 30 40", 4, " ", "40"},
        {"10 20 30 40", 5, " ", ""},
        {"0 0 160 120", 3, " ", "160"},           // the "WHERE VIDEO SOURCE" reply
        {"whole", 1, " ", "whole"},               // no delimiter: field 1 is everything
        {"whole", 2, " ", ""},
        {"a  b", 2, " ", ""},                     // adjacent delimiters enclose an empty field
        {"a  b", 3, " ", "b"},
        {" a", 1, " ", ""},
        {"a ", 2, " ", ""},
        {"a::b::c", 2, "::", "b"},
        {"a:b", 1, "", "a:b"},                    // empty delimiter
        {"a:b", 2, "", ""},
        {B("a\0b\0c"), 3, B("\0"), "c"},
        {"1;2;3", INT32_MAX, ";", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Bytes(ExtractField(Make(c.s), c.field, Make(c.delimiter))), c.result)
            << c.s << " field " << c.field;
    EXPECT_EQ(runtime.lastErrorCode, 0);
    EXPECT_EQ(Bytes(ExtractField(Make(longText), 2, Make("needle"))), std::string(50000, 'y'));
}

TEST_F(SilentErrors, ExtractFieldBelowOneIsError205)
{
    for (int32_t field : {0, -1, INT32_MIN}) {
        runtime.lastErrorCode = 0;
        runtime.lastErrorKind = 0;
        EXPECT_EQ(Bytes(ExtractField(Make("a b"), field, Make(" "))), "");
        EXPECT_EQ(runtime.lastErrorCode, 205);
        EXPECT_EQ(runtime.lastErrorKind, 2);
    }
}

TEST(IsNumericText, DigitsAndPunctuationInAnyOrder)
{
    const std::pair<const char*, int32_t> cases[] = {
        {"123", 1}, {"", 1}, {"1-2", 1}, {"+,.", 1}, {"..", 1}, {"-2.7", 1},
        {" 1", 0}, {"1e5", 0}, {"12abc", 0}, {"$FF", 0}, {"\xA0", 0}, {nullptr, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsNumericText(c.first), c.second) << (c.first ? c.first : "null");
}

class Conversion : public NumberSettings {};

TEST_F(Conversion, ParseValueKinds)
{
    struct Case {
        std::string s;
        int32_t type;
        std::string text;
        double real;
        int32_t integer;
    };
    const Case cases[] = {
        {"$FF", Integer, "255", 255.0, 255},
        {"$ff", Integer, "255", 255.0, 255},
        {"&17", Integer, "15", 15.0, 15},
        {"%101", Integer, "5", 5.0, 5},
        {"  $10zz ", Integer, "16", 16.0, 16},    // trimmed; text after the digits ignored
        {"$", Integer, "0", 0.0, 0},              // no digits
        {"%2", Integer, "0", 0.0, 0},
        {"$FFFFFFFF", Integer, "2147483647", 2147483647.0, INT32_MAX},   // clamped
        {"$-FFFFFFFFF", Integer, "-2147483648", -2147483648.0, INT32_MIN},
        {"42", Real, "42.000000", 42.0, 42},
        {" 15", Real, "15.000000", 15.0, 15},
        {"\t42\xA0", Real, "42.000000", 42.0, 42},
        {"", Real, "0.000000", 0.0, 0},
        {"-2.7", Real, "-2.700000", -2.7, -2},     // truncated toward zero
        {"2.7", Real, "2.700000", 2.7, 2},
        {"1,5", Real, "1.000000", 1.0, 1},         // strtod stops at the comma
        {"1.5.3", Real, "1.500000", 1.5, 1},
        {"3000000000", Real, "3000000000.000000", 3000000000.0, -1294967296},
        {"-3000000000", Real, "-3000000000.000000", -3000000000.0, 1294967296},
        {"4294967296", Real, "4294967296.000000", 4294967296.0, 0},
        {"+", Real, "0.000000", 0.0, 0},
        {" 1.5", String, " 1.5", 0.0, 0},          // texts with a point are not trimmed
        {"12abc", String, "12abc", 0.0, 0},
        {"abc", String, "abc", 0.0, 0},
        {"1e5", String, "1e5", 0.0, 0},
        {"#12", String, "#12", 0.0, 0},
        {B("1.5\0"), String, B("1.5\0"), 0.0, 0},  // an embedded zero byte is not numeric
        {B("12\0"), Real, "12.000000", 12.0, 12},  // trailing zero bytes are trimmed
        {B("1\0" "2"), String, B("1\0" "2"), 0.0, 0},
    };
    for (const Case& c : cases) {
        Value v = ParseValue(Make(c.s));
        EXPECT_EQ(v.type, c.type) << c.s;
        EXPECT_EQ(Bytes(v.text), c.text) << c.s;
        EXPECT_DOUBLE_EQ(v.real, c.real) << c.s;
        EXPECT_EQ(v.integer, c.integer) << c.s;
        EXPECT_EQ(ParseInteger(Make(c.s)), c.integer) << c.s;
    }
}

TEST_F(Conversion, ParseIntegerEdgeCases)
{
    const std::pair<std::string, int32_t> cases[] = {
        {"-2.7", -2},
        {"3000000000", -1294967296},
        {"$FFFFFFFF", 2147483647},
        {"$7FFFFFFF", 2147483647},
        {"&777", 511},
        {"%11111111", 255},
        {"12abc", 0},
        {"", 0},
        {" 1.5", 0},
        {"1.5", 1},
        {"2147483648", INT32_MIN},
        {"-0.9", 0},
        {std::string(400, '9'), 0},                // a real beyond every 64-bit integer
        {"1" + std::string(5000, '0') + ".5", 0},  // very long: an infinite real
        {"  -17  ", -17},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseInteger(Make(c.first)), c.second) << c.first.substr(0, 40);
}

TEST_F(Conversion, RealTextsFollowDecimals)
{
    runtime.decimals = 2;
    EXPECT_EQ(Bytes(ParseValue(Make("42")).text), "42.00");
    runtime.decimals = 0;
    EXPECT_EQ(Bytes(ParseValue(Make("2.5")).text), "3");
}

}  // namespace
