#include "history/history_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace vardo {

namespace {
float PowerOfTen(int d) {
    double p = 1.0;
    for (int i = 0; i < d; ++i) p *= 10.0;
    return static_cast<float>(p);
}

// 1/(2^(8w) - 1) as the nearest single-precision number: 1/255 is 0x3B808081.
float SampleFactor(int sampleWidth) {
    if (sampleWidth == 2) return 0.000015259022f;
    if (sampleWidth == 4) return 2.3283064e-10f;
    return 0.003921569f;
}

}  // namespace

void DecimalValue::Set(std::int16_t i, std::uint8_t d) {
    integer = i;
    decimals = d;
    value = static_cast<float>(i) / PowerOfTen(d);
}

DecimalValue MakeDecimal(std::int16_t integer, std::uint8_t decimals) {
    DecimalValue v;
    v.Set(integer, decimals);
    return v;
}

DecimalValue DecodeDecimalValue(const std::uint8_t* b) {
    return MakeDecimal(static_cast<std::int16_t>(b[0] | (b[1] << 8)), b[2]);
}

void EncodeDecimalValue(const DecimalValue& v, std::uint8_t* b) {
    PutU16LE(b, static_cast<std::uint16_t>(v.integer));
    b[2] = v.decimals;
}

// to_chars with a precision gives printf's "%.Nf" bytes (the exact binary value rounded half to
// even, "-0.00", "inf", "nan") at a fraction of its cost: a list builds thousands of these.
std::string FormatDecimal(float value, int decimals) {
    char text[kMaxDecimalTextSize];  // a float's 39 integer digits, a sign, a point, decimals
    const auto end = std::to_chars(text, text + sizeof text, static_cast<double>(value),
                                   std::chars_format::fixed, std::clamp(decimals, 0, kMaxDecimals));
    return {text, end.ptr};
}

bool IsValidPackedTime(const std::uint8_t* b) {
    return b[0] <= 99 && b[1] >= 1 && b[1] <= 12 && b[2] >= 1 && b[2] <= 31 && b[3] <= 23 &&
           b[4] <= 59 && b[5] <= 59;
}

PackedTime PackTime(VTime t) {
    LocalFields f = SplitLocalTime(t);
    return {static_cast<std::uint8_t>(f.year - 2000), static_cast<std::uint8_t>(f.month),
            static_cast<std::uint8_t>(f.day),         static_cast<std::uint8_t>(f.hour),
            static_cast<std::uint8_t>(f.minute),      static_cast<std::uint8_t>(f.second)};
}

VTime UnpackTime(const std::uint8_t* b) {
    return MakeLocalTime(2000 + b[0], b[1], b[2], b[3], b[4], b[5]);
}

float SampleFraction(std::uint32_t raw, int sampleWidth) {
    return static_cast<float>(raw) * SampleFactor(sampleWidth);
}

float EngineeringValue(const DecimalValue& low, const DecimalValue& high, std::uint32_t raw,
                       int sampleWidth, ValueRule rule) {
    const float span = high.value - low.value;
    if (rule == ValueRule::Single) return low.value + span * SampleFraction(raw, sampleWidth);
    const double product =
        static_cast<double>(span) * raw * static_cast<double>(SampleFactor(sampleWidth));
    return low.value + static_cast<float>(product);
}

}  // namespace vardo
