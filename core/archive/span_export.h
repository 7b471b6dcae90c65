#pragma once
// The export of a recorder's span: the rows dump lists, one at a time as the writer pulls them,
// read from the store a chunk at a time so that no span is ever held whole. Each cell carries
// its own record's decimals; a record without a channel leaves its cell empty.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/span_walk.h"
#include "base/local_time_text.h"
#include "export/export_rows.h"

namespace vardo {

class SpanRowSource : public ExportRowSource {
  public:
    // store and configs must outlive the source. Call Prepare before handing it to the writer.
    SpanRowSource(ArchiveStore& store, std::int64_t recorder, const SpanConfigs& configs,
                  VTime from, VTime to, int step, bool ascending);

    // Counts the rows and settles the columns (one pass over the span's records), then reads
    // the first chunk.
    [[nodiscard]] ArchiveStatus Prepare();
    // Not Ok once a read failed: the row just handed out was the last good one, and the export
    // must be stopped (the progress callback says so) rather than finished short.
    ArchiveStatus Status() const { return status_; }

    std::span<const ExportColumn> Columns() const override { return columns_; }
    std::int64_t RowCount() const override { return rows_; }
    const ExportRow* Next() override;

  private:
    void Refill();
    // Puts buffer_[at_] on the next listed record, skipping those the step passes over; false at
    // the end or on a failed read.
    bool Advance();

    ArchiveStore& store_;
    std::int64_t recorder_;
    const SpanConfigs& configs_;
    VTime from_;
    VTime to_;
    std::int64_t step_;
    bool ascending_;
    ArchiveStatus status_ = ArchiveStatus::Ok;

    std::vector<ExportColumn> columns_;
    std::int64_t rows_ = 0;
    std::int64_t given_ = 0;
    std::int64_t seen_ = 0;  // records of the span passed, listed or stepped over
    std::vector<ArchivedRecord> buffer_;
    std::size_t at_ = 0;
    VTime cursor_ = 0;  // where the next chunk starts (ascending) or ends (descending)
    bool exhausted_ = false;
    bool positioned_ = false;  // buffer_[at_] is the next row, the step already applied

    SpanTexts texts_;
    std::vector<std::array<double, 256>> numbers_;  // [config * kMaxChannels + ch], made once
    std::vector<bool> numbersMade_;
    std::vector<ExportCell> cells_;
    ExportRow row_;
    char number_[24] = {};
    char time_[LocalTimeText::kMaxSize] = {};
    LocalTimeText times_;
};

}  // namespace vardo
