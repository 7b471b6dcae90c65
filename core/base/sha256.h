#pragma once
// SHA-256 of a file's bytes, in lower-case hex: what the archive remembers of every file it was
// given, to tell later whether the file is still the same.

#include <cstdint>
#include <span>
#include <string>

namespace vardo {

std::string Sha256Hex(std::span<const std::uint8_t> bytes);

enum class FileHash { Ok, Missing, Unreadable };
// Hashes the file at path as it is now, reading it in pieces.
[[nodiscard]] FileHash Sha256OfFile(const std::string& path, std::string& hex, std::int64_t& size);

}  // namespace vardo
