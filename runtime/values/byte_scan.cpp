// Byte scans with SSE2, which every processor that runs a supported Windows has. Wide loads never
// reach past a range: what is left of it after the last whole block of 16 bytes goes byte by byte.
#include "values/byte_scan.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>

namespace {

__m128i Load(const void* at)
{
    return _mm_loadu_si128(static_cast<const __m128i*>(at));
}

// 0xFF in each lane whose byte equals the wanted one.
__m128i Equal(const char* at, __m128i wanted)
{
    return _mm_cmpeq_epi8(Load(at), wanted);
}

unsigned Mask(__m128i lanes)
{
    return static_cast<unsigned>(_mm_movemask_epi8(lanes));
}

unsigned LowestBit(unsigned mask)
{
    return static_cast<unsigned>(__builtin_ctz(mask));
}

// How many of the 64 bytes at `at` equal the wanted one: each equal byte is -1 in its lane, four
// lanes add up to -4 at most, and the sum of absolute differences adds the 16 lanes.
uint32_t CountIn64(const char* at, __m128i wanted)
{
    __m128i sum = _mm_add_epi8(_mm_add_epi8(Equal(at, wanted), Equal(at + 16, wanted)),
                               _mm_add_epi8(Equal(at + 32, wanted), Equal(at + 48, wanted)));
    __m128i zero = _mm_setzero_si128();
    __m128i halves = _mm_sad_epu8(_mm_sub_epi8(zero, sum), zero);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(halves) + _mm_cvtsi128_si32(_mm_srli_si128(halves, 8)));
}

// 0xFF in each lane whose byte lies in [first, first + span], bytes taken as unsigned.
__m128i InRange(__m128i bytes, uint8_t first, uint8_t span)
{
    __m128i limit = _mm_set1_epi8(static_cast<char>(span));
    __m128i offset = _mm_sub_epi8(bytes, _mm_set1_epi8(static_cast<char>(first)));
    return _mm_cmpeq_epi8(_mm_max_epu8(offset, limit), limit);
}

// Whether none of the 64 bytes at `at` equals the wanted one.
bool NoneIn64(const char* at, __m128i wanted)
{
    __m128i any = _mm_or_si128(_mm_or_si128(Equal(at, wanted), Equal(at + 16, wanted)),
                               _mm_or_si128(Equal(at + 32, wanted), Equal(at + 48, wanted)));
    return Mask(any) == 0;
}

// The bytes A-Z moved up by 32, as the C locale lowers them; every other byte as it was.
__m128i LowerAscii(__m128i bytes)
{
    return _mm_add_epi8(bytes, _mm_and_si128(InRange(bytes, 'A', 'Z' - 'A'), _mm_set1_epi8('a' - 'A')));
}

// Whether the table lowers the bytes below 128 as LowerAscii does.
bool LowersAsciiAsTheCLocale(const uint8_t* table)
{
    __m128i byte = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    __m128i differences = _mm_setzero_si128();
    for (int block = 0; block < 128; block += 16) {
        differences = _mm_or_si128(differences, _mm_xor_si128(LowerAscii(byte), Load(table + block)));
        byte = _mm_add_epi8(byte, _mm_set1_epi8(16));
    }
    return Mask(_mm_cmpeq_epi8(differences, _mm_setzero_si128())) == 0xFFFF;
}

// The start of the needle's maximal suffix under the byte order or under its reverse, and the
// period of that suffix: the two halves of the critical factorization.
size_t MaximalSuffix(const uint8_t* needle, size_t length, bool reversed, size_t& period)
{
    size_t before = SIZE_MAX;   // the position before the suffix; it wraps to 0 for the whole needle
    size_t candidate = 0, offset = 1;
    period = 1;
    while (candidate + offset < length) {
        uint8_t next = needle[candidate + offset], known = needle[before + offset];
        if (reversed ? next > known : next < known) {
            candidate += offset;
            offset = 1;
            period = candidate - before;
        } else if (next == known) {
            if (offset != period) {
                ++offset;
            } else {
                candidate += period;
                offset = 1;
            }
        } else {
            before = candidate++;
            offset = period = 1;
        }
    }
    return before + 1;
}

}  // namespace

const char* FindByte(const char* from, const char* end, char byte)
{
    const __m128i wanted = _mm_set1_epi8(byte);
    while (end - from >= 64 && NoneIn64(from, wanted))
        from += 64;
    for (; end - from >= 16; from += 16) {
        if (unsigned mask = Mask(Equal(from, wanted)))
            return from + LowestBit(mask);
    }
    for (; from < end; ++from) {
        if (*from == byte)
            return from;
    }
    return nullptr;
}

uint32_t CountByte(const char* from, const char* end, char byte)
{
    const __m128i wanted = _mm_set1_epi8(byte);
    uint32_t count = 0;
    for (; end - from >= 64; from += 64)
        count += CountIn64(from, wanted);
    for (; from < end; ++from)
        count += *from == byte;
    return count;
}

const char* FindNthByte(const char* from, const char* end, char byte, uint32_t count)
{
    const __m128i wanted = _mm_set1_epi8(byte);
    for (; end - from >= 64; from += 64) {
        uint32_t here = CountIn64(from, wanted);
        if (here >= count)
            break;
        count -= here;
    }
    for (; from < end; ++from) {
        if (*from == byte && --count == 0)
            return from;
    }
    return nullptr;
}

