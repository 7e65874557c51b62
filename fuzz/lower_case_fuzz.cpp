// ToLowerCase of any bytes through any table against a plain look-up of each byte: the table
// starts as the C locale's and takes the input's edits. And for each locale of this machine, the
// tables that start-up reads against tolower and isspace, and the lowering of all 256 bytes
// against tolower.
#include <cctype>
#include <clocale>
#include <string>

#include "fuzz/fuzz_support.h"
#include "values/string_functions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    for (const char* locale : {"C.UTF-8", "POSIX", "C"}) {
        if (std::setlocale(LC_ALL, locale) == nullptr)
            continue;
        ReadLocaleTables();
        std::string every(256, 0), lowered(256, 0);
        for (int byte = 0; byte < 256; ++byte) {
            FUZZ_CHECK(valueSettings.lowerCase[byte] == std::tolower(byte));
            FUZZ_CHECK(valueSettings.blank[byte] == (std::isspace(byte) != 0));
            every[byte] = static_cast<char>(byte);
            lowered[byte] = static_cast<char>(std::tolower(byte));
        }
        FUZZ_CHECK(Bytes(ToLowerCase(Make(every))) == lowered);
    }

    for (size_t edits = input.Bits(1); edits > 0; --edits) {
        uint8_t byte = static_cast<uint8_t>(input.Bits(1));
        valueSettings.lowerCase[byte] = static_cast<uint8_t>(input.Bits(1));
    }
    std::string text = input.Rest(), expected = text;
    for (char& byte : expected)
        byte = static_cast<char>(valueSettings.lowerCase[static_cast<uint8_t>(byte)]);
    FUZZ_CHECK(Bytes(ToLowerCase(Make(text))) == expected);
    FUZZ_CHECK(TakeReportedError() == 0);
    return 0;
}
