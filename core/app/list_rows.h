#pragma once
// The rows the data list shows, whether the document holds a history file or a recorder's span:
// the list, its range dialog, its printout and the export ask this and never which one is open.
// A file's rows come from the record walk, made on demand; a span's from the merged walk that
// dump --recorder lists, a page at a time.

#include <memory>
#include <string>
#include <vector>

#include "app/archive_span.h"
#include "base/local_time_text.h"
#include "datalist/excel_export.h"
#include "datalist/row_texts.h"
#include "datalist/row_walk.h"

namespace vardo {

class CVardoDoc;

struct ListFill {
    ArchiveStatus status = ArchiveStatus::Ok;  // not Ok: a span could not be read, no rows
    VTime rowStart = 0;  // the range as shown: a file's snapped to its grid, a span's as asked
    VTime rowEnd = 0;
    int rows = 0;
};

class ListRows {
  public:
    virtual ~ListRows() = default;

    // false while there is nothing to read (no file mapped): a fill would change nothing, and
    // the list keeps what it shows.
    virtual bool Readable() const = 0;
    // The first and last record: the bounds the range and export dialogs check against.
    virtual VTime Oldest() const = 0;
    virtual VTime Newest() const = 0;
    // The list's first view: the newest 200 records, every one.
    [[nodiscard]] virtual ListFill FillNewest(int ascending) = 0;
    [[nodiscard]] virtual ListFill Fill(VTime start, VTime end, int step, int ascending) = 0;

    // The channel (0-based) behind each channel column, in column order; fixed by the last fill.
    virtual const std::vector<int>& Channels() const = 0;
    // The channel count the printout's bands are planned for.
    virtual int PrintChannels() const = 0;
    virtual int Rows() const = 0;
    // Column 0 the row number, 1 the time, 2.. the channels; empty outside the table.
    virtual std::string Cell(int row, int column) = 0;
    // What the printout's footer names: the file's path, or the recorder and its span.
    virtual std::string Title() const = 0;
};

// The rows of what doc shows: its span when one is open, else its file (whose columns show even
// when it could not be mapped).
std::unique_ptr<ListRows> MakeListRows(CVardoDoc& doc);
// A span's rows over a store the caller keeps open.
std::unique_ptr<ListRows> MakeSpanListRows(ArchiveSpan& span);

// The times of the first and last record held within the span asked for (the span's own ends
// when it holds none): what a file's oldest and newest are to the dialogs.
[[nodiscard]] ArchiveStatus SpanRecordBounds(ArchiveSpan& span, VTime& first, VTime& last);

// What an export worker writes, taken from the document when the dialog starts: copies of the
// file's record, or the span's archive address, recorder and configurations (the worker opens
// its own connection: a store is not shared between threads).
class ExportJob {
  public:
    virtual ~ExportJob() = default;
    struct Result {
        ExportResult written;
        ArchiveStatus archive = ArchiveStatus::Ok;  // not Ok: reading the span failed
        std::string archiveName;                    // the archive as messages name it
        std::string archiveError;                   // the engine's reason
    };
    [[nodiscard]] virtual Result Run(const ExportRequest& request,
                                     const ExportProgress& progress) const = 0;
};

std::shared_ptr<const ExportJob> MakeExportJob(const CVardoDoc& doc);
// The export of span's records from the archive at url.
std::shared_ptr<const ExportJob> MakeSpanExportJob(const ArchiveSpan& span, const std::string& url);

}  // namespace vardo
