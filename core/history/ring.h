#pragma once
// Ring-slot arithmetic shared by everything that walks history rings. An operand outside the
// ring yields slot 0 rather than an out-of-range slot: callers index with the result directly.

#include <array>
#include <cstdint>

namespace vardo {

inline constexpr std::uint32_t RingSub(std::uint32_t a, std::uint32_t b, std::uint32_t n) {
    if (a >= n || b >= n) return 0;
    return a >= b ? a - b : a + n - b;
}

inline constexpr std::uint32_t RingAdd(std::uint32_t a, std::uint32_t b, std::uint32_t n) {
    if (a >= n || b >= n) return 0;
    return a + b < n ? a + b : a + b - n;
}

// Seconds between records by interval code.
inline constexpr std::array<int, 9> IntervalTable = {1, 2, 5, 10, 15, 30, 60, 120, 240};

inline constexpr bool IsValidIntervalCode(int code) {
    return code >= 0 && code < static_cast<int>(IntervalTable.size());
}

}  // namespace vardo