char* ReplaceByte(const char* from, const char* end, char byte, const char* replacement,
                  uint32_t replacementLength, char* out, char* outEnd)
{
    const __m128i wanted = _mm_set1_epi8(byte);
    auto oneByOne = [&](const char* stop) {
        for (; from < stop; ++from) {
            if (*from != byte) {
                *out++ = *from;
                continue;
            }
            for (uint32_t i = 0; i < replacementLength; ++i)
                *out++ = replacement[i];
        }
    };
    // Where the result has room for 16 times four bytes, a replacement of up to four bytes goes out
    // as one 32-bit store: a call of memcpy for a few bytes costs more than all the rest.
    const bool wordSized = replacementLength <= 4;
    uint32_t word = 0;
    if (wordSized)
        std::memcpy(&word, replacement, replacementLength);
    while (end - from >= 16) {
        unsigned replaced = Mask(Equal(from, wanted));
        if (replaced == 0) {
            // The block goes out as it is, and so do the next 64 bytes while none is to be
            // replaced: the rest of the result holds them.
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), Load(from));
            for (from += 16, out += 16; end - from >= 64 && NoneIn64(from, wanted); from += 64, out += 64) {
                for (int block = 0; block < 64; block += 16)
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + block), Load(from + block));
            }
        } else if (!wordSized || outEnd - out < 16 * 4) {
            oneByOne(from + 16);
        } else if (replaced == 0xFFFF) {   // the whole block replaced
            for (int i = 0; i < 16; ++i, out += replacementLength)
                std::memcpy(out, &word, 4);
            from += 16;
        } else {
            for (const char* stop = from + 16; from < stop; ++from) {
                if (*from != byte) {
                    *out++ = *from;
                } else {
                    std::memcpy(out, &word, 4);
                    out += replacementLength;
                }
            }
        }
    }
    oneByOne(end);
    return out;
}

// A-Z go 16 bytes at a time; the bytes from 128 up, a few in most texts, through the table.
void LowerBytes(char* from, char* end, const uint8_t* lowerCase)
{
    if (end - from >= 16 && LowersAsciiAsTheCLocale(lowerCase)) {
        for (; end - from >= 16; from += 16) {
            __m128i bytes = Load(from);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(from), LowerAscii(bytes));
            for (unsigned high = Mask(bytes); high != 0; high &= high - 1) {
                char& byte = from[LowestBit(high)];
                byte = static_cast<char>(lowerCase[static_cast<uint8_t>(byte)]);
            }
        }
    }
    for (; from < end; ++from)
        *from = static_cast<char>(lowerCase[static_cast<uint8_t>(*from)]);
}

NeedleSearch::NeedleSearch(const char* text, uint32_t textLength)
    : needle(reinterpret_cast<const uint8_t*>(text)), length(textLength), split(0), period(1),
      periodic(false), probe(0)
{
    if (length < 2)
        return;
    size_t forwardPeriod, reversePeriod;
    size_t forward = MaximalSuffix(needle, length, false, forwardPeriod);
    size_t reverse = MaximalSuffix(needle, length, true, reversePeriod);
    split = reverse < forward ? forward : reverse;
    period = reverse < forward ? forwardPeriod : reversePeriod;
    periodic = std::memcmp(needle, needle + period, split) == 0;
    if (!periodic)
        period = std::max(split, length - split) + 1;
    probe = split == length - 1 ? 0 : length - 1;
}

// The first start from `start` on whose bytes at split and probe are the needle's, or SIZE_MAX.
size_t NeedleSearch::Skip(const uint8_t* text, size_t start, size_t lastStart) const
{
    const uint8_t atSplit = needle[split], atProbe = needle[probe];
    const __m128i splitBytes = _mm_set1_epi8(static_cast<char>(atSplit));
    const __m128i probeBytes = _mm_set1_epi8(static_cast<char>(atProbe));
    auto candidates = [&](size_t first) {   // of the 16 starts from `first` on
        return _mm_and_si128(_mm_cmpeq_epi8(Load(text + first + split), splitBytes),
                             _mm_cmpeq_epi8(Load(text + first + probe), probeBytes));
    };
    for (; start + 63 <= lastStart; start += 64) {
        __m128i any = _mm_or_si128(_mm_or_si128(candidates(start), candidates(start + 16)),
                                   _mm_or_si128(candidates(start + 32), candidates(start + 48)));
        if (Mask(any) != 0)
            break;
    }
    for (; start + 15 <= lastStart; start += 16) {
        if (unsigned mask = Mask(candidates(start)))
            return start + LowestBit(mask);
    }
    for (; start <= lastStart; ++start) {
        if (text[start + split] == atSplit && text[start + probe] == atProbe)
            return start;
    }
    return SIZE_MAX;
}

// Two-Way: at each start, the right half is compared from split on, then the left half from
// split down. A mismatch in the right half shifts past the bytes that matched; a mismatch in the
// left half shifts by the period, and a periodic needle then knows that its first length - period
// bytes match already. Without that knowledge the next start is found by Skip.
const char* NeedleSearch::Find(const char* from, const char* end) const
{
    size_t textLength = static_cast<size_t>(end - from);
    if (length > textLength)
        return nullptr;
    if (length == 1)
        return FindByte(from, end, static_cast<char>(needle[0]));
    const uint8_t* text = reinterpret_cast<const uint8_t*>(from);
    const size_t lastStart = textLength - length;
    size_t start = 0, known = 0;
    while (start <= lastStart) {
        if (known == 0 && (start = Skip(text, start, lastStart)) == SIZE_MAX)
            return nullptr;
        const uint8_t* window = text + start;
        size_t right = std::max(split, known);
        while (right < length && needle[right] == window[right])
            ++right;
        if (right < length) {
            start += right - split + 1;
            known = 0;
            continue;
        }
        size_t left = split;
        while (left > known && needle[left - 1] == window[left - 1])
            --left;
        if (left <= known)
            return from + start;
        start += period;
        known = periodic ? length - period : 0;
    }
    return nullptr;
}
