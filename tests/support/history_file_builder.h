#pragma once
// Builds history file bytes for tests: a header from named fields and the rings filled from a
// sample function, so each test states only what it is about.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/le_bytes.h"
#include "base/model_table.h"
#include "history/history_format.h"
#include "history/history_loader.h"

namespace vardo::testing {

struct FileLayout {
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

// The largest file there is: a wrapped ZT330 ring of 131072 records a second apart, 12 channels
// with two decimals, samples scattered over all 256 values. What the benchmarks walk.
inline FileLayout FullFileLayout() {
    FileLayout layout;
    layout.channelCount = 12;
    layout.present = std::vector<int>(12, 1);
    layout.hasOldestByte = 0;
    layout.newestSlot = 70000;
    layout.intervalCode = 0;
    for (int k = 0; k < 12; ++k) layout.ranges.push_back({-1000, 1, 1000 * (k + 1), 2});
    layout.sample = [](int ch, std::uint32_t s) {
        return static_cast<std::uint8_t>((s * 2654435761u + static_cast<unsigned>(ch)) >> 24);
    };
    return layout;
}

inline std::vector<std::uint8_t> BuildHeader(const FileLayout& layout) {
    std::vector<std::uint8_t> h(kHeaderSize, 0);
    std::copy_n(layout.model.begin(), std::min<std::size_t>(5, layout.model.size()), h.begin());
    h[header::kChannelCount] = static_cast<std::uint8_t>(layout.channelCount);
    std::copy(layout.newest.begin(), layout.newest.end(), h.begin() + header::kNewestTime);
    PutU24LE(h.data() + header::kNewestSlot, layout.newestSlot);
    h[header::kIntervalCode] = static_cast<std::uint8_t>(layout.intervalCode);
    h[header::kHasOldestTime] = static_cast<std::uint8_t>(layout.hasOldestByte);
    std::copy(layout.oldest.begin(), layout.oldest.end(), h.begin() + header::kOldestTime);
    for (int k = 0; k < kMaxChannels; ++k) {
        std::array<int, 4> r = {0, 0, 1000, 1};
        if (static_cast<std::size_t>(k) < layout.ranges.size()) r = layout.ranges[k];
        std::uint8_t* c = h.data() + ChannelConfigOffset(k);
        EncodeDecimalValue(
            MakeDecimal(static_cast<std::int16_t>(r[0]), static_cast<std::uint8_t>(r[1])), c);
        EncodeDecimalValue(
            MakeDecimal(static_cast<std::int16_t>(r[2]), static_cast<std::uint8_t>(r[3])), c + 3);
        if (static_cast<std::size_t>(k) < layout.present.size())
            h[header::kChannelPresent + k] = static_cast<std::uint8_t>(layout.present[k]);
    }
    return h;
}

inline std::vector<std::uint8_t> BuildFile(const FileLayout& layout) {
    std::vector<std::uint8_t> file = BuildHeader(layout);
    const std::uint32_t capacity =
        layout.capacity != 0 ? layout.capacity : CapacityOfCode(layout.model.substr(0, 5));
    for (int ch = 0; ch < layout.channelCount && ch < kMaxChannels; ++ch) {
        if (static_cast<std::size_t>(ch) >= layout.present.size() || layout.present[ch] == 0)
            continue;
        const std::size_t at = file.size();
        file.resize(at + capacity);
        for (std::uint32_t s = 0; s < capacity; ++s) file[at + s] = layout.sample(ch, s);
    }
    return file;
}

// A file decoded in memory, its bytes in h as the loader would have read them.
struct DecodedFile {
    HistoryData h;
    HeaderCheck check = HeaderCheck::Damaged;
};

inline std::unique_ptr<DecodedFile> DecodeFile(const FileLayout& layout) {
    auto d = std::make_unique<DecodedFile>();
    d->h.file = BuildFile(layout);
    d->check = DecodeHistoryHeader(ByteSpan(d->h.file), d->h);
    return d;
}

template <typename Bytes>
bool WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    const std::string text = ReadText(path);
    return {text.begin(), text.end()};
}

// Names of the entries of dir (none when it cannot be read).
inline std::set<std::string> FileNames(const std::string& dir) {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir, ec))
        names.insert(e.path().filename().string());
    return names;
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
