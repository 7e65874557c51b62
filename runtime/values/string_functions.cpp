// The language's string and conversion functions. Every result is a new string; the arguments
// are the callee's own copies. Lengths, not terminators, bound every search and copy.
#include "values/string_functions.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

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

const char* FindIn(const RtString& searched, uint32_t from, const RtString& needle)
{
    return FindBytes(searched.Text() + from, needle.Text(), searched.Length() - from, needle.Length());
}

uint32_t OffsetOf(const RtString& s, const char* position)
{
    return static_cast<uint32_t>(position - s.Text());
}

// Occurrences without overlap, left to right.
uint32_t Occurrences(const RtString& searched, const RtString& needle)
{
    uint32_t count = 0;
    uint32_t from = 0;
    while (const char* found = FindIn(searched, from, needle)) {
        ++count;
        from = OffsetOf(searched, found) + needle.Length();
    }
    return count;
}

// A prefixed integer: the text behind the prefix byte read as strtol reads it, clamped to the
// 32-bit range as a 32-bit strtol clamps (a host's long may be wider).
Value PrefixedInteger(const char* digits, int base)
{
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
    if (needleLength == 0 || needleLength > bufferLength)
        return nullptr;
    const char* last = buffer + (bufferLength - needleLength);
    for (const char* start = buffer; start <= last; ++start) {
        start = static_cast<const char*>(std::memchr(start, needle[0], static_cast<size_t>(last - start) + 1));
        if (start == nullptr)
            return nullptr;
        if (std::memcmp(start, needle, needleLength) == 0)
            return start;
    }
    return nullptr;
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

// The C library's lower-casing under the locale start-up selected ("English"), which also
// lowers the accented capitals of the Windows Western code page. Every byte is lowered,
// including those behind an embedded zero byte.
RtString ToLowerCase(RtString s)
{
    for (uint32_t i = 0; i < s.Length(); ++i)
        s.text[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(s.text[i])));
    return s;
}

int32_t FindSubstring(RtString needle, RtString searched)
{
    const char* found = FindIn(searched, 0, needle);
    return found == nullptr ? 0 : static_cast<int32_t>(OffsetOf(searched, found) + 1);
}

int32_t CountOccurrences(RtString searched, RtString needle)
{
    return static_cast<int32_t>(Occurrences(searched, needle));
}

// The result's size is known before it is built, so a result the heap cannot hold is reported
// before any work (and gives the empty string).
RtString ReplaceAll(RtString s, RtString search, RtString replacement)
{
    if (search.Length() == 0)
        return s;
    uint64_t count = Occurrences(s, search);
    uint64_t total = s.Length() + count * replacement.Length() - count * search.Length();
    RtString result = RtString::Repeat(0, total);
    if (result.text == nullptr || result.Length() != total)
        return result;
    char* out = result.text;
    uint32_t from = 0;
    while (const char* found = FindIn(s, from, search)) {
        uint32_t at = OffsetOf(s, found);
        std::memcpy(out, s.Text() + from, at - from);
        out += at - from;
        std::memcpy(out, replacement.Text(), replacement.Length());
        out += replacement.Length();
        from = at + search.Length();
    }
    std::memcpy(out, s.Text() + from, s.Length() - from);
    return result;
}

RtString ExtractField(RtString s, int32_t fieldNumber, RtString delimiter)
{
    if (fieldNumber < 1) {
        ReportValueError(fieldNumberError);
        return RtString();
    }
    uint32_t delimiters = Occurrences(s, delimiter);
    if (delimiters == 0)
        return fieldNumber == 1 ? s : RtString();
    if (static_cast<uint32_t>(fieldNumber) - 1 > delimiters)
        return RtString();
    uint32_t from = 0;
    for (int32_t skipped = 1; skipped < fieldNumber; ++skipped)
        from = OffsetOf(s, FindIn(s, from, delimiter)) + delimiter.Length();
    const char* end = FindIn(s, from, delimiter);
    uint32_t to = end == nullptr ? s.Length() : OffsetOf(s, end);
    return Range(s.Text() + from, to - from);
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
    if (std::memchr(s.Text(), '.', s.Length()) != nullptr || std::memchr(s.Text(), ',', s.Length()) != nullptr) {
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
