// Fixed-point digits of a double, exactly as its binary value reads in decimal.
//
// A double is m * 2^e with an integer m, so its decimal expansion is finite: m * 2^e for e >= 0,
// and (m * 5^k) / 10^k for e = -k. The digits come from a small base-10^9 big number; rounding
// then works on the digit string (half up on the first dropped digit), which is the contract of
// the C runtime's _fcvt. Unlike _fcvt there is no buffer limit: every digit is kept.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "values/rt_string.h"

namespace {

using Limbs = std::vector<uint32_t>;  // little-endian, base 10^9
constexpr uint32_t limbBase = 1000000000u;

void MultiplySmall(Limbs& number, uint32_t factor)
{
    uint64_t carry = 0;
    for (uint32_t& limb : number) {
        uint64_t product = static_cast<uint64_t>(limb) * factor + carry;
        limb = static_cast<uint32_t>(product % limbBase);
        carry = product / limbBase;
    }
    while (carry != 0) {
        number.push_back(static_cast<uint32_t>(carry % limbBase));
        carry /= limbBase;
    }
}

void MultiplyByPower(Limbs& number, uint32_t base, int exponent, uint32_t chunk, int chunkExponent)
{
    for (; exponent >= chunkExponent; exponent -= chunkExponent)
        MultiplySmall(number, chunk);
    for (; exponent > 0; --exponent)
        MultiplySmall(number, base);
}

std::string DecimalText(const Limbs& number)
{
    std::string digits = std::to_string(number.back());
    char limb[16];
    for (size_t i = number.size() - 1; i-- > 0;) {
        std::snprintf(limb, sizeof limb, "%09u", number[i]);
        digits += limb;
    }
    return digits;
}

// The significant digits d1 d2 ... of |x| (d1 != 0) and E with |x| = 0.d1d2... * 10^E.
void ExactDigits(double magnitude, std::string& significant, int& exponent)
{
    int binaryExponent = 0;
    double fraction = std::frexp(magnitude, &binaryExponent);  // magnitude = fraction * 2^exp
    uint64_t mantissa = static_cast<uint64_t>(std::ldexp(fraction, 53));
    binaryExponent -= 53;

    Limbs number{static_cast<uint32_t>(mantissa % limbBase)};
    if (mantissa >= limbBase) {
        number.push_back(static_cast<uint32_t>((mantissa / limbBase) % limbBase));
        if (mantissa / limbBase >= limbBase)
            number.push_back(static_cast<uint32_t>(mantissa / limbBase / limbBase));
    }
    int fractionDigits = 0;
    if (binaryExponent >= 0) {
        MultiplyByPower(number, 2, binaryExponent, 1u << 29, 29);
    } else {
        fractionDigits = -binaryExponent;
        MultiplyByPower(number, 5, fractionDigits, 1220703125u, 13);  // 5^13
    }
    std::string digits = DecimalText(number);
    size_t last = digits.find_last_not_of('0');
    significant = digits.substr(0, last + 1);
    exponent = static_cast<int>(digits.size()) - fractionDigits;
}

}  // namespace

void FixedPointDigits(double x, int32_t decimals, RtString& digits, int32_t& pointPosition,
                      bool& negative)
{
    negative = x < 0;
    std::string significant;
    int exponent = 0;
    if (x != 0)
        ExactDigits(std::fabs(x), significant, exponent);

    long long wanted = static_cast<long long>(exponent) + decimals;
    std::string result;
    pointPosition = exponent;
    if (wanted > 0) {
        result = significant.substr(0, static_cast<size_t>(std::min<long long>(wanted, significant.size())));
        result.resize(static_cast<size_t>(wanted), '0');
        bool roundUp = static_cast<size_t>(wanted) < significant.size() &&
                       significant[static_cast<size_t>(wanted)] >= '5';
        if (roundUp) {
            size_t i = result.size();
            while (i > 0 && result[i - 1] == '9')
                result[--i] = '0';
            if (i == 0) {
                result.insert(result.begin(), '1');
                ++pointPosition;
            } else {
                ++result[i - 1];
            }
        }
    } else if (wanted == 0 && !significant.empty() && significant[0] >= '5') {
        result = "1";
        ++pointPosition;
    } else if (wanted < 0 && decimals >= 0) {
        // Below half of the last place the value rounds to zero there, like its neighbours: the
        // point stands before the decimals zeros. Otherwise 1e-7, stored just below 10^-7, would
        // get one fraction digit more than 2e-7.
        pointPosition = -decimals;
    }
    digits = RtString::ConstructFromRange(result.data(), 0, static_cast<uint32_t>(result.size()));
}

RtString FormatFixed(double x, int32_t decimals, const char* separator)
{
    // The smallest subnormal has 1074 fraction digits; past them a double has only zeros. A
    // larger setting gives those digits and no more, rather than gigabytes of zeros.
    constexpr int32_t maxFractionDigits = 1100;
    decimals = std::min(decimals, maxFractionDigits);
    if (std::isnan(x))
        return RtString("nan");
    if (std::isinf(x))
        return RtString(x < 0 ? "-inf" : "inf");

    RtString digits;
    int32_t point = 0;
    bool negative = false;
    FixedPointDigits(x, decimals, digits, point, negative);

    std::string text = negative ? "-" : "";
    const std::string d(digits.Text(), digits.Length());
    if (point > 0 && d.empty()) {
        text += '0';  // a negative setting rounded the value away: 12345 to millions is 0
    } else if (point > 0) {
        // With a negative decimals setting the digits stop before the point: fill with zeros.
        std::string whole = d.substr(0, std::min<size_t>(point, d.size()));
        whole.resize(static_cast<size_t>(point), '0');
        text += whole;
        if (d.size() > static_cast<size_t>(point)) {
            text += separator;
            text += d.substr(static_cast<size_t>(point));
        }
    } else {
        text += '0';
        if (decimals >= 0) {  // a negative setting rounds to tens, hundreds...: plain 0
            if (decimals > 0)
                text += separator;
            text.append(static_cast<size_t>(-static_cast<long long>(point)), '0');
            text += d;
        }
    }
    return RtString::ConstructFromRange(text.data(), 0, static_cast<uint32_t>(text.size()));
}
