// Times, packed stamps and stored decimals: the encodings every file and reply depends on.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <optional>
#include <string>

#include "base/le_bytes.h"
#include "base/vardo_time.h"
#include "history/history_format.h"

namespace vardo {
namespace {

TEST(VardoTime, ParseAcceptsOnlyTheExactShapeAndRealDates) {
    const struct {
        const char* text;
        bool ok;
    } cases[] = {
        {"2004-05-06 07:08:09", true},   {"2004-02-29 00:00:00", true},
        {"2005-02-29 00:00:00", false},  {"2004-13-01 00:00:00", false},
        {"2004-05-06 24:00:00", false},  {"2004-05-06 07:60:00", false},
        {"2004-5-6 07:08:09", false},    {"2004-05-06T07:08:09", false},
        {"2004-05-06 07:08:09 ", false},
    };
    for (const auto& c : cases) {
        const auto t = ParseTime(c.text);
        EXPECT_EQ(t.has_value(), c.ok) << c.text;
        if (t) {
            EXPECT_EQ(FormatTime(*t), c.text);
        }
    }
}

// Before 1970 is refused whatever the second and the zone; the seconds just after the epoch,
// -1 included, are times like any other.
TEST(VardoTime, TimesBefore1970AreRefusedWhateverTheirSecond) {
    const struct {
        const char* zone;
        const char* text;
        std::optional<VTime> t;
    } cases[] = {
        {"UTC", "1969-12-31 23:59:59", std::nullopt},
        {"UTC", "1969-12-31 23:59:58", std::nullopt},
        {"UTC", "1900-01-01 00:00:00", std::nullopt},
        {"UTC", "1970-01-01 00:00:01", 1},
        {"Asia/Shanghai", "1969-12-31 23:59:59", std::nullopt},
        {"Asia/Shanghai", "1970-01-01 07:59:59", -1},
        {"Asia/Shanghai", "1970-01-01 07:59:58", -2},
        {"Asia/Shanghai", "1970-01-01 08:00:00", 0},
    };
    const char* zone = std::getenv("TZ");
    const std::optional<std::string> saved = zone ? std::optional<std::string>(zone) : std::nullopt;
    for (const auto& c : cases) {
        setenv("TZ", c.zone, 1);
        tzset();
        EXPECT_EQ(ParseTime(c.text), c.t) << c.zone << " " << c.text;
    }
    saved ? setenv("TZ", saved->c_str(), 1) : unsetenv("TZ");
    tzset();
}

TEST(VardoTime, YearsPast2038AndDaysPastTheMonthEnd) {
    // Recorders stamp up to 2099; 32-bit seconds would wrap in 2038.
    const VTime t = MakeLocalTime(2099, 12, 31, 23, 59, 59);
    EXPECT_GT(t, VTime{0x7FFFFFFF});
    EXPECT_EQ(FormatTime(t), "2099-12-31 23:59:59");
    EXPECT_EQ(PackTime(t), (PackedTime{99, 12, 31, 23, 59, 59}));
    EXPECT_EQ(UnpackTime(PackTime(t)), t);
    EXPECT_EQ(MakeLocalTime(2021, 2, 31, 0, 0, 0), MakeLocalTime(2021, 3, 3, 0, 0, 0));
}

TEST(PackedTimeFormat, ValidityFollowsEachByteRange) {
    const struct {
        PackedTime bytes;
        bool valid;
    } cases[] = {
        {{0, 1, 1, 0, 0, 0}, true},   {{99, 12, 31, 23, 59, 59}, true},
        {{4, 2, 31, 0, 0, 0}, true},  {{100, 1, 1, 0, 0, 0}, false},
        {{4, 0, 6, 7, 8, 9}, false},  {{4, 13, 6, 7, 8, 9}, false},
        {{4, 5, 0, 7, 8, 9}, false},  {{4, 5, 32, 7, 8, 9}, false},
        {{4, 5, 6, 24, 8, 9}, false}, {{4, 5, 6, 7, 60, 9}, false},
        {{4, 5, 6, 7, 8, 60}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsValidPackedTime(c.bytes), c.valid)
            << int(c.bytes[0]) << "-" << int(c.bytes[1]) << "-" << int(c.bytes[2]);
    }
}

TEST(DecimalValueFormat, DecodesSignedIntegerAndDecimalsAndEncodesBack) {
    const struct {
        std::array<std::uint8_t, 3> bytes;
        float value;
        int decimals;
    } cases[] = {
        {{0xE8, 0x03, 0x01}, 100.0f, 1},           {{0x18, 0xFC, 0x02}, -10.0f, 2},
        {{0xFF, 0xFF, 0x03}, -0.001f, 3},          {{0xFF, 0x7F, 0x00}, 32767.0f, 0},
        {{0x00, 0x80, 0x00}, -32768.0f, 0},        {{0x10, 0x27, 0xFF}, 0.0f, kMaxDecimals},
        {{0x10, 0x27, 0x0A}, 1e-6f, kMaxDecimals},
    };
    for (const auto& c : cases) {
        const DecimalValue v = DecodeDecimalValue(c.bytes.data());
        EXPECT_FLOAT_EQ(v.Value(), c.value);
        EXPECT_EQ(v.Decimals(), c.decimals);
        std::array<std::uint8_t, 3> back{};
        EncodeDecimalValue(v, back.data());
        EXPECT_EQ(back, c.bytes);
    }
}

// A file's decimals byte is any byte: the text stays as short as the format can mean it.
TEST(DecimalValueFormat, DecimalsAreBoundedWhenShown) {
    const struct {
        float value;
        int decimals;
        const char* text;
    } cases[] = {{2.25f, 2, "2.25"},
                 {2.25f, 0, "2"},
                 {2.25f, -7, "2"},
                 {2.25f, 9, "2.250000000"},
                 {2.25f, 10, "2.250000000"},
                 {-1.5f, 255, "-1.500000000"},
                 {1e30f, 255, "1000000015047466219876688855040.000000000"}};
    for (const auto& c : cases) EXPECT_EQ(FormatDecimal(c.value, c.decimals), c.text) << c.decimals;
}

// The texts are made without printf, for speed, yet must stay printf's "%.Nf" to the byte:
// exact halves go to even, a negative zero keeps its sign, and any float bit pattern agrees.
TEST(DecimalValueFormat, SameBytesAsPrintf) {
    const auto printf = [](float value, int decimals) {
        char text[512];
        std::snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(value));
        return std::string(text);
    };
    for (const float value : {0.125f, 0.375f, 2.5f, 3.5f, -0.0f, -0.004f, 1e-10f, 3.4028235e38f,
                              -3.4028235e38f, 1.4e-45f, std::numeric_limits<float>::infinity()}) {
        for (int decimals = 0; decimals <= kMaxDecimals; ++decimals)
            ASSERT_EQ(FormatDecimal(value, decimals), printf(value, decimals)) << value;
    }
    std::uint32_t bits = 12345;
    for (int i = 0; i < 200000; ++i) {
        bits = bits * 1664525u + 1013904223u;
        float value = 0;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isnan(value)) continue;
        ASSERT_EQ(FormatDecimal(value, i % (kMaxDecimals + 1)),
                  printf(value, i % (kMaxDecimals + 1)))
            << bits;
    }
}

TEST(LittleEndianBytes, ReadsRefuseToCrossTheEnd) {
    const std::uint8_t raw[] = {0x01, 0x02, 0x03, 0x04};
    const ByteSpan bytes(raw);
    EXPECT_EQ(*ReadU24LE(bytes, 0), 0x030201u);
    EXPECT_EQ(*ReadU32LE(bytes, 0), 0x04030201u);
    EXPECT_EQ(*ReadU16LE(bytes, 2), 0x0403u);
    EXPECT_FALSE(ReadU16LE(bytes, 3).has_value());
    EXPECT_FALSE(ReadU32LE(bytes, 1).has_value());
    EXPECT_FALSE(ReadU8(bytes, static_cast<std::size_t>(-1)).has_value());
}

}  // namespace
}  // namespace vardo
