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

// Hands the file to sink in consecutive pieces. Returns false when sink refuses a piece or the
// stream is too large for the format; streamName is ASCII, at most 31 characters.
bool WriteCompoundFile(std::string_view streamName, std::span<const std::uint8_t> stream,
                       const ByteSink& sink);

}  // namespace vardo
