// What an archive hands back is outside input: another program, an older or damaged archive may
// have written any value in any column. Every decoder must refuse or give back something within
// bounds, and what decodes must encode to the same again.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "archive/archive_rows.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

class Bytes {
  public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::int64_t Int() {
        std::uint64_t v = 0;
        for (int i = 0; i < 8; ++i) v = v << 8 | Byte();
        // Mostly small numbers, where the limits are; sometimes anything.
        return (v & 3) == 0 ? static_cast<std::int64_t>(v)
                            : static_cast<std::int64_t>(v >> 2) % 70 - 5;
    }
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::string_view Rest() {
        const auto* p = reinterpret_cast<const char*>(data_ + std::min(at_, size_));
        return {p, size_ - std::min(at_, size_)};
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vardo;
    Bytes in(data, size);

    StoredConfig stored;
    stored.intervalCode = in.Int();
    stored.channelCount = in.Int();
    stored.present = in.Int();
    const int channels = in.Byte() % 16;
    for (int i = 0; i < channels; ++i) {
        StoredRange r{in.Int(), in.Int(), in.Int(), in.Int()};
        stored.channels.push_back({in.Int(), r});
    }
    RecordConfig config;
    if (DecodeConfig(stored, config)) {
        Check(config.channelCount >= 1 && config.channelCount <= kMaxChannels);
        Check(config.present < (1u << config.channelCount));
        RecordConfig again;
        Check(DecodeConfig(EncodeConfig(config), again) && again == config);
        for (int k = 0; k < kMaxChannels; ++k) {
            if (config.Has(k)) (void)ArchiveValue(config, k, in.Byte());
        }
    }

    std::uint8_t sample = 0;
    const std::int64_t raw = in.Int();
    if (DecodeSample(in.Byte() & 1 ? std::optional<std::int64_t>(raw) : std::nullopt, in.Byte() & 1,
                     sample) &&
        raw >= 0 && raw <= 255)
        Check(sample == raw || sample == 0);

    LodBlock block;
    block.first = in.Int();
    block.last = in.Int();
    block.records = in.Int();
    const std::int64_t level = in.Int();
    const std::int64_t number = in.Int();
    const auto present = static_cast<std::uint16_t>(in.Byte() | in.Byte() << 8);
    std::vector<std::uint8_t> blob;
    const std::string_view text = in.Rest();
    if (ParseByteaHex(text, kLodBlobSize, blob)) Check(blob.size() <= kLodBlobSize);
    if (blob.empty()) blob.assign(text.begin(), text.end());
    if (DecodeLodChannels(blob, present, block)) {
        for (int k = 0; k < kMaxChannels; ++k) {
            if ((present >> k & 1u) != 0)
                Check(std::isfinite(block.min[k]) && block.min[k] <= block.max[k]);
        }
        Check(EncodeLodChannels(block) == blob);
    }
    if (CheckLodRow(level, number, block)) {
        Check(block.first >= block.start && block.first <= block.last && block.records >= 1);
    }
    FetchedLod row{number, block.first, block.last, block.records, in.Int(), blob};
    LodBlock decoded;
    if (DecodeLodRow(row, static_cast<int>(level % 8), decoded))
        Check(decoded.records >= 1 && decoded.present < (1u << kMaxChannels));

    // A records row against a configuration of the fuzzed presence.
    FetchedRecord record;
    record.time = in.Int();
    record.config = in.Int();
    for (auto& sample : record.samples)
        if (in.Byte() & 1) sample = in.Int();
    const auto presence = static_cast<std::uint16_t>((in.Byte() | in.Byte() << 8) & 0x0FFF);
    RecordDecoder decoder([presence](std::int64_t, RecordConfig& c) {
        c.present = presence;
        return ArchiveStatus::Ok;
    });
    ArchivedRecord decodedRecord;
    if (decoder.Decode(record, decodedRecord) == ArchiveStatus::Ok) {
        for (int k = 0; k < kMaxChannels; ++k)
            Check(((presence >> k) & 1u) != 0 ? record.samples[k] == decodedRecord.samples[k]
                                              : !record.samples[k].has_value());
    }
    return 0;
}
