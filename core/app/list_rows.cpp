#include "app/list_rows.h"

#include <algorithm>

#include "app/vardo_doc.h"
#include "archive/archive_location.h"
#include "archive/span_export.h"
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

// A span's listed records are kept whole (a record is 32 bytes): the store is asked once per
// fill, never while the list paints.
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
        rows_.clear();
        const SpanConfigs& configs = span_.Configs();
        const std::int64_t stride = std::max(step, 1);
        std::int64_t seen = 0;
        VTime first = end;
        VTime last = start;
        int channels = -1;
        // Every record of the range passes, so that the range shown is that of its first and
        // last record whatever the step, as a file's is.
        const ArchiveStatus s =
            WalkSpan(span_.Store(), span_.Recorder().id, configs, SpanBounds{false, start, end, 0},
                     1, ascending != 0, [&](const SpanRow& row) {
                         first = std::min(first, row.record->time);
                         last = std::max(last, row.record->time);
                         if (seen++ % stride != 0) return true;
                         rows_.push_back(*row.record);
                         channels = std::max(
                             channels, row.config >= 0 ? configs.At(row.config).channelCount : 0);
                         return true;
                     });
        if (s != ArchiveStatus::Ok) return Failed(s);
        // Nothing listed: the recorder's own columns, as dump keeps its header.
        if (channels < 0) channels = configs.MaxChannels();
        channels_.clear();
        for (int ch = 0; ch < channels; ++ch) channels_.push_back(ch);
        if (seen == 0) return {ArchiveStatus::Ok, start, end, 0};
        return {ArchiveStatus::Ok, first, last, static_cast<int>(rows_.size())};
    }

    const std::vector<int>& Channels() const override { return channels_; }
    int PrintChannels() const override { return static_cast<int>(channels_.size()); }
    int Rows() const override { return static_cast<int>(rows_.size()); }

    std::string Cell(int row, int column) override {
        const int columns = 2 + static_cast<int>(channels_.size());
        if (row < 0 || row >= Rows() || column < 0 || column >= columns) return {};
        const ArchivedRecord& r = rows_[static_cast<std::size_t>(row)];
        if (column == 0) return std::to_string(row + 1);
        if (column == 1) return times_.Format(r.time);
        const int ch = channels_[static_cast<std::size_t>(column - 2)];
        return std::string(texts_.Value(span_.Configs().Index(r.config), ch,
                                        r.samples[static_cast<std::size_t>(ch)]));
    }

    std::string Title() const override {
        return SpanTitle(span_.Recorder().key, span_.All().from, span_.All().to);
    }

  private:
    ListFill Failed(ArchiveStatus s) {
        rows_.clear();
        return {s, 0, 0, 0};
    }

    ArchiveSpan& span_;
    SpanTexts texts_;
    VTime oldest_;
    VTime newest_;
    std::vector<int> channels_;
    std::vector<ArchivedRecord> rows_;
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
