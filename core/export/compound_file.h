#pragma once
// The compound file that carries an Excel 97-2003 workbook: a small file system of 512-byte
// sectors with one stream in it. Version 3 layout; a stream under 4096 bytes goes into the mini
// stream as the format requires, a large one gets as many allocation sectors (and sectors
// listing them) as it needs.

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

namespace vardo {

using ByteSink = std::function<bool(std::span<const std::uint8_t>)>;

using BytePieces = std::span<const std::span<const std::uint8_t>>;

// Hands the file to sink in consecutive pieces; the stream is given as the pieces it is made
// of, in order. Returns false when sink refuses a piece or the stream is too large for the
// format; streamName is ASCII, at most 31 characters.
[[nodiscard]] bool WriteCompoundFile(std::string_view streamName, BytePieces stream,
                                     const ByteSink& sink);

// The same for a stream too large to hold: streamSize bytes that writeStream hands to the sink
// it is given, in order. False also when it hands more or fewer.
using StreamWriter = std::function<bool(const ByteSink&)>;
[[nodiscard]] bool WriteCompoundFile(std::string_view streamName, std::uint64_t streamSize,
                                     const StreamWriter& writeStream, const ByteSink& sink);

}  // namespace vardo
