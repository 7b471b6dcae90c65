#include "app/list_rows.h"

#include <algorithm>
#include <limits>

#include "app/vardo_doc.h"
#include "archive/archive_location.h"
#include "archive/span_export.h"
#include "archive/span_rank.h"
#include "history/history_loader.h"
#include "history/ring.h"

namespace vardo {

namespace {

constexpr int kFirstViewRows = 200;

class FileListRows : public ListRows {
  public:
    FileListRows(const HistoryData& h, std::string path)
        : h_(h), texts_(h), path_(std::move(path)) {}

    bool Readable() const override { return !h_.file.empty(); }
    VTime Oldest() const override { return h_.oldestTime; }
    VTime Newest() const override { return h_.newestTime; }

    ListFill FillNewest(int ascending) override {
        const VTime iv = IsValidIntervalCode(h_.intervalCode) ? IntervalTable[h_.intervalCode] : 1;
        return Fill(h_.newestTime - (kFirstViewRows - 1) * iv, h_.newestTime, 1, ascending);
    }

    ListFill Fill(VTime start, VTime end, int step, int ascending) override {
        step_ = step;
        ascending_ = ascending;
        walk_ = WalkRows(h_, start, end, step, ascending, [](const WalkedRow&) {});
        return {ArchiveStatus::Ok, walk_.rowStart, walk_.rowEnd, walk_.rows};
    }

    const std::vector<int>& Channels() const override { return texts_.Channels(); }
    int PrintChannels() const override { return h_.channelCount; }
    int Rows() const override { return walk_.rows; }

    std::string Cell(int row, int column) override {
        const int columns = 2 + static_cast<int>(texts_.Channels().size());
        if (row < 0 || row >= walk_.rows || column < 0 || column >= columns || h_.file.empty())
            return {};
        const WalkedRow r = RowOfWalk(h_, walk_, step_, ascending_, row);
        if (column == 0) return std::to_string(r.number);
        if (column == 1) return times_.Format(r.time);
        return std::string(texts_.Value(static_cast<std::size_t>(column - 2), r.slot));
    }

    std::string Title() const override { return path_; }

  private:
    const HistoryData& h_;
    CRowTexts texts_;
    std::string path_;
    LocalTimeText times_;
    RowWalkResult walk_;
    int step_ = 1;
    int ascending_ = 0;
};

// A span's rows are read a page at a time as the list asks for them: a fill only counts them,
// from the summaries, so that a year is listed at once in the memory of a few pages. A page
// starts at the record of its rank, found the same way.
class SpanListRows : public ListRows {
  public:
    explicit SpanListRows(ArchiveSpan& span)
        : span_(span), texts_(span.Configs()), oldest_(span.All().from), newest_(span.All().to) {
        for (int ch = 0; ch < span.Configs().MaxChannels(); ++ch) channels_.push_back(ch);
    }

    bool Readable() const override { return true; }
    VTime Oldest() const override { return oldest_; }
    VTime Newest() const override { return newest_; }

    ListFill FillNewest(int ascending) override {
        ArchiveStatus s = SpanRecordBounds(span_, oldest_, newest_);
        if (s != ArchiveStatus::Ok) return Failed(s);
        std::vector<ArchivedRecord> newest;
        s = span_.Store().ReadLast(span_.Recorder().id, newest_, kFirstViewRows, newest);
        if (s != ArchiveStatus::Ok) return Failed(s);
        const VTime from = newest.empty() ? oldest_ : std::max(newest.front().time, oldest_);
        return Fill(from, newest_, 1, ascending);
    }

