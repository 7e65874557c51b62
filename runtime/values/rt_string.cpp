// RtString: copying, appending, comparing, and number formatting.
#include "values/rt_string.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "values/byte_scan.h"
#include "values/value_settings.h"

const char emptyText[1] = {0};

namespace {

// The largest text whose block (length + 2 bytes) a 32-bit length and the address space can
// describe.
constexpr uint64_t largestText = (SIZE_MAX < UINT32_MAX ? SIZE_MAX : UINT32_MAX) - 2;

// A block for a text of textLength bytes. Null when the heap cannot give it, after the
// text-too-long error was reported: the operation then leaves its string as it was, and a new
// string is the empty one.
char* AllocateBlock(uint64_t textLength)
{
    bool possible = textLength <= largestText && textLength <= valueSettings.longestText;
    void* block = possible ? std::malloc(static_cast<size_t>(textLength) + 2) : nullptr;
    if (block == nullptr)
        ReportValueError(textTooLongError);
    return static_cast<char*>(block);
}

}  // namespace

RtString::RtString() : length(0), text(nullptr)
{
    AssignText(nullptr);
}

RtString::RtString(const char* source) : length(0), text(nullptr)
{
    AssignText(source);
}

RtString::RtString(const RtString& other) : length(0), text(nullptr)
{
    AssignString(other);
    if (text == nullptr)   // a copy the heap cannot hold: the empty string
        AssignText(nullptr);
}

RtString::RtString(RtString&& other) noexcept : length(other.length), text(other.text)
{
    other.text = nullptr;
    other.length = 0;
}

RtString::~RtString()
{
    std::free(text);
}

RtString& RtString::operator=(RtString&& other) noexcept
{
    if (this != &other) {
        std::free(text);
        text = other.text;
        length = other.length;
        other.text = nullptr;
        other.length = 0;
    }
    return *this;
}

void RtString::TakeBlock(char* block, uint32_t newLength)
{
    std::free(text);
    text = block;
    length = newLength;
}

RtString RtString::ConstructFromRange(const char* source, int32_t offset, uint32_t count)
{
    RtString result;
    if (char* block = AllocateBlock(count)) {
        std::memcpy(block, source + offset, count);
        block[count] = 0;
        result.TakeBlock(block, count);
    }
    return result;
}

RtString RtString::Repeat(char byte, uint64_t count)
{
    RtString result;
    if (char* block = AllocateBlock(count)) {
        std::memset(block, byte, static_cast<size_t>(count));
        block[count] = 0;
        result.TakeBlock(block, static_cast<uint32_t>(count));
    }
    return result;
}

RtString& RtString::AssignText(const char* source)
{
    // The copy is made before the old block is freed, so a text taken from this very string
    // (s = s.Text()) stays readable.
    if (source == nullptr)
        source = emptyText;
    uint32_t newLength = static_cast<uint32_t>(std::strlen(source));
    if (char* block = AllocateBlock(newLength)) {
        std::memcpy(block, source, newLength + 1);
        TakeBlock(block, newLength);
    }
    return *this;
}

RtString& RtString::AssignString(const RtString& other)
{
    if (&other == this)
        return *this;
    // The larger of the count and the first zero byte: counted embedded zeros survive. The zero
    // byte lies past the count only when none lies before it.
    uint32_t newLength = 0;
    if (other.text != nullptr) {
        newLength = other.length;
        if (FindByte(other.text, other.text + other.length, 0) == nullptr)
            newLength += static_cast<uint32_t>(std::strlen(other.text + other.length));
    }
    if (char* block = AllocateBlock(newLength)) {
        if (newLength > 0)
            std::memcpy(block, other.text, newLength);
        block[newLength] = 0;
        TakeBlock(block, newLength);
    }
    return *this;
}

RtString& RtString::AppendString(const RtString& other)
{
    uint32_t own = text != nullptr ? length : 0;
    uint32_t added = other.text != nullptr ? other.length : 0;
    char* block = AllocateBlock(uint64_t{own} + added);
    if (block == nullptr)
        return *this;
    if (own > 0)
        std::memcpy(block, text, own);
    if (added > 0)
        std::memcpy(block + own, other.text, added);  // other may be this very string
    block[own + added] = 0;
    TakeBlock(block, own + added);
    return *this;
}

