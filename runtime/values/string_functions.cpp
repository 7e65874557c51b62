// The language's string and conversion functions. Every result is a new string; the arguments
// are the callee's own copies. Lengths, not terminators, bound every search and copy.
#include "values/string_functions.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "values/byte_scan.h"
#include "values/value_settings.h"

namespace {

const char trimSet[] = "\t\n\r \xA0";

bool IsTrimByte(char byte)
{
    return byte == 0 || std::memchr(trimSet, byte, sizeof trimSet - 1) != nullptr;
}

bool IsNumericByte(char byte)
{
    return (byte >= '0' && byte <= '9') || byte == '+' || byte == '-' || byte == ',' || byte == '.';
}

// Numeric when every byte is; an embedded zero byte is not numeric.
bool IsNumericBytes(const char* text, uint32_t length)
{
    for (uint32_t i = 0; i < length; ++i) {
        if (!IsNumericByte(text[i]))
            return false;
    }
    return true;
}

RtString Range(const char* start, uint32_t count)
{
    return RtString::ConstructFromRange(start, 0, count);
}

const char* End(const RtString& s)
{
    return s.Text() + s.Length();
}

// Occurrences without overlap, left to right.
uint32_t Occurrences(const RtString& searched, const RtString& needle)
{
    const char* end = End(searched);
    if (needle.Length() <= 1)
        return needle.Length() == 0 ? 0 : CountByte(searched.Text(), end, needle.Text()[0]);
    NeedleSearch search(needle.Text(), needle.Length());
    uint32_t count = 0;
    for (const char* at = searched.Text(); (at = search.Find(at, end)) != nullptr; at += needle.Length())
        ++count;
    return count;
}

// A prefixed integer: the text behind the prefix byte read as strtol reads it under the
// program's locale, whose blanks it skips first (0xA0 in the Western code page), clamped to the
// 32-bit range as a 32-bit strtol clamps (a host's long may be wider).
Value PrefixedInteger(const char* digits, int base)
{
    while (valueSettings.blank[static_cast<uint8_t>(*digits)])
        ++digits;
    long long number = std::strtoll(digits, nullptr, base);
    if (number > INT32_MAX)
        number = INT32_MAX;
    if (number < INT32_MIN)
        number = INT32_MIN;
    return ValueFromInteger(static_cast<int32_t>(number));
}

}  // namespace

const char* FindBytes(const char* buffer, const char* needle, uint32_t bufferLength, uint32_t needleLength)
{
    if (needleLength == 0)
        return nullptr;
    return NeedleSearch(needle, needleLength).Find(buffer, buffer + bufferLength);
}

RtString TakeLeft(RtString s, int32_t count)
{
    if (count <= 0)
        return RtString();
    uint32_t taken = static_cast<uint32_t>(count) < s.Length() ? static_cast<uint32_t>(count) : s.Length();
    return Range(s.Text(), taken);
}

RtString TakeRight(RtString s, int32_t count)
{
    if (count <= 0 || static_cast<uint32_t>(count) > s.Length())
        return RtString();
    return Range(s.Text() + (s.Length() - static_cast<uint32_t>(count)), static_cast<uint32_t>(count));
}

RtString MakeBlanks(int32_t count)
{
    return RtString::Repeat(' ', count > 0 ? static_cast<uint64_t>(count) : 0);
}

RtString TrimBlanks(RtString s)
{
    const char* start = s.Text();
    const char* end = start + s.Length();
    while (start < end && IsTrimByte(*start))
        ++start;
    while (end > start && IsTrimByte(end[-1]))
        --end;
    return Range(start, static_cast<uint32_t>(end - start));
}

// Lowered through the program's locale as the C library's tolower lowers each byte: the table
// start-up made (the C locale's before), which under the Western code page also lowers the
// accented capitals. Every byte is lowered, including those behind an embedded zero byte.
RtString ToLowerCase(RtString s)
{
    LowerBytes(s.text, s.text + s.Length(), valueSettings.lowerCase.data());
    return s;
}

int32_t FindSubstring(RtString needle, RtString searched)
{
    const char* found = FindBytes(searched.Text(), needle.Text(), searched.Length(), needle.Length());
    return found == nullptr ? 0 : static_cast<int32_t>(found - searched.Text() + 1);
}

int32_t CountOccurrences(RtString searched, RtString needle)
{
    return static_cast<int32_t>(Occurrences(searched, needle));
}

