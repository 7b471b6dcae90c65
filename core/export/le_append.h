#pragma once
// Little-endian appending for the file formats this program writes.

#include <cstdint>
#include <vector>

namespace vardo {

using Bytes = std::vector<std::uint8_t>;

inline void AppendU8(Bytes& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
}

inline void AppendU16(Bytes& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

inline void AppendU32(Bytes& out, std::uint32_t v) {
    AppendU16(out, v & 0xFFFF);
    AppendU16(out, v >> 16);
}

inline void AppendU64(Bytes& out, std::uint64_t v) {
    AppendU32(out, static_cast<std::uint32_t>(v));
    AppendU32(out, static_cast<std::uint32_t>(v >> 32));
}

inline void PutU32At(Bytes& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace vardo