RtString& RtString::AppendText(const char* source)
{
    if (source == nullptr)
        return *this;
    uint32_t own = text != nullptr ? length : 0;
    uint32_t added = static_cast<uint32_t>(std::strlen(source));
    char* block = AllocateBlock(uint64_t{own} + added);
    if (block == nullptr)
        return *this;
    if (own > 0)
        std::memcpy(block, text, own);
    std::memcpy(block + own, source, added + 1);
    TakeBlock(block, own + added);
    return *this;
}

RtString& RtString::AppendChar(char ch)
{
    if (ch != 0) {
        const char pair[2] = {ch, 0};
        return AppendText(pair);
    }
    // The old terminator becomes part of the text; a fresh block gets a new terminator.
    uint32_t own = text != nullptr ? length : 0;
    char* block = AllocateBlock(uint64_t{own} + 1);
    if (block == nullptr)
        return *this;
    if (own > 0)
        std::memcpy(block, text, own);
    block[own] = 0;
    block[own + 1] = 0;
    TakeBlock(block, own + 1);
    return *this;
}

RtString RtString::Concat(const RtString& right) const
{
    uint32_t own = text != nullptr ? length : 0;
    uint32_t added = right.text != nullptr ? right.length : 0;
    RtString result;
    if (char* block = AllocateBlock(uint64_t{own} + added)) {
        if (own > 0)
            std::memcpy(block, text, own);
        if (added > 0)
            std::memcpy(block + own, right.text, added);
        block[own + added] = 0;
        result.TakeBlock(block, own + added);
    }
    return result;
}

int32_t RtString::CompareText(const char* other) const
{
    if (other == nullptr || text == nullptr)
        return 1;
    const unsigned char* a = reinterpret_cast<const unsigned char*>(text);
    const unsigned char* b = reinterpret_cast<const unsigned char*>(other);
    for (;; ++a, ++b) {
        if (*a != *b)
            return *a < *b ? -1 : 1;
        if (*a == 0)
            return 0;
    }
}

int32_t RtString::Equals(RtString other) const
{
    return CompareText(other.text) == 0 ? 1 : 0;
}

RtString& RtString::ReplaceRange(uint32_t position, uint32_t count, const RtString& insert)
{
    // Positions beyond the text are the caller's fault; clamp them rather than read past the block.
    uint32_t own = text != nullptr ? static_cast<uint32_t>(std::strlen(text)) : 0;
    if (position > own)
        position = own;
    uint32_t tailStart = count > own - position ? own : position + count;
    const char* insertText = insert.text != nullptr ? insert.text : emptyText;
    uint32_t insertLength = static_cast<uint32_t>(std::strlen(insertText));
    uint32_t tailLength = own - tailStart;

    uint64_t newLength = uint64_t{position} + insertLength + tailLength;
    char* block = AllocateBlock(newLength);
    if (block == nullptr)
        return *this;
    if (position > 0)
        std::memcpy(block, text, position);
    std::memcpy(block + position, insertText, insertLength);
    if (tailLength > 0)
        std::memcpy(block + position + insertLength, text + tailStart, tailLength);
    block[newLength] = 0;
    TakeBlock(block, static_cast<uint32_t>(newLength));
    return *this;
}

// A width the heap cannot hold leaves the number unpadded (after the error report).
void RtString::PadToFieldWidth()
{
    int32_t width = valueSettings.minFieldWidth;
    if (width <= 0 || length >= static_cast<uint32_t>(width) || text == nullptr)
        return;
    uint32_t blanks = static_cast<uint32_t>(width) - length;
    if (char* block = AllocateBlock(static_cast<uint32_t>(width))) {
        std::memset(block, ' ', blanks);
        std::memcpy(block + blanks, text, length + 1);
        TakeBlock(block, static_cast<uint32_t>(width));
    }
}

RtString RtString::FromInt(int32_t value)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%ld", static_cast<long>(value));
    RtString result(digits);
    result.PadToFieldWidth();
    return result;
}

RtString RtString::FromLong(int32_t value)
{
    return FromInt(value);
}

RtString RtString::FromReal(double value)
{
    const char* separator = valueSettings.decimalSeparator;
    RtString result = FormatFixed(value, valueSettings.decimals, separator != nullptr ? separator : ".");
    result.PadToFieldWidth();
    return result;
}
