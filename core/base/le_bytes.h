#pragma once
// Bounds-checked little-endian access to bytes that came from outside (files, card sectors,
// serial replies). Every read states its offset and fails instead of reading past the span.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace vardo {

using ByteSpan = std::span<const std::uint8_t>;

inline bool HasBytes(ByteSpan bytes, std::size_t offset, std::size_t count) {
    return offset <= bytes.size() && count <= bytes.size() - offset;
}

inline std::optional<std::uint8_t> ReadU8(ByteSpan bytes, std::size_t offset) {
    if (!HasBytes(bytes, offset, 1)) return std::nullopt;
    return bytes[offset];
}

inline std::optional<std::uint16_t> ReadU16LE(ByteSpan bytes, std::size_t offset) {
    if (!HasBytes(bytes, offset, 2)) return std::nullopt;
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

inline std::optional<std::uint32_t> ReadU24LE(ByteSpan bytes, std::size_t offset) {
    if (!HasBytes(bytes, offset, 3)) return std::nullopt;
    return static_cast<std::uint32_t>(bytes[offset]) |
           (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[offset + 2]) << 16);
}

inline std::optional<std::uint32_t> ReadU32LE(ByteSpan bytes, std::size_t offset) {
    auto low = ReadU16LE(bytes, offset);
    auto high = ReadU16LE(bytes, offset + 2);
    if (!low || !high) return std::nullopt;
    return static_cast<std::uint32_t>(*low) | (static_cast<std::uint32_t>(*high) << 16);
}

inline void PutU16LE(std::uint8_t* out, std::uint16_t v) {
    out[0] = static_cast<std::uint8_t>(v & 0xFF);
    out[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void PutU24LE(std::uint8_t* out, std::uint32_t v) {
    out[0] = static_cast<std::uint8_t>(v & 0xFF);
    out[1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
    out[2] = static_cast<std::uint8_t>((v >> 16) & 0xFF);
}

}  // namespace vardo