// One pass counts the occurrences and keeps their places while the heap has room for them; the
// result's size is then known, so a result the heap cannot hold is reported before any copying
// (and gives the empty string). A second pass copies, searching only past the places kept.
RtString ReplaceAll(RtString s, RtString search, RtString replacement)
{
    const uint32_t searchLength = search.Length(), replacementLength = replacement.Length();
    if (searchLength == 0)
        return s;
    const char* text = s.Text();
    const char* end = End(s);
    const NeedleSearch needle(search.Text(), searchLength);
    std::vector<uint32_t> places;
    bool allKept = true;
    uint64_t count = 0;
    if (searchLength == 1) {
        count = CountByte(text, end, search.Text()[0]);
    } else {
        for (const char* at = text; (at = needle.Find(at, end)) != nullptr; at += searchLength) {
            ++count;
            try {
                if (allKept)
                    places.push_back(static_cast<uint32_t>(at - text));
            } catch (const std::bad_alloc&) {
                allKept = false;
            }
        }
    }
    uint64_t total = s.Length() + count * replacementLength - count * searchLength;
    RtString result = RtString::Repeat(0, total);
    if (result.text == nullptr || result.Length() != total)
        return result;
    char* out = result.text;
    if (searchLength == 1) {
        ReplaceByte(text, end, search.Text()[0], replacement.Text(), replacementLength, out, out + total);
        return result;
    }
    const char* copied = text;
    auto replace = [&](const char* at) {
        std::memcpy(out, copied, static_cast<size_t>(at - copied));
        out += at - copied;
        std::memcpy(out, replacement.Text(), replacementLength);
        out += replacementLength;
        copied = at + searchLength;
    };
    for (uint32_t place : places)
        replace(text + place);
    while (const char* at = allKept ? nullptr : needle.Find(copied, end))
        replace(at);
    std::memcpy(out, copied, static_cast<size_t>(end - copied));
    return result;
}

// Field n lies behind the (n - 1)th delimiter and ends at the next one or at the end; there is
// no field n when fewer delimiters come before it.
RtString ExtractField(RtString s, int32_t fieldNumber, RtString delimiter)
{
    if (fieldNumber < 1) {
        ReportValueError(fieldNumberError);
        return RtString();
    }
    const uint32_t length = delimiter.Length();
    const char* start = s.Text();
    const char* end = End(s);
    if (length == 0)
        return fieldNumber == 1 ? s : RtString();
    const char* stop;
    if (length == 1) {
        const char byte = delimiter.Text()[0];
        if (fieldNumber > 1) {
            start = FindNthByte(start, end, byte, static_cast<uint32_t>(fieldNumber) - 1);
            if (start == nullptr)
                return RtString();
            ++start;
        }
        stop = FindByte(start, end, byte);
    } else {
        NeedleSearch needle(delimiter.Text(), length);
        for (int32_t skipped = 1; skipped < fieldNumber; ++skipped) {
            start = needle.Find(start, end);
            if (start == nullptr)
                return RtString();
            start += length;
        }
        stop = needle.Find(start, end);
    }
    return Range(start, static_cast<uint32_t>((stop != nullptr ? stop : end) - start));
}

int32_t IsNumericText(const char* text)
{
    if (text == nullptr)
        return 1;
    return IsNumericBytes(text, static_cast<uint32_t>(std::strlen(text))) ? 1 : 0;
}

// Texts with a point or a comma are read untrimmed as reals; other texts are trimmed and read
// as prefixed integers ("$" hex, "&" octal, "%" binary) or as reals. Non-numbers stay text.
Value ParseValue(RtString s)
{
    if (FindByte(s.Text(), End(s), '.') != nullptr || FindByte(s.Text(), End(s), ',') != nullptr) {
        if (IsNumericBytes(s.Text(), s.Length()))
            return ValueFromReal(std::strtod(s.Text(), nullptr));
        return ValueFromString(s);
    }
    RtString trimmed = TrimBlanks(s);
    const char* text = trimmed.Text();
    switch (trimmed.Length() > 0 ? text[0] : 0) {
    case '$': return PrefixedInteger(text + 1, 16);
    case '&': return PrefixedInteger(text + 1, 8);
    case '%': return PrefixedInteger(text + 1, 2);
    default: break;
    }
    if (IsNumericBytes(text, trimmed.Length()))
        return ValueFromReal(std::strtod(text, nullptr));
    return ValueFromString(s);
}

int32_t ParseInteger(RtString s)
{
    return ParseValue(s).integer;
}
