// Scans of byte ranges at memory speed (SSE2), for the string functions and the string type.
// Each is linear in the bytes it passes, whatever they hold. A range is [from, end); zero bytes
// in it are ordinary bytes.
#pragma once
#include <cstddef>
#include <cstdint>

// The first byte equal to `byte`, or null.
const char* FindByte(const char* from, const char* end, char byte);

// How many bytes equal `byte`.
uint32_t CountByte(const char* from, const char* end, char byte);

// The count-th byte equal to `byte` (count from 1), or null when there are fewer.
const char* FindNthByte(const char* from, const char* end, char byte, uint32_t count);

// Copies the range to `out` with every `byte` replaced by the replacement's bytes; `out` has room
// for exactly the result, up to outEnd. Returns the end of what it wrote.
char* ReplaceByte(const char* from, const char* end, char byte, const char* replacement,
                  uint32_t replacementLength, char* out, char* outEnd);

// Each byte replaced by its entry in the 256-byte table.
void LowerBytes(char* from, char* end, const uint8_t* lowerCase);

// A needle prepared once for any number of searches: the Two-Way algorithm of Crochemore and
// Perrin, linear in the text and the needle for every input, which skips with SSE2 the text
// where no occurrence can start.
class NeedleSearch {
public:
    NeedleSearch(const char* needle, uint32_t length);   // a length of at least 1

    // The leftmost occurrence in the range, or null.
    const char* Find(const char* from, const char* end) const;

private:
    size_t Skip(const uint8_t* text, size_t start, size_t lastStart) const;

    const uint8_t* needle;
    size_t length;
    size_t split;      // the critical factorization: the right half, compared first, starts here
    size_t period;     // the shift after the whole right half matched and the left half did not
    bool periodic;     // the needle repeats with that period: the bytes known to match are kept
    size_t probe;      // a second position besides split that a start must match to be tried
};