    ListFill Fill(VTime start, VTime end, int step, int ascending) override {
        pages_.clear();
        rows_ = 0;
        // Nothing outside the span is ever listed, and the count's cost grows with the span cut.
        from_ = std::max(start, span_.All().from);
        to_ = std::min(end, span_.All().to);
        step_ = std::max(step, 1);
        ascending_ = ascending != 0;
        SpanCount count;
        ArchiveStatus s = CountSpanRecords(span_.Store(), span_.Recorder().id, from_, to_, count);
        if (s != ArchiveStatus::Ok) return Failed(s);
        int channels = 0;
        s = SpanChannelCount(span_.Store(), span_.Recorder().id, span_.Configs(),
                             SpanBounds{false, from_, to_, 0}, step_, channels);
        if (s != ArchiveStatus::Ok) return Failed(s);
        channels_.clear();
        for (int ch = 0; ch < channels; ++ch) channels_.push_back(ch);
        records_ = count.records;
        if (records_ == 0) return {ArchiveStatus::Ok, start, end, 0};
        rows_ = static_cast<int>(std::min<std::int64_t>((records_ + step_ - 1) / step_,
                                                        std::numeric_limits<int>::max()));
        // Every record of the range counts, so that the range shown is that of its first and
        // last record whatever the step, as a file's is.
        return {ArchiveStatus::Ok, count.first, count.last, rows_};
    }

    const std::vector<int>& Channels() const override { return channels_; }
    int PrintChannels() const override { return static_cast<int>(channels_.size()); }
    int Rows() const override { return rows_; }

    // A page the store cannot give shows empty cells; the next fill tells why.
    std::string Cell(int row, int column) override {
        const int columns = 2 + static_cast<int>(channels_.size());
        if (row < 0 || row >= Rows() || column < 0 || column >= columns) return {};
        if (column == 0) return std::to_string(row + 1);
        const ArchivedRecord* r = Record(row);
        if (r == nullptr) return {};
        if (column == 1) return times_.Format(r->time);
        const int ch = channels_[static_cast<std::size_t>(column - 2)];
        return std::string(texts_.Value(span_.Configs().Index(r->config), ch,
                                        r->samples[static_cast<std::size_t>(ch)]));
    }

    std::string Title() const override {
        return SpanTitle(span_.Recorder().key, span_.All().from, span_.All().to);
    }

  private:
    static constexpr int kPageRows = 1024;
    static constexpr std::size_t kPagesHeld = 4;

    struct Page {
        int number = 0;
        std::vector<ArchivedRecord> rows;
    };

    ListFill Failed(ArchiveStatus s) {
        pages_.clear();
        rows_ = 0;
        return {s, 0, 0, 0};
    }

    const ArchivedRecord* Record(int row) {
        const int number = row / kPageRows;
        auto it = std::find_if(pages_.begin(), pages_.end(),
                               [number](const Page& p) { return p.number == number; });
        if (it == pages_.end()) {
            Page page;
            page.number = number;
            if (ReadPage(page) != ArchiveStatus::Ok) return nullptr;
            if (pages_.size() >= kPagesHeld) pages_.erase(pages_.begin());
            pages_.push_back(std::move(page));
            it = pages_.end() - 1;
        }
        const auto at = static_cast<std::size_t>(row % kPageRows);
        return at < it->rows.size() ? &it->rows[at] : nullptr;
    }

    // From the page's first record on, every step-th in the list's order. A newest-first page is
    // read oldest first from its last row's record and turned: a walk backwards reads the store
    // in chunks far larger than a page.
    ArchiveStatus ReadPage(Page& page) {
        const std::int64_t walked = std::int64_t{page.number} * kPageRows * step_;
        std::int64_t rank = walked;
        std::int64_t wanted = kPageRows;
        if (!ascending_) {
            const std::int64_t top = records_ - 1 - walked;
            wanted = std::min<std::int64_t>(kPageRows, top / step_ + 1);
            rank = top - (wanted - 1) * step_;
        }
        bool found = false;
        VTime at = 0;
        const std::int64_t id = span_.Recorder().id;
        if (ArchiveStatus s = RecordTimeAtRank(span_.Store(), id, from_, to_, rank, found, at);
            s != ArchiveStatus::Ok || !found)
            return s != ArchiveStatus::Ok ? s : ArchiveStatus::Failed;
        page.rows.reserve(static_cast<std::size_t>(wanted));
        const ArchiveStatus s =
            WalkSpan(span_.Store(), id, span_.Configs(), SpanBounds{false, at, to_, 0},
                     static_cast<int>(step_), true, [&](const SpanRow& row) {
                         page.rows.push_back(*row.record);
                         return static_cast<std::int64_t>(page.rows.size()) < wanted;
                     });
        if (!ascending_) std::reverse(page.rows.begin(), page.rows.end());
        return s;
    }

