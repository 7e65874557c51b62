// What the fuzz targets share: reading an input as numbers and byte strings, the string block
// contract, and the errors the values layer reports.
#pragma once
#include <sanitizer/allocator_interface.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "values/rt_string.h"
#include "values/value_settings.h"

// A broken invariant is a finding: it is printed, and the abort makes libFuzzer keep the input.
#define FUZZ_CHECK(condition) ((condition) ? (void)0 : FuzzFailure(#condition, __FILE__, __LINE__))

[[noreturn]] inline void FuzzFailure(const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, condition);
    std::abort();
}

// An input taken apart front to back; what is missing reads as zero bytes.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : at(data), left(size) {}

    uint64_t Bits(size_t bytes)
    {
        uint64_t value = 0;
        for (size_t i = 0; i < bytes && left > 0; ++i, --left)
            value |= uint64_t{*at++} << (8 * i);
        return value;
    }
    int32_t Int() { return static_cast<int32_t>(static_cast<uint32_t>(Bits(4))); }
    double Real()
    {
        uint64_t bits = Bits(8);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    // A two-byte length, then that many bytes (fewer when the input ends).
    std::string Text()
    {
        size_t length = static_cast<size_t>(Bits(2));
        return Take(length < left ? length : left);
    }
    std::string Rest() { return Take(left); }

private:
    std::string Take(size_t count)
    {
        std::string bytes(reinterpret_cast<const char*>(at), count);
        at += count;
        left -= count;
        return bytes;
    }

    const uint8_t* at;
    size_t left;
};

// The block contract: exactly length + 2 bytes, with a zero byte at length.
inline std::string Bytes(const RtString& s)
{
    FUZZ_CHECK(s.text != nullptr);
    FUZZ_CHECK(s.text[s.length] == 0);
    FUZZ_CHECK(__sanitizer_get_allocated_size(s.text) == size_t{s.length} + 2);
    return std::string(s.text, s.length);
}

inline RtString Make(const std::string& bytes)
{
    return RtString::ConstructFromRange(bytes.data(), 0, static_cast<uint32_t>(bytes.size()));
}

// The code of the last error the values layer reported since the last call; 0 for none.
inline int32_t reportedError = 0;

inline int32_t TakeReportedError()
{
    int32_t code = reportedError;
    reportedError = 0;
    return code;
}

// Longer texts count as texts the heap cannot hold, so that the heap-exhaustion path runs often
// and fast (error 211, and the empty string or the string left as it was).
constexpr uint32_t longestFuzzText = 1u << 20;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    valueSettings.longestText = longestFuzzText;
    valueSettings.reportError = [](int32_t code, const char*) { reportedError = code; };
    return 0;
}
