// The values layer, in the Windows build and natively under the sanitizers: strings and their
// blocks, numbers as text, the string functions, values, the command line, file-dialog filters.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <string>
#include <vector>
#ifdef _WIN32
#include <malloc.h>
#include "kernel/program_locale.h"
#define BLOCK_SIZE(block) _msize(block)
#else
extern "C" size_t __sanitizer_get_allocated_size(const volatile void* block);   // either sanitizer runtime
#define BLOCK_SIZE(block) __sanitizer_get_allocated_size(block)
#endif

#include "values/command_line.h"
#include "values/file_dialog_filter.h"
#include "values/program_objects.h"
#include "values/string_functions.h"
#include "values/value_settings.h"

namespace {

using namespace std::string_literals;

// The bytes of a string whose block holds exactly length + 2 bytes, with a zero at length.
std::string Bytes(const RtString& s)
{
    EXPECT_EQ(BLOCK_SIZE(s.text), s.length + 2u) << std::string(s.text, s.length);
    EXPECT_EQ(s.text[s.length], 0);
    return std::string(s.text, s.length);
}

RtString Make(const std::string& b) { return RtString::ConstructFromRange(b.data(), 0, uint32_t(b.size())); }

int32_t reported;   // the code of the last error the values layer reported
void Record(int32_t code, const char*) { reported = code; }

struct Values : ::testing::Test {   // six decimals, a full stop, no field width, errors recorded
    void SetUp() override { valueSettings = {6, 0, nullptr, Record}; reported = 0; }
};

TEST_F(Values, OwnedBlocksEmbeddedZeroBytesComparisonAndReplacing)
{
    RtString empty(static_cast<const char*>(nullptr)), other, s("ab");
    EXPECT_NE(empty.text, other.text) << "every empty string owns its block";
    s.AppendChar(0).AppendChar('c');
    RtString copy(s), shortened("abc");
    EXPECT_EQ(Bytes(copy.AppendString(copy)), "ab\0cab\0c"s);
    shortened.length = 1;   // a count short of the first zero byte: a copy reaches to that byte
    EXPECT_EQ(Bytes(RtString(shortened)), "abc");
    EXPECT_EQ(Bytes(copy.Concat(empty)), "ab\0cab\0c"s);
    char* before = s.text;
    EXPECT_EQ(s.AssignString(s).text, before) << "self-assignment keeps the block";
    EXPECT_EQ(Bytes(s.AssignText(s.Text() + 1)), "b") << "a text of the string itself stays readable";
    RtString moved(std::move(s));   // a string without text until its next assignment
    EXPECT_EQ(s.CompareText(""), 1);
    EXPECT_EQ(Bytes(s.AppendText("q")), "q");

    const struct { const char* own; const char* other; int expected; } comparisons[] = {
        {"abd", "abc", 1}, {"ab", "abc", -1}, {"abc", "abc", 0}, {"\xE4", "z", 1}, {"abc", nullptr, 1},
    };
    for (const auto& c : comparisons)
        EXPECT_EQ(RtString(c.own).CompareText(c.other), c.expected) << c.own;
    const struct { uint32_t position, count; const char* insert; const char* expected; } replaces[] = {
        {1, 1, "XY", "aXYc"}, {1, 9, "XY", "aXY"}, {1, 0xFFFFFFFFu, "", "a"}, {9, 0, "!", "abc!"},
    };
    for (const auto& c : replaces)
        EXPECT_EQ(Bytes(RtString("abc").ReplaceRange(c.position, c.count, RtString(c.insert))), c.expected);
}

// The cases the from_real fuzz target (exact digits and padding of any value) has no seeds for.
TEST_F(Values, NumbersAsText)
{
    char comma[8] = ",";   // the locale's separator
    valueSettings.decimalSeparator = comma;
    const struct { double value; int decimals; const char* expected; } reals[] = {
        {0.0, 6, "0,000000"}, {2.25, 1, "2,3"}, {0.4, 0, "0"}, {-999.5, 0, "-1000"}, {-12345.0, -6, "-0"},
    };
    for (const auto& c : reals) {
        valueSettings.decimals = c.decimals;
        EXPECT_EQ(Bytes(RtString::FromReal(c.value)), c.expected) << c.value << " with " << c.decimals;
    }
}

// Error 211: a string the heap cannot hold leaves the string it was to change as it was, and a
// new string is empty.
TEST_F(Values, TextsTheHeapCannotHoldAreReported)
{
    EXPECT_EQ(Bytes(MakeBlanks(INT32_MAX)), "");
    EXPECT_EQ(reported, textTooLongError);
    valueSettings.longestText = 4;
    RtString s("abc");
    EXPECT_EQ(Bytes(s.AppendText("de").AppendString(s).ReplaceRange(0, 0, RtString("xy"))) +
                  Bytes(s.Concat(s)) + Bytes(ReplaceAll(s, RtString("b"), RtString("bbb"))), "abc");
}

// The searches, MakeBlanks and ToLowerCase are the string_search and lower_case fuzz targets' own.
TEST_F(Values, LeftRightAndTrimmed)
{
    const struct { std::string s; int32_t count; std::string left, right; } parts[] = {
        {"abc", 5, "abc", ""}, {"abc", 3, "abc", "abc"}, {"abc", -1, "", ""}, {"a\0b\0"s, 3, "a\0b"s, "\0b\0"s},
    };
    for (const auto& c : parts)
        EXPECT_EQ(Bytes(TakeLeft(Make(c.s), c.count)) + "|" + Bytes(TakeRight(Make(c.s), c.count)), c.left + "|" + c.right);
    const std::pair<std::string, std::string> trims[] = {
        {"\t x y\r\n", "x y"}, {" \t\r\n\xA0", ""}, {"\0 a\0"s, "a"}, {"\x0B" "a\x0C", "\x0B" "a\x0C"},
    };
    for (const auto& c : trims)
        EXPECT_EQ(Bytes(TrimBlanks(Make(c.first))), c.second);
}

TEST_F(Values, TextToNumber)
{
    EXPECT_EQ(IsNumericText("+,.1-2") * 2 + IsNumericText("1e5"), 2) << "signs and separators anywhere";
    // The rows pin the values; the parse_value fuzz target checks that a value's forms agree.
    const struct { std::string s; int32_t type; std::string text; int32_t integer; } cases[] = {
        {"$ff", Integer, "255", 255},    {"&17", Integer, "15", 15},    {"%101", Integer, "5", 5},
        {"  $10zz ", Integer, "16", 16}, {"$FFFFFFFF", Integer, "2147483647", INT32_MAX},   // trimmed; clamped
        {" 15", Real, "15.000000", 15},  {"", Real, "0.000000", 0},     {"1,5", Real, "1.000000", 1},
        {"-2.7", Real, "-2.700000", -2},   // truncated toward zero
        {"3000000000", Real, "3000000000.000000", -1294967296},   // the low 32 bits
        {" 1.5", String, " 1.5", 0},     {"12abc", String, "12abc", 0},   // a point: not trimmed
    };
    for (const auto& c : cases) {
        Value v = ParseValue(Make(c.s));
        EXPECT_EQ(std::to_string(v.type) + " " + Bytes(v.text), std::to_string(c.type) + " " + c.text) << c.s;
        EXPECT_EQ(ParseInteger(Make(c.s)), c.integer) << c.s;
    }
    EXPECT_EQ(RealToInteger(-4294967297.0) + RealToInteger(1e19) + RealToInteger(NAN), -1) << "0 beyond 64 bits";
}

#ifdef _WIN32
// The locale start-up selects: the Western code page's accented capitals are lowered, and its
// no-break space is a blank that strtol skips before the digits of a prefixed number.
TEST_F(Values, TheProgramsLocale)
{
    InitLocale();
    EXPECT_EQ(Bytes(ToLowerCase(Make("\xC4\xD6\xDC\x8A MPG-CLIP.AVI \xDE\xDF\xD7\x9F"))),
              "\xE4\xF6\xFC\x9A mpg-clip.avi \xFE\xDF\xD7\xFF");
    std::string every(256, 0), lowered(256, 0);   // each byte, lowered as tolower lowers it
    for (int byte = 0; byte < 256; ++byte) {
        every[byte] = static_cast<char>(byte);
        lowered[byte] = static_cast<char>(std::tolower(byte));
    }
    EXPECT_EQ(Bytes(ToLowerCase(Make(every))), lowered);
    for (const char* text : {"&\xA0" "2", "$\xA0" "2", "%\xA0" "10"})
        EXPECT_EQ(ParseInteger(Make(text)), 2) << text;
    ReleaseLocale();
}
#endif

TEST_F(Values, ArgumentSlotsAndTheValueStack)
{
    Value one = ValueFromInteger(1), text = ValueFromString(RtString("t"));
    StoreProcedureArguments(2, &one, &one);
    one.integer = 99;
    StoreProcedureArguments(1, &text);   // a string replaces every field of the integer
    EXPECT_EQ(std::to_string(argumentSlots[1].type) + Bytes(argumentSlots[1].text) + std::to_string(IntArgument(1)), "3t0");
    EXPECT_EQ(IntArgument(2), 1) << "a copy, kept by slots beyond the count";
    const Value* v = &one;   // 33 arguments: the last two are counted, not kept
    StoreProcedureArguments(33, v, v, v, v, v, v, v, v, v, v, v, v, v, v, v, v, v, v, v, v, v, v, v, v, v,
                            v, v, v, v, v, v, v, v);
    EXPECT_EQ(procedureArgumentCount, 33);
    EXPECT_EQ(IntArgument(31) + IntArgument(32), 99);

    int32_t popped[5] = {0, 0, 0, -5, -5};   // an empty stack leaves the target alone
    for (int32_t value : {1, 2, 3})
        PushValue(value);
    for (int32_t& target : popped)
        PopValue(&target);
    EXPECT_EQ(std::vector<int32_t>(popped, popped + 5), (std::vector<int32_t>{3, 2, 1, -5, -5}));
}

TEST_F(Values, CommandLineWordsAndFileDialogFilters)
{
    const std::pair<const char*, std::string> lines[] = {   // the words, each in brackets
        {"prog   ", "[prog]"}, {"prog \"\"\"\"", "[prog][][]"}, {"prog \"C:\\a b.avi\"1 0", "[prog][C:\\a b.avi][1][0]"},
        {"prog \"to the end  ", "[prog][to the end  ]"}, {"prog a\"b c\td", "[prog][a\"b][c\td]"},   // tabs are letters
    };
    for (const auto& c : lines) {
        std::vector<RtString> words;
        SplitCommandLine(c.first, words);
        std::string texts;
        for (const RtString& word : words)
            texts += "[" + Bytes(word) + "]";
        EXPECT_EQ(texts, c.second) << c.first;
    }
    // The file_dialog_filter fuzz target checks both lists for any text; its seeds lack this case.
    FileDialogFilter filter = SaveDialogFilter("D:/Filme.alt/ohne_punkt");
    EXPECT_EQ(filter.list + filter.defaultExtension, "*.*\0\0"s);
}

}  // namespace
