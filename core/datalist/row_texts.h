#pragma once
// The cell texts of walked rows, fast enough for every record of the largest file: a channel's
// sample is one byte, so its 256 texts are made once, side by side in one pool; times go through
// LocalTimeText.

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/local_time_text.h"
#include "history/history_data.h"

namespace vardo {

class CRowTexts {
  public:
    // The texts of h's listed channels; h must outlive this object.
    explicit CRowTexts(const HistoryData& h);

    // The listed channels, in column order.
    const std::vector<int>& Channels() const { return channels_; }
    // The text of listed column d (0 for the first channel) for the record in ring slot slot:
    // what ChannelValueText gives, from h as it is now.
    std::string_view Value(std::size_t d, std::uint32_t slot) const;
    // The text of listed column d for raw sample raw.
    std::string_view Text(std::size_t d, std::uint8_t raw) const {
        const std::size_t k = d * 256 + raw;
        return {pool_.data() + at_[k], at_[k + 1] - at_[k]};
    }

    // The bulk side, for one walk over a file that stays as it was when this object was made:
    // the rings are looked up once, here, not per sample.
    // Listed column d's raw sample in ring slot slot (0 outside the ring).
    std::uint8_t Sample(std::size_t d, std::uint32_t slot) const {
        return slot < capacity_ && rings_[d] != nullptr ? rings_[d][slot] : 0;
    }
    // Writes separator and the text of every listed column for ring slot slot at out and
    // returns the end; out must have room for MaxCellsSize() bytes (it may write beyond the
    // end it returns, within that room). Twelve rings read in step are twelve streams the
    // processor's prefetch follows.
    char* WriteCells(std::uint32_t slot, char separator, char* out) const {
        if (slot >= capacity_ || !everyRing_ || slots_.empty())
            return WriteCellsOneByOne(slot, separator, out);
        // Not named slots: headers the ui includes meet Qt's macro of that name.
        const std::uint64_t* words = slots_.data();
        const std::uint8_t* sizes = sizes_.data();
        for (const std::uint8_t* ring : rings_) {
            const std::uint8_t raw = ring[slot];
            *out = separator;
            std::memcpy(out + 1, &words[raw], sizeof(std::uint64_t));
            out += 1 + sizes[raw];
            words += 256;
            sizes += 256;
        }
        return out;
    }
    std::size_t MaxCellsSize() const { return maxCellsSize_; }
    // Writes the time text of t at out (room for LocalTimeText::kMaxSize) and returns its end.
    char* WriteTime(VTime t, char* out) { return time_.Write(t, out); }

  private:
    char* WriteCellsOneByOne(std::uint32_t slot, char separator, char* out) const;

    const HistoryData& h_;
    std::vector<int> channels_;
    std::vector<const std::uint8_t*> rings_;
    bool everyRing_ = true;
    std::uint32_t capacity_ = 0;
    std::string pool_;
    // Text k of the pool (column d's raw sample r is k = d * 256 + r) is [at_[k], at_[k + 1]).
    std::vector<std::uint32_t> at_;
    // The same texts in 8-byte slots, copied whole and cut by their size, when every text fits
    // (the usual case): a fixed copy is one move where a sized one is a call, and the slots of
    // twelve channels stay in the first-level cache.
    std::vector<std::uint64_t> slots_;
    std::vector<std::uint8_t> sizes_;
    std::size_t maxCellsSize_ = 0;
    LocalTimeText time_;
};

// Rows of text handed on in chunks of about 64 KiB through one buffer: each row's number and
// time made where the last row's left off, its cells written by the caller straight into the
// buffer. Every listing of rows as text (a file's walk, a recorder's span) goes through here.
class RowTextWriter {
  public:
    // Rows have at most maxCellsSize bytes of cells; sink takes each chunk.
    RowTextWriter(char separator, std::size_t maxCellsSize,
                  std::function<bool(std::string_view)> sink);

    // Starts row number (1 for the first) of time t, written as number, separator and time,
    // and returns where its cells go: room for maxCellsSize bytes.
    char* StartRow(std::int64_t number, VTime t) {
        if (lastDigit_ < 9 && number > number_ && number - number_ == 1) {
            words_[lastWord_] += lastDigitOne_;
            ++lastDigit_;
            number_ = number;
        } else {
            SetNumber(number);
        }
        // Copied word by word as the words were stored: a wider load of a just-stored word
        // waits for the store to reach the cache. A fixed copy is three moves, a sized one a
        // call.
        const std::uint64_t w0 = words_[0];
        const std::uint64_t w1 = words_[1];
        const std::uint64_t w2 = words_[2];
        std::memcpy(out_, &w0, 8);
        std::memcpy(out_ + 8, &w1, 8);
        std::memcpy(out_ + 16, &w2, 8);
        char* out = out_ + numberSize_;
        *out++ = separator_;
        return time_.Write(t, out);
    }
    // Ends the row whose cells end at end. False when the sink refused a chunk, now or before:
    // nothing more is handed on then.
    [[nodiscard]] bool EndRow(char* end) {
        *end++ = '\n';
        out_ = end;
        return static_cast<std::size_t>(out_ - buffer_.data()) < kChunk || Flush();
    }
    // Hands on the rows not yet handed on; false when the sink refused any chunk.
    [[nodiscard]] bool Finish() { return Flush(); }

  private:
    static constexpr std::size_t kChunk = 1u << 16;

    bool Flush();
    void SetNumber(std::int64_t number);

    char separator_;
    std::function<bool(std::string_view)> sink_;
    bool refused_ = false;
    std::vector<char> buffer_;
    char* out_ = nullptr;
    LocalTimeText time_;
    // The text of number_ from the first byte of words_ on (an int64 has at most 20 bytes of
    // text). While its last digit is below 9 the next number's text is that digit plus one:
    // lastDigitOne_ added to words_[lastWord_].
    std::int64_t number_ = 0;
    std::uint64_t words_[3] = {};
    std::size_t numberSize_ = 0;
    std::int64_t lastDigit_ = 9;
    std::size_t lastWord_ = 0;
    std::uint64_t lastDigitOne_ = 0;
};

struct RowWalkResult;

// The text of every row of walk (as PlanWalk or WalkRows gave it for h, step and ascending):
// number, time and the cells of cells' columns, separator between them and "\n" after each
// row, handed to sink in chunks of about 64 KiB. False as soon as sink returns false.
[[nodiscard]] bool WriteRowsText(const HistoryData& h, const RowWalkResult& walk, int step,
                                 int ascending, CRowTexts& cells, char separator,
                                 const std::function<bool(std::string_view)>& sink);

}  // namespace vardo
