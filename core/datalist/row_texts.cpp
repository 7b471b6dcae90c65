#include "datalist/row_texts.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <utility>

#include "datalist/row_walk.h"
#include "history/history_loader.h"

namespace vardo {

CRowTexts::CRowTexts(const HistoryData& h)
    : h_(h), channels_(ListedChannels(h)), capacity_(h.capacity) {
    at_.reserve(channels_.size() * 256 + 1);
    for (const int ch : channels_) {
        rings_.push_back(ChannelBlock(h, ch));
        everyRing_ = everyRing_ && rings_.back() != nullptr;
        std::size_t longest = 0;
        for (int raw = 0; raw < 256; ++raw) {
            at_.push_back(static_cast<std::uint32_t>(pool_.size()));
            const std::string text = SampleText(h, ch, static_cast<std::uint8_t>(raw));
            longest = std::max(longest, text.size());
            pool_ += text;
        }
        maxCellsSize_ += 1 + longest;
    }
    at_.push_back(static_cast<std::uint32_t>(pool_.size()));
    maxCellsSize_ += sizeof(std::uint64_t);
    std::size_t longest = 0;
    for (std::size_t k = 0; k + 1 < at_.size(); ++k)
        longest = std::max<std::size_t>(longest, at_[k + 1] - at_[k]);
    if (longest > sizeof(std::uint64_t)) return;
    slots_.resize(at_.size() - 1);
    sizes_.resize(slots_.size());
    for (std::size_t k = 0; k < slots_.size(); ++k) {
        sizes_[k] = static_cast<std::uint8_t>(at_[k + 1] - at_[k]);
        std::memcpy(&slots_[k], pool_.data() + at_[k], sizes_[k]);
    }
}

std::string_view CRowTexts::Value(std::size_t d, std::uint32_t slot) const {
    return Text(d, SampleAtSlot(h_, channels_[d], slot));
}

char* CRowTexts::WriteCellsOneByOne(std::uint32_t slot, char separator, char* out) const {
    const std::size_t columns = rings_.size();
    for (std::size_t d = 0; d < columns; ++d) {
        const std::string_view text = Text(d, Sample(d, slot));
        *out++ = separator;
        std::memcpy(out, text.data(), text.size());
        out += text.size();
    }
    return out;
}

RowTextWriter::RowTextWriter(char separator, std::size_t maxCellsSize,
                             std::function<bool(std::string_view)> sink)
    : separator_(separator), sink_(std::move(sink)) {
    // A row: the number's fixed copy, a separator, the time text, the cells and "\n".
    buffer_.resize(kChunk + 24 + 1 + LocalTimeText::kMaxSize + maxCellsSize + 1);
    out_ = buffer_.data();
}

bool RowTextWriter::Flush() {
    char* const begin = buffer_.data();
    if (!refused_ && out_ != begin)
        refused_ = !sink_({begin, static_cast<std::size_t>(out_ - begin)});
    out_ = begin;
    return !refused_;
}

void RowTextWriter::SetNumber(std::int64_t number) {
    char text[sizeof words_];
    std::memcpy(text, words_, sizeof text);
    if (number_ > 0 && number > number_ && number - number_ == 1) {
        // The next number after a 9: the nines roll over and the digit before them counts on,
        // unless the text grows a digit.
        std::size_t i = numberSize_;
        while (i > 0 && text[i - 1] == '9') text[--i] = '0';
        if (i > 0) {
            ++text[i - 1];
            std::memcpy(words_, text, sizeof words_);
            number_ = number;
            lastDigit_ = 0;
            return;
        }
    }
    std::memset(text, 0, sizeof text);
    numberSize_ = static_cast<std::size_t>(std::to_chars(text, text + 20, number).ptr - text);
    std::memcpy(words_, text, sizeof words_);
    number_ = number;
    // Only a positive number's text is counted on, so a carry never meets a sign.
    lastDigit_ = number > 0 ? number % 10 : 9;
    const std::size_t last = numberSize_ - 1;
    lastWord_ = last / 8;
    const std::size_t byte = std::endian::native == std::endian::little ? last % 8 : 7 - last % 8;
    lastDigitOne_ = std::uint64_t{1} << (8 * byte);
}

bool WriteRowsText(const HistoryData& h, const RowWalkResult& walk, int step, int ascending,
                   CRowTexts& cells, char separator,
                   const std::function<bool(std::string_view)>& sink) {
    constexpr int kBatch = 256;
    RowTextWriter writer(separator, cells.MaxCellsSize(), sink);
    WalkedRow rows[kBatch];
    for (int first = 0; first < walk.rows; first += kBatch) {
        const int n = std::min(kBatch, walk.rows - first);
        RowsOfWalk(h, walk, step, ascending, first, n, rows);
        for (int i = 0; i < n; ++i) {
            char* out = writer.StartRow(rows[i].number, rows[i].time);
            if (!writer.EndRow(cells.WriteCells(rows[i].slot, separator, out))) return false;
        }
    }
    return writer.Finish();
}

}  // namespace vardo
