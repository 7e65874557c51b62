// ParseValue and ParseInteger on any bytes: a value of one of the three types whose forms agree:
// a string keeps the bytes, a real was made of numeric bytes and carries its FromReal text and
// truncated integer, a prefixed integer its decimal text.
#include <string>

#include "fuzz/fuzz_support.h"
#include "values/string_functions.h"

namespace {

constexpr char trimBytes[] = "\t\n\r \xA0";

bool Numeric(const std::string& text)
{
    return text.find_first_not_of("0123456789+-,.") == std::string::npos;
}

std::string Trimmed(const std::string& text)
{
    const std::string trim(trimBytes, sizeof trimBytes);   // with the zero byte
    size_t first = text.find_first_not_of(trim);
    return first == std::string::npos ? "" : text.substr(first, text.find_last_not_of(trim) - first + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Value value = ParseValue(Make(bytes));
    const std::string text = Bytes(value.text);
    FUZZ_CHECK(ParseInteger(Make(bytes)) == value.integer);
    bool pointOrComma = bytes.find_first_of(".,") != std::string::npos;
    const std::string read = pointOrComma ? bytes : Trimmed(bytes);
    switch (value.type) {
    case String:
        FUZZ_CHECK(text == bytes && value.real == 0 && value.integer == 0);
        break;
    case Real:
        FUZZ_CHECK(Numeric(read));
        FUZZ_CHECK(text == Bytes(RtString::FromReal(value.real)));
        FUZZ_CHECK(value.integer == RealToInteger(value.real));
        break;
    case Integer:
        FUZZ_CHECK(!pointOrComma && !read.empty() && std::string("$&%").find(read[0]) != std::string::npos);
        FUZZ_CHECK(text == std::to_string(value.integer) && value.real == value.integer);
        break;
    default:
        FUZZ_CHECK(!"a value of a known type");
    }
    FUZZ_CHECK(TakeReportedError() == 0);
    return 0;
}