    ArchiveSpan& span_;
    SpanTexts texts_;
    VTime oldest_;
    VTime newest_;
    std::vector<int> channels_;
    VTime from_ = 0;
    VTime to_ = 0;
    std::int64_t step_ = 1;
    bool ascending_ = false;
    std::int64_t records_ = 0;
    int rows_ = 0;
    std::vector<Page> pages_;  // the oldest read first
    LocalTimeText times_;
};

class FileExportJob : public ExportJob {
  public:
    explicit FileExportJob(const HistoryData& h) : h_(h) {}
    Result Run(const ExportRequest& request, const ExportProgress& progress) const override {
        Result out;
        out.written = ExportWorkbook(h_, request, progress);
        return out;
    }

  private:
    // A copy, the file's bytes included: whatever the document does meanwhile, the worker
    // reads nothing of it.
    HistoryData h_;
};

class SpanExportJob : public ExportJob {
  public:
    SpanExportJob(std::string url, std::int64_t recorder, const SpanConfigs& configs)
        : url_(std::move(url)), recorder_(recorder), configs_(configs) {}

    Result Run(const ExportRequest& request, const ExportProgress& progress) const override {
        Result out;
        out.archiveName = ArchiveDisplayName(url_);
        ArchiveOpen open = OpenArchive(url_, false);
        if (open.status != ArchiveStatus::Ok) {
            out.archive = open.status;
            out.archiveError = open.error;
            return out;
        }
        SpanRowSource rows(*open.store, recorder_, configs_, request.start, request.end,
                           request.step, request.ascending != 0);
        out.archive = rows.Prepare();
        if (out.archive == ArchiveStatus::Ok) {
            out.written = WriteExport(
                rows, request.format, request.path, [&](std::int64_t done, std::int64_t all) {
                    return rows.Status() == ArchiveStatus::Ok && (!progress || progress(done, all));
                });
            out.archive = rows.Status();
        }
        if (out.archive != ArchiveStatus::Ok) out.archiveError = open.store->LastError();
        return out;
    }

  private:
    std::string url_;
    std::int64_t recorder_;
    SpanConfigs configs_;
};

}  // namespace

ArchiveStatus SpanRecordBounds(ArchiveSpan& span, VTime& first, VTime& last) {
    const SpanWindow all = span.All();
    first = all.from;
    last = all.to;
    ArchiveStore& store = span.Store();
    const std::int64_t id = span.Recorder().id;
    std::vector<ArchivedRecord> newest;
    if (ArchiveStatus s = store.ReadLast(id, all.to, 1, newest); s != ArchiveStatus::Ok) return s;
    if (newest.empty() || newest.back().time < all.from) return ArchiveStatus::Ok;
    last = newest.back().time;
    return store.ReadRecords(id, all.from, all.to, [&](std::span<const ArchivedRecord> chunk) {
        if (!chunk.empty()) first = chunk.front().time;
        return chunk.empty();
    });
}

std::unique_ptr<ListRows> MakeSpanListRows(ArchiveSpan& span) {
    return std::make_unique<SpanListRows>(span);
}

std::unique_ptr<ListRows> MakeListRows(CVardoDoc& doc) {
    if (doc.span) return MakeSpanListRows(*doc.span);
    return std::make_unique<FileListRows>(doc.history, doc.filePath);
}

std::shared_ptr<const ExportJob> MakeExportJob(const CVardoDoc& doc) {
    if (!doc.span) return std::make_shared<FileExportJob>(doc.history);
    const std::string url = doc.span->url.empty()
                                ? ResolveArchiveUrl(doc.home(), doc.settingsPath(), {})
                                : doc.span->url;
    return MakeSpanExportJob(*doc.span, url);
}

std::shared_ptr<const ExportJob> MakeSpanExportJob(const ArchiveSpan& span,
                                                   const std::string& url) {
    return std::make_shared<SpanExportJob>(url, span.Recorder().id, span.Configs());
}

}  // namespace vardo
