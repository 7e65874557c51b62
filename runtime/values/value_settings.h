// The values layer's settings and its error entry. The runtime fills them at start-up; until
// then numbers get six decimals, a full stop and no padding, errors are not reported, and bytes
// are lowered and counted as blanks as in the C locale.
#pragma once
#include <array>
#include <cstdint>

// One entry for each byte value.
using ByteTable = std::array<uint8_t, 256>;

constexpr ByteTable CLocaleLowerCase()
{
    ByteTable table{};
    for (int byte = 0; byte < 256; ++byte)
        table[byte] = static_cast<uint8_t>(byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte);
    return table;
}

constexpr ByteTable CLocaleBlanks()
{
    ByteTable table{};
    for (int byte : {'\t', '\n', '\v', '\f', '\r', ' '})
        table[byte] = 1;
    return table;
}

// A fatal runtime error with an optional detail text. Returns only when the program's error
// mode silences it; the caller then goes on with its stated fallback result.
using ValueErrorEntry = void (*)(int32_t code, const char* detail);

struct ValueSettings {
    volatile int32_t decimals;    // program thread: fraction digits of numbers made text
    int32_t minFieldWidth;        // numbers made text are padded to it; a negative one pads nothing
    char* decimalSeparator;       // owned 8-byte block: the locale's decimal point; null: "."
    ValueErrorEntry reportError;  // the runtime's RuntimeError; null: errors are not reported
    uint32_t longestText = UINT32_MAX - 2;   // a longer text counts as one the heap cannot hold;
                                             // the whole 32-bit range unless a test lowers it
    ByteTable lowerCase = CLocaleLowerCase();   // tolower of each byte under the program's locale
    ByteTable blank = CLocaleBlanks();          // 1 where isspace holds under the program's locale
};

extern ValueSettings valueSettings;

// The codes this layer raises.
constexpr int32_t fieldNumberError = 205;   // ExtractField with a field number below 1
constexpr int32_t textTooLongError = 211;   // a text the heap cannot hold

void ReportValueError(int32_t code);

// Fills lowerCase and blank from the C library under the locale now set; start-up calls it once
// it has set the program's locale.
void ReadLocaleTables();
