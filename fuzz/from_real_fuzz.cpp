// FromReal and FromInt with any value, decimals setting and field width. The text of a real is
// its exact binary value rounded half up to `decimals` places (at most 1100), with exactly that
// many fraction digits, or rounded to tens, hundreds... for a negative setting; both are padded
// to the field width, or stay unpadded after error 211 when the heap refuses the width.
#include <cmath>
#include <string>

#include "fuzz/fuzz_support.h"
#include "values/rt_string.h"

namespace {

constexpr int32_t maxFractionDigits = 1100;

// Adds one to a string of decimal digits.
void Increment(std::string& digits)
{
    size_t i = digits.size();
    while (i > 0 && digits[i - 1] == '9')
        digits[--i] = '0';
    if (i == 0)
        digits.insert(digits.begin(), '1');
    else
        ++digits[i - 1];
}

std::string WithoutLeadingZeros(const std::string& digits)
{
    size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? "0" : digits.substr(first);
}

std::string Expected(double x, int32_t decimals)
{
    if (std::isnan(x))
        return "nan";
    if (std::isinf(x))
        return x < 0 ? "-inf" : "inf";
    // The C library prints a double's exact value: it has at most 1074 fraction digits.
    static char exact[1500];
    std::snprintf(exact, sizeof exact, "%.1080f", std::fabs(x));
    std::string whole(exact, std::strchr(exact, '.') - exact);
    std::string all = whole + (std::strchr(exact, '.') + 1) + std::string(maxFractionDigits, '0');

    long long kept = static_cast<long long>(whole.size()) + decimals;   // digits up to the last place
    std::string rounded = kept > 0 ? all.substr(0, static_cast<size_t>(kept)) : "";
    if (kept >= 0 && all[static_cast<size_t>(kept)] >= '5')
        Increment(rounded);
    std::string sign = x < 0 ? "-" : "";
    if (decimals <= 0) {
        std::string number = WithoutLeadingZeros(rounded);
        return sign + (number == "0" ? number : number + std::string(static_cast<size_t>(-static_cast<long long>(decimals)), '0'));
    }
    if (rounded.size() <= static_cast<size_t>(decimals))
        rounded.insert(0, static_cast<size_t>(decimals) + 1 - rounded.size(), '0');
    size_t point = rounded.size() - static_cast<size_t>(decimals);
    return sign + WithoutLeadingZeros(rounded.substr(0, point)) + "." + rounded.substr(point);
}

// The text padded to the width, or unpadded when the heap refuses the width.
void CheckPadded(const RtString& result, const std::string& text, int32_t width)
{
    const std::string got = Bytes(result);
    int32_t error = TakeReportedError();
    if (width <= 0 || text.size() >= static_cast<uint32_t>(width)) {
        FUZZ_CHECK(error == 0 && got == text);
    } else if (static_cast<uint32_t>(width) > longestFuzzText) {
        FUZZ_CHECK(error == textTooLongError && got == text);
    } else {
        size_t blanks = static_cast<uint32_t>(width) - text.size();
        FUZZ_CHECK(error == 0 && got.size() == static_cast<uint32_t>(width));
        FUZZ_CHECK(got.find_first_not_of(' ') == blanks && got.compare(blanks, text.size(), text) == 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    double x = input.Real();
    int32_t decimals = input.Int();
    int32_t width = input.Int();

    valueSettings.decimals = decimals;
    valueSettings.minFieldWidth = 0;
    const std::string text = Bytes(RtString::FromReal(x));
    const int32_t places = decimals < maxFractionDigits ? decimals : maxFractionDigits;
    if (std::isfinite(x) && places > 0)
        FUZZ_CHECK(text.size() - text.find('.') - 1 == static_cast<size_t>(places));
    FUZZ_CHECK(text == Expected(x, places));

    valueSettings.minFieldWidth = width;
    CheckPadded(RtString::FromReal(x), text, width);
    int32_t integer = input.Int();
    CheckPadded(RtString::FromInt(integer), std::to_string(integer), width);
    return 0;
}
