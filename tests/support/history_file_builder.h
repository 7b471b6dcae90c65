#pragma once
// Builds history file bytes for tests: a header from named fields and the rings filled from a
// sample function, so each test states only what it is about.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "base/le_bytes.h"
#include "history/history_format.h"
#include "history/model_table.h"

namespace vardo::testing {

struct FileSpec {
    std::string model = "ZT330";
    int channelCount = 3;
    PackedTime newest = {4, 5, 6, 7, 8, 9};
    std::uint32_t newestSlot = 0;
    int intervalCode = 3;  // 10 s
    int hasOldestByte = 1;
    PackedTime oldest = {4, 5, 6, 7, 8, 9};
    std::vector<int> present = {1, 1, 1};  // flags of channels 1..n (missing ones: 0)
    // (low integer, low decimals, high integer, high decimals) per channel; default 0.0..100.0
    std::vector<std::array<int, 4>> ranges;
    // Sample of channel ch in ring slot s; by default a pattern that tells channels apart.
    std::function<std::uint8_t(int ch, std::uint32_t slot)> sample = [](int ch, std::uint32_t s) {
        return static_cast<std::uint8_t>((s * 7 + static_cast<std::uint32_t>(ch) * 31) & 0xFF);
    };
    // Capacity used for the blocks; 0 takes the model's own.
    std::uint32_t capacity = 0;
};

inline std::uint32_t CapacityOf(const FileSpec& spec) {
    return spec.capacity != 0 ? spec.capacity : CapacityOfCode(spec.model.substr(0, 5));
}

inline std::vector<std::uint8_t> BuildHeader(const FileSpec& spec) {
    std::vector<std::uint8_t> h(kHeaderSize, 0);
    for (std::size_t i = 0; i < 5 && i < spec.model.size(); ++i)
        h[i] = static_cast<std::uint8_t>(spec.model[i]);
    h[header::kChannelCount] = static_cast<std::uint8_t>(spec.channelCount);
    std::copy(spec.newest.begin(), spec.newest.end(), h.begin() + header::kNewestTime);
    PutU24LE(h.data() + header::kNewestSlot, spec.newestSlot);
    h[header::kIntervalCode] = static_cast<std::uint8_t>(spec.intervalCode);
    h[header::kHasOldestTime] = static_cast<std::uint8_t>(spec.hasOldestByte);
    std::copy(spec.oldest.begin(), spec.oldest.end(), h.begin() + header::kOldestTime);
    for (int k = 0; k < kMaxChannels; ++k) {
        std::array<int, 4> r = {0, 0, 1000, 1};
        if (static_cast<std::size_t>(k) < spec.ranges.size()) r = spec.ranges[k];
        std::uint8_t* c = h.data() + ChannelConfigOffset(k);
        EncodeDecimalValue(
            MakeDecimal(static_cast<std::int16_t>(r[0]), static_cast<std::uint8_t>(r[1])), c);
        EncodeDecimalValue(
            MakeDecimal(static_cast<std::int16_t>(r[2]), static_cast<std::uint8_t>(r[3])), c + 3);
        if (static_cast<std::size_t>(k) < spec.present.size())
            h[header::kChannelPresent + k] = static_cast<std::uint8_t>(spec.present[k]);
    }
    return h;
}

inline std::vector<std::uint8_t> BuildFile(const FileSpec& spec) {
    std::vector<std::uint8_t> file = BuildHeader(spec);
    const std::uint32_t capacity = CapacityOf(spec);
    for (int ch = 0; ch < spec.channelCount && ch < kMaxChannels; ++ch) {
        if (static_cast<std::size_t>(ch) >= spec.present.size() || spec.present[ch] == 0) continue;
        const std::size_t at = file.size();
        file.resize(at + capacity);
        for (std::uint32_t s = 0; s < capacity; ++s) file[at + s] = spec.sample(ch, s);
    }
    return file;
}

inline bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return bytes;
    std::uint8_t buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
    std::fclose(f);
    return bytes;
}

// A fresh directory under the system's temporary directory, removed with its contents at the
// end of the test.
class TempDir {
  public:
    TempDir() {
        char tmpl[] = "/tmp/vardo-test-XXXXXX";
        const char* made = mkdtemp(tmpl);
        path_ = made != nullptr ? made : "/tmp";
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

}  // namespace vardo::testing
