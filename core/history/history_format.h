#pragma once
// The one history file layout: a 256-byte header, then one ring of one-byte samples per present
// channel. Pure encoding and decoding; no file I/O here.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "base/le_bytes.h"
#include "base/vardo_time.h"

namespace vardo {

inline constexpr int kMaxChannels = 12;
inline constexpr std::size_t kHeaderSize = 256;

namespace header {
inline constexpr std::size_t kModel = 0;  // 5 ASCII characters
inline constexpr std::size_t kChannelCount = 5;
inline constexpr std::size_t kNewestTime = 6;
inline constexpr std::size_t kNewestSlot = 12;  // 24 bits
inline constexpr std::size_t kIntervalCode = 15;
inline constexpr std::size_t kChannels1to8 = 16;
inline constexpr std::size_t kHasOldestTime = 144;
inline constexpr std::size_t kOldestTime = 145;
inline constexpr std::size_t kChannels9to12 = 160;
inline constexpr std::size_t kChannelPresent = 240;
inline constexpr std::size_t kChannelConfigSize = 16;
}  // namespace header

// Offset of channel k's (0-based) ChannelConfig in the header.
inline constexpr std::size_t ChannelConfigOffset(int k) {
    return k < 8 ? header::kChannels1to8 + 16 * static_cast<std::size_t>(k)
                 : header::kChannels9to12 + 16 * static_cast<std::size_t>(k - 8);
}

// The most decimals a value is shown with: a single-precision number has no more to show, and a
// file's decimals byte may say 255.
inline constexpr int kMaxDecimals = 9;

// A number as the recorder stores it: integer / 10^decimals.
struct DecimalValue {
    std::int16_t integer = 0;
    std::uint8_t decimals = 0;
    float value = 0.0f;

    void Set(std::int16_t i, std::uint8_t d);
    float Value() const { return value; }
    int Decimals() const { return decimals < kMaxDecimals ? decimals : kMaxDecimals; }
    float operator-(const DecimalValue& b) const { return value - b.value; }
};
inline float operator+(float a, const DecimalValue& b) {
    return a + b.value;
}

DecimalValue MakeDecimal(std::int16_t integer, std::uint8_t decimals);
DecimalValue DecodeDecimalValue(const std::uint8_t* bytes3);
void EncodeDecimalValue(const DecimalValue& v, std::uint8_t* bytes3);

// "%.Nf" with N the decimals of the value that decides the precision, within 0..kMaxDecimals.
std::string FormatDecimal(float value, int decimals);
// The longest text FormatDecimal gives.
inline constexpr std::size_t kMaxDecimalTextSize = 64;

using PackedTime = std::array<std::uint8_t, 6>;

bool IsValidPackedTime(const std::uint8_t* bytes6);
inline bool IsValidPackedTime(const PackedTime& t) {
    return IsValidPackedTime(t.data());
}
PackedTime PackTime(VTime t);
VTime UnpackTime(const std::uint8_t* bytes6);
inline VTime UnpackTime(const PackedTime& t) {
    return UnpackTime(t.data());
}

// A raw sample of `sampleWidth` bytes (1, 2 or 4) as a fraction of its channel's range: raw times
// the single-precision 1/(2^(8w) - 1).
float SampleFraction(std::uint32_t raw, int sampleWidth);

// How the product of range and sample is rounded. The curves and live values work in single
// precision throughout; the data list (and so every text made from a file's records) takes the
// product in double precision and rounds it once, which a single product misses by a digit.
enum class ValueRule { Single, DoubleProduct };

// Engineering value of a raw sample: low + (high - low) x raw x K, K as in SampleFraction.
float EngineeringValue(const DecimalValue& low, const DecimalValue& high, std::uint32_t raw,
                       int sampleWidth, ValueRule rule = ValueRule::Single);

}  // namespace vardo
