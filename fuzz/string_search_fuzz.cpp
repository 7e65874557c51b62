// FindSubstring, CountOccurrences, ReplaceAll and ExtractField on any bytes, zero bytes
// included, against the fields that splitting at every occurrence (left to right, without
// overlap) gives; and MakeBlanks with any count. Results the heap refuses give error 211 and "".
// A shape byte makes texts and needles periodic, long, or of few letters, where searches meet
// overlapping almost-matches.
#include <algorithm>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "values/string_functions.h"

namespace {

std::vector<std::string> Fields(const std::string& s, const std::string& delimiter)
{
    std::vector<std::string> fields;
    size_t from = 0;
    for (size_t at; !delimiter.empty() && (at = s.find(delimiter, from)) != std::string::npos;
         from = at + delimiter.size())
        fields.push_back(s.substr(from, at - from));
    fields.push_back(s.substr(from));
    return fields;
}

// The bytes over the first `letters` letters (all bytes as they are for 0), repeated `copies`
// times, at most `longest` bytes.
std::string Shaped(const std::string& bytes, unsigned letters, size_t copies, size_t longest)
{
    std::string shaped;
    for (size_t copy = 0; copy < copies && shaped.size() < longest; ++copy)
        shaped += bytes;
    shaped.resize(std::min(shaped.size(), longest));
    for (char& byte : shaped)
        byte = letters > 0 ? static_cast<char>('a' + static_cast<uint8_t>(byte) % letters) : byte;
    return shaped;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    int32_t fieldNumber = input.Int();
    int32_t blanks = input.Int();
    unsigned shape = static_cast<unsigned>(input.Bits(1));   // letters, text copies, needle copies
    const std::string text = input.Text(), needleText = input.Text(), replacement = input.Rest();
    const std::string s = Shaped(text, shape & 3, size_t{1} << (shape >> 2 & 7), 4096);
    const std::string needle = Shaped(needleText, shape & 3, size_t{1} << (shape >> 5), 512);
    const std::vector<std::string> fields = Fields(s, needle);

    size_t first = needle.empty() ? std::string::npos : s.find(needle);
    FUZZ_CHECK(FindSubstring(Make(needle), Make(s)) == (first == std::string::npos ? 0 : int32_t(first) + 1));
    FUZZ_CHECK(CountOccurrences(Make(s), Make(needle)) == int32_t(fields.size()) - 1);

    std::string replaced = fields[0];
    for (size_t i = 1; i < fields.size(); ++i)
        replaced += replacement + fields[i];
    std::string result = Bytes(ReplaceAll(Make(s), Make(needle), Make(replacement)));
    if (replaced.size() > longestFuzzText)
        FUZZ_CHECK(result.empty() && TakeReportedError() == textTooLongError);
    else
        FUZZ_CHECK(result == replaced && TakeReportedError() == 0);

    // The field the input names, and one of 1 to the field count + 1.
    for (int32_t n : {fieldNumber, static_cast<int32_t>(uint32_t(fieldNumber) % (fields.size() + 1)) + 1}) {
        std::string field = Bytes(ExtractField(Make(s), n, Make(needle)));
        if (n < 1)
            FUZZ_CHECK(field.empty() && TakeReportedError() == fieldNumberError);
        else
            FUZZ_CHECK(field == (uint32_t(n) <= fields.size() ? fields[uint32_t(n) - 1] : "") && TakeReportedError() == 0);
    }

    std::string made = Bytes(MakeBlanks(blanks));
    if (blanks > 0 && uint32_t(blanks) > longestFuzzText)
        FUZZ_CHECK(made.empty() && TakeReportedError() == textTooLongError);
    else
        FUZZ_CHECK(made.size() == (blanks > 0 ? uint32_t(blanks) : 0) && made.find_first_not_of(' ') == std::string::npos &&
                   TakeReportedError() == 0);
    return 0;
}
