#include "archive/archive_rows.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "history/ring.h"

namespace vardo {

bool RecordConfig::operator==(const RecordConfig& o) const {
    if (intervalCode != o.intervalCode || channelCount != o.channelCount || present != o.present)
        return false;
    for (int k = 0; k < kMaxChannels; ++k) {
        if (high[k].integer != o.high[k].integer || high[k].decimals != o.high[k].decimals ||
            low[k].integer != o.low[k].integer || low[k].decimals != o.low[k].decimals)
            return false;
    }
    return true;
}

RecordConfig NormalizedConfig(const RecordConfig& config) {
    RecordConfig n = config;
    for (int k = 0; k < kMaxChannels; ++k) {
        if (k >= n.channelCount) n.present &= static_cast<std::uint16_t>(~(1u << k));
        if (!n.Has(k)) {
            n.high[k] = DecimalValue{};
            n.low[k] = DecimalValue{};
        }
    }
    return n;
}

namespace {

bool InInt16(std::int64_t v) {
    return v >= std::numeric_limits<std::int16_t>::min() &&
           v <= std::numeric_limits<std::int16_t>::max();
}

bool DecodeRangeEnd(std::int64_t integer, std::int64_t decimals, DecimalValue& out) {
    if (!InInt16(integer) || decimals < 0 || decimals > kMaxStoredDecimals) return false;
    out = MakeDecimal(static_cast<std::int16_t>(integer), static_cast<std::uint8_t>(decimals));
    return true;
}

void PutFloat(std::uint8_t* at, float v) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

float GetFloat(const std::uint8_t* at) {
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) bits |= static_cast<std::uint32_t>(at[i]) << (8 * i);
    float v = 0;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

}  // namespace

bool DecodeConfig(const StoredConfig& stored, RecordConfig& out) {
    RecordConfig c;
    if (!IsValidIntervalCode(
            static_cast<int>(std::clamp<std::int64_t>(stored.intervalCode, -1, 100))))
        return false;
    if (stored.channelCount < 1 || stored.channelCount > kMaxChannels) return false;
    if (stored.present < 0 || stored.present >= (std::int64_t{1} << stored.channelCount))
        return false;
    c.intervalCode = static_cast<int>(stored.intervalCode);
    c.channelCount = static_cast<int>(stored.channelCount);
    c.present = static_cast<std::uint16_t>(stored.present);
    std::uint16_t seen = 0;
    for (const auto& [channel, range] : stored.channels) {
        if (channel < 1 || channel > c.channelCount) return false;
        const int k = static_cast<int>(channel - 1);
        if (!c.Has(k) || (seen >> k & 1u) != 0) return false;
        seen |= static_cast<std::uint16_t>(1u << k);
        if (!DecodeRangeEnd(range.lowInteger, range.lowDecimals, c.low[k]) ||
            !DecodeRangeEnd(range.highInteger, range.highDecimals, c.high[k]))
            return false;
    }
    if (seen != c.present) return false;
    out = c;
    return true;
}

StoredConfig EncodeConfig(const RecordConfig& config) {
    const RecordConfig c = NormalizedConfig(config);
    StoredConfig s;
    s.intervalCode = c.intervalCode;
    s.channelCount = c.channelCount;
    s.present = c.present;
    for (int k = 0; k < kMaxChannels; ++k) {
        if (!c.Has(k)) continue;
        s.channels.push_back(
            {k + 1, {c.low[k].integer, c.low[k].decimals, c.high[k].integer, c.high[k].decimals}});
    }
    return s;
}

std::string ConfigSignature(const RecordConfig& config) {
    const StoredConfig s = EncodeConfig(config);
    std::string text = std::to_string(s.intervalCode) + "," + std::to_string(s.channelCount) + "," +
                       std::to_string(s.present);
    for (const auto& [channel, r] : s.channels) {
        text += ";" + std::to_string(channel) + ":" + std::to_string(r.lowInteger) + "/" +
                std::to_string(r.lowDecimals) + ":" + std::to_string(r.highInteger) + "/" +
                std::to_string(r.highDecimals);
    }
    return text;
}

bool DecodeSample(std::optional<std::int64_t> stored, bool expected, std::uint8_t& out) {
    if (!stored) {
        out = 0;
        return !expected;
    }
    if (!expected || *stored < 0 || *stored > 255) return false;
    out = static_cast<std::uint8_t>(*stored);
    return true;
}

std::vector<std::uint8_t> EncodeLodChannels(const LodBlock& block) {
    std::vector<std::uint8_t> blob(kLodBlobSize, 0);
    for (int k = 0; k < kMaxChannels; ++k) {
        std::uint8_t* at = blob.data() + kLodChannelBytes * static_cast<std::size_t>(k);
        PutFloat(at, block.min[k]);
        PutFloat(at + 4, block.max[k]);
        at[8] = block.minDecimals[k];
        at[9] = block.maxDecimals[k];
    }
    return blob;
}

bool DecodeLodChannels(std::span<const std::uint8_t> blob, std::uint16_t present, LodBlock& out) {
    if (blob.size() != kLodBlobSize || present >= (1u << kMaxChannels)) return false;
    // Straight into out: an envelope decodes tens of thousands of blocks, and a copy of each
    // cost as much as the decoding.
    out.present = present;
    // Decimals are bytes: never beyond what a stored range end may carry.
    static_assert(kMaxStoredDecimals >= 255);
    bool valid = true;
    for (int k = 0; k < kMaxChannels; ++k) {
        const std::uint8_t* at = blob.data() + kLodChannelBytes * static_cast<std::size_t>(k);
        const float min = GetFloat(at);
        const float max = GetFloat(at + 4);
        out.min[k] = min;
        out.max[k] = max;
        out.minDecimals[k] = at[8];
        out.maxDecimals[k] = at[9];
        if (((present >> k) & 1u) != 0)
            valid &= std::isfinite(min) && std::isfinite(max) && min <= max;
    }
    return valid;
}

bool ParseByteaHex(std::string_view text, std::size_t maxBytes, std::vector<std::uint8_t>& out) {
    out.clear();
    if (!text.starts_with("\\x") || text.size() % 2 != 0 || (text.size() - 2) / 2 > maxBytes)
        return false;
    auto nibble = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    };
    for (std::size_t i = 2; i < text.size(); i += 2) {
        const int hi = nibble(text[i]);
        const int lo = nibble(text[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out.push_back(static_cast<std::uint8_t>(hi << 4 | lo));
    }
    return true;
}

bool DecodeLodRow(const FetchedLod& row, int level, LodBlock& out) {
    out.first = row.first;
    out.last = row.last;
    out.records = row.count;
    return row.present >= 0 && row.present < (1 << kMaxChannels) &&
           DecodeLodChannels(row.channels, static_cast<std::uint16_t>(row.present), out) &&
           CheckLodRow(level, row.block, out);
}

ArchiveStatus RecordDecoder::Decode(const FetchedRecord& row, ArchivedRecord& out) {
    auto it = std::find_if(presence_.begin(), presence_.end(),
                           [&](const auto& p) { return p.first == row.config; });
    if (it == presence_.end()) {
        RecordConfig c;
        if (ArchiveStatus s = readConfig_(row.config, c); s != ArchiveStatus::Ok) return s;
        presence_.emplace_back(row.config, c.present);
        it = presence_.end() - 1;
    }
    out.time = row.time;
    out.config = row.config;
    for (int k = 0; k < kMaxChannels; ++k) {
        if (!DecodeSample(row.samples[static_cast<std::size_t>(k)], ((it->second >> k) & 1u) != 0,
                          out.samples[static_cast<std::size_t>(k)])) {
            why_ = "the record at " + std::to_string(row.time) + " does not decode";
            return ArchiveStatus::Damaged;
        }
    }
    return ArchiveStatus::Ok;
}

std::int64_t LodBlockOf(VTime t, int level) {
    return t >> kLodShifts[static_cast<std::size_t>(level)];
}

bool CheckLodRow(std::int64_t level, std::int64_t block, LodBlock& out) {
    if (level < 0 || level >= static_cast<std::int64_t>(kLodShifts.size())) return false;
    const int shift = kLodShifts[static_cast<std::size_t>(level)];
    // Blocks beyond what 64-bit seconds can start are not ours.
    if (block < (std::numeric_limits<std::int64_t>::min() >> shift) ||
        block > (std::numeric_limits<std::int64_t>::max() >> shift))
        return false;
    out.start = block * (std::int64_t{1} << shift);
    const VTime end = out.start + ((std::int64_t{1} << shift) - 1);
    return out.records >= 1 && out.first >= out.start && out.first <= out.last && out.last <= end &&
           out.records <= out.last - out.first + 1;
}

float ArchiveValue(const RecordConfig& config, int ch, std::uint8_t raw) {
    return EngineeringValue(config.low[ch], config.high[ch], raw, 1, ValueRule::DoubleProduct);
}

namespace {

LodBlock RecordBlock(const RecordConfig& config, VTime time,
                     const std::array<std::uint8_t, kMaxChannels>& samples) {
    LodBlock one;
    one.first = one.last = time;
    one.records = 1;
    one.present = config.present;
    for (int k = 0; k < kMaxChannels; ++k) {
        if (!config.Has(k)) continue;
        one.min[k] = one.max[k] = ArchiveValue(config, k, samples[k]);
        one.minDecimals[k] = one.maxDecimals[k] = config.high[k].decimals;
    }
    return one;
}

// Equal numbers that print otherwise: other decimals, or the sign of a zero.
bool PrintsOtherwise(float a, std::uint8_t aDecimals, float b, std::uint8_t bDecimals) {
    return a == b && (aDecimals != bDecimals || std::signbit(a) != std::signbit(b));
}

// Blocks in time order folded into one; false when there are none.
class BlockSum {
  public:
    void Take(const LodBlock& b) {
        if (any_) {
            MergeLod(sum_, b);
        } else {
            sum_ = b;
            any_ = true;
        }
    }
    bool Any() const { return any_; }
    const LodBlock& Sum() const { return sum_; }

  private:
    LodBlock sum_;
    bool any_ = false;
};

}  // namespace

void AccumulateLod(const RecordConfig& config, std::span<const OfferedRecord> records,
                   std::array<LodLevel, kLodShifts.size()>& levels) {
    for (const OfferedRecord& r : records) {
        const LodBlock one = RecordBlock(config, r.time, r.samples);
        for (std::size_t level = 0; level < kLodShifts.size(); ++level) {
            const std::int64_t block = LodBlockOf(r.time, static_cast<int>(level));
            auto [it, made] = levels[level].try_emplace(block, one);
            if (made) {
                it->second.start = block * (std::int64_t{1} << kLodShifts[level]);
            } else {
                MergeLod(it->second, one);
            }
        }
    }
}

void MergeLod(LodBlock& a, const LodBlock& b) {
    a.first = std::min(a.first, b.first);
    a.last = std::max(a.last, b.last);
    a.records += b.records;
    for (int k = 0; k < kMaxChannels; ++k) {
        if (((b.present >> k) & 1u) == 0) continue;
        if (((a.present >> k) & 1u) == 0 || b.min[k] < a.min[k]) {
            a.min[k] = b.min[k];
            a.minDecimals[k] = b.minDecimals[k];
        }
        if (((a.present >> k) & 1u) == 0 || b.max[k] > a.max[k]) {
            a.max[k] = b.max[k];
            a.maxDecimals[k] = b.maxDecimals[k];
        }
    }
    a.present |= b.present;
}

bool FoldHeldBlock(LodLevel& fresh, std::int64_t block, const LodBlock& held) {
    const auto it = fresh.find(block);
    if (it == fresh.end()) return true;
    LodBlock& added = it->second;
    // Of equal extremes the earlier records' decimals stay, as in a walk of the records: when one
    // side's records all come first, it takes the other in.
    if (added.last < held.first) {
        MergeLod(added, held);
        return true;
    }
    bool exact = true;
    if (added.first <= held.last) {
        for (int k = 0; k < kMaxChannels; ++k) {
            if ((((added.present & held.present) >> k) & 1u) == 0) continue;
            if (PrintsOtherwise(added.min[k], added.minDecimals[k], held.min[k],
                                held.minDecimals[k]) ||
                PrintsOtherwise(added.max[k], added.maxDecimals[k], held.max[k],
                                held.maxDecimals[k]))
                exact = false;
        }
    }
    LodBlock merged = held;
    MergeLod(merged, added);
    added = merged;
    return exact;
}

ArchiveStatus ResumLodBlocks(std::array<LodLevel, kLodShifts.size()>& levels, int level,
                             std::span<const std::int64_t> blocks, const LodSource& source) {
    if (level < 0 || level >= static_cast<int>(kLodShifts.size())) return ArchiveStatus::Ok;
    const auto shift = kLodShifts[static_cast<std::size_t>(level)];
    std::vector<ArchivedRecord> records;
    std::vector<LodBlock> held;
    std::vector<std::pair<std::int64_t, RecordConfig>> configs;
    for (const std::int64_t block : blocks) {
        const VTime start = block * (std::int64_t{1} << shift);
        const VTime end = start + ((std::int64_t{1} << shift) - 1);
        BlockSum sum;
        if (level == 0) {
            records.clear();
            if (ArchiveStatus s = source.records(start, end, records); s != ArchiveStatus::Ok)
                return s;
            for (const ArchivedRecord& r : records) {
                auto c = std::find_if(configs.begin(), configs.end(),
                                      [&](const auto& p) { return p.first == r.config; });
                if (c == configs.end()) {
                    RecordConfig config;
                    if (ArchiveStatus s = source.config(r.config, config); s != ArchiveStatus::Ok)
                        return s;
                    c = configs.emplace(configs.end(), r.config, config);
                }
                sum.Take(RecordBlock(c->second, r.time, r.samples));
            }
        } else {
            // The finer blocks this add touched as folded, the others as held.
            held.clear();
            if (ArchiveStatus s = source.blocks(level - 1, start, end, held);
                s != ArchiveStatus::Ok)
                return s;
            const LodLevel& finer = levels[static_cast<std::size_t>(level - 1)];
            auto touched = finer.lower_bound(LodBlockOf(start, level - 1));
            const auto touchedEnd = finer.upper_bound(LodBlockOf(end, level - 1));
            for (const LodBlock& h : held) {
                for (; touched != touchedEnd && touched->second.start < h.start; ++touched)
                    sum.Take(touched->second);
                if (touched != touchedEnd && touched->second.start == h.start) {
                    sum.Take(touched->second);  // h folded with what the add brought
                    ++touched;
                    continue;
                }
                sum.Take(h);
            }
            for (; touched != touchedEnd; ++touched) sum.Take(touched->second);
        }
        if (!sum.Any()) continue;
        LodBlock& out = levels[static_cast<std::size_t>(level)][block];
        out = sum.Sum();
        out.start = start;
    }
    return ArchiveStatus::Ok;
}

}  // namespace vardo
