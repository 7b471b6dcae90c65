// The data list and the export of a recorder's span in the program give what vardo-cli dump and
// export --recorder give for the same records, on both engines: a gap, a change of
// configuration, steps and both orders.

#include <gtest/gtest.h>

#include "../support/cli_run.h"
#include "../support/workbook_reader.h"
#include "app/list_rows.h"
#include "archive_engines.h"

namespace vardo::testing {
namespace {

// What a workbook holds, read back by an independent reader: an .xlsx carries the time it was
// made, so two writes of the same rows differ in their bytes, never in their cells.
std::string Cells(const std::string& format, const std::string& path) {
    if (format == "xlsx") return ReadTable("xlsx", path);
    if (format == "xls") return ReadWithXlrd(path);
    return ReadText(path);
}

class SpanListTest : public ::testing::TestWithParam<Engine> {
  protected:
    void SetUp() override {
        const SpanFile a = FourChannels();
        const SpanFile c = TwoChannelsAfterAGap();
        ArchiveOpen open = OpenArchive(place.url(), true);
        ASSERT_EQ(open.status, ArchiveStatus::Ok) << open.error;
        for (const SpanFile* f : {&a, &c})
            ASSERT_EQ(AddSpan(*open.store, *f).result, HistoryAdd::Added);
        std::vector<RecorderSummary> recorders;
        ASSERT_EQ(open.store->Recorders(recorders), ArchiveStatus::Ok);
        ASSERT_EQ(span.Open(std::move(open.store), recorders.at(0), TimeOf(0), TimeOf(2999)),
                  ArchiveStatus::Ok);
        span.url = place.url();
    }

    CliRun Cli(std::vector<std::string> args) {
        args.insert(args.end(), {"--recorder", "7", "--archive", place.url()});
        return RunCli(home.path(), args);
    }

    // The list's rows as dump prints them, asked for from the first row on or, as a scrollbar
    // dragged up from the bottom does, from the last.
    static std::string Text(ListRows& rows, bool lastFirst = false) {
        std::vector<std::string> lines(static_cast<std::size_t>(rows.Rows()));
        for (int k = 0; k < rows.Rows(); ++k) {
            const int r = lastFirst ? rows.Rows() - 1 - k : k;
            std::string& line = lines[static_cast<std::size_t>(r)];
            for (int c = 0; c < 2 + static_cast<int>(rows.Channels().size()); ++c)
                line += (c > 0 ? "\t" : "") + rows.Cell(r, c);
        }
        std::string out = "编号\t时间";
        for (int ch : rows.Channels()) out += "\t通道" + std::to_string(ch + 1);
        out += "\n";
        for (const std::string& line : lines) out += line + "\n";
        return out;
    }

    ArchivePlace place{GetParam()};
    TempDir home;
    ArchiveSpan span;
};

TEST_P(SpanListTest, ListEqualsDumpOfTheSameRange) {
    const struct {
        std::int64_t from, to;
        int step;
        bool ascending;
    } cases[] = {
        {0, 2999, 1, false},     // across the gap and the change of channels
        {1990, 2200, 7, true},   // a step that does not divide the range
        {2000, 2099, 1, false},  // inside the gap: the header only, the recorder's columns
        {2500, 2999, 3, false},  // the narrower configuration alone has two columns
        {-50, 10, 1, true},      // a range that starts before the first record
    };
    for (const auto& k : cases) {
        auto rows = MakeSpanListRows(span);
        const ListFill fill = rows->Fill(TimeOf(k.from), TimeOf(k.to), k.step, k.ascending);
        ASSERT_EQ(fill.status, ArchiveStatus::Ok);
        const CliRun dump =
            Cli({"dump", "--from", FormatTime(TimeOf(k.from)), "--to", FormatTime(TimeOf(k.to)),
                 "--step", std::to_string(k.step), "--order", k.ascending ? "oldest" : "newest"});
        ASSERT_EQ(dump.status, 0) << dump.err;
        EXPECT_EQ(Text(*rows), dump.out) << k.from << ".." << k.to;
        EXPECT_EQ(Text(*rows, true), dump.out) << k.from << ".." << k.to;
        EXPECT_EQ(fill.rows, rows->Rows());
    }
}

TEST_P(SpanListTest, FirstViewIsTheNewest200AndTheDialogsBoundsAreTheFirstAndLastRecord) {
    auto rows = MakeSpanListRows(span);
    const ListFill fill = rows->FillNewest(0);
    ASSERT_EQ(fill.status, ArchiveStatus::Ok);
    EXPECT_EQ(Text(*rows), Cli({"dump"}).out);
    EXPECT_EQ(fill.rowStart, TimeOf(2800));
    EXPECT_EQ(fill.rowEnd, TimeOf(2999));
    EXPECT_EQ(rows->Oldest(), TimeOf(0));
    EXPECT_EQ(rows->Newest(), TimeOf(2999));
    // A span that ends in the gap: its newest 200 are cut at its own start, and its last record
    // bounds it.
    ArchiveOpen open = OpenArchive(place.url(), false);
    std::vector<RecorderSummary> recorders;
    ASSERT_EQ(open.store->Recorders(recorders), ArchiveStatus::Ok);
    ArchiveSpan part;
    ASSERT_EQ(part.Open(std::move(open.store), recorders.at(0), TimeOf(1900), TimeOf(2050)),
              ArchiveStatus::Ok);
    auto cut = MakeSpanListRows(part);
    const ListFill some = cut->FillNewest(1);
    EXPECT_EQ(some.rows, 100);
    EXPECT_EQ(cut->Cell(0, 1), FormatTime(TimeOf(1900)));
    EXPECT_EQ(cut->Newest(), TimeOf(1999));
}

TEST_P(SpanListTest, ExportJobWritesWhatExportRecorderWritesInEveryFormat) {
    const struct {
        ExportFormat format;
        const char* name;
        std::int64_t from, to;
        int step;
        int ascending;
    } cases[] = {
        {ExportFormat::Csv, "csv", 1500, 2999, 1, 0},
        {ExportFormat::Xlsx, "xlsx", 0, 2999, 4, 1},
        {ExportFormat::Xls, "xls", 1990, 2110, 2, 0},
    };
    const auto job = MakeSpanExportJob(span, place.url());
    for (const auto& k : cases) {
        ExportRequest request{TimeOf(k.from),
                              TimeOf(k.to),
                              k.step,
                              k.ascending,
                              home / (std::string("job.") + k.name),
                              k.format};
        const ExportJob::Result got = job->Run(request, {});
        ASSERT_EQ(got.archive, ArchiveStatus::Ok) << got.archiveError;
        ASSERT_EQ(got.written.outcome, ExportOutcome::Written) << k.name;
        const std::string cli = home / (std::string("cli.") + k.name);
        const CliRun run = Cli({"export", cli, "--from", FormatTime(TimeOf(k.from)), "--to",
                                FormatTime(TimeOf(k.to)), "--step", std::to_string(k.step),
                                "--order", k.ascending ? "oldest" : "newest", "--format", k.name});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(Cells(k.name, request.path), Cells(k.name, cli)) << k.name;
    }
    // An archive that is gone: told as the archive's, and nothing is written.
    const auto lost = MakeSpanExportJob(span, "sqlite:" + home / "gone.db");
    ExportRequest request{TimeOf(0), TimeOf(10), 1, 0, home / "lost.csv", ExportFormat::Csv};
    EXPECT_EQ(lost->Run(request, {}).archive, ArchiveStatus::Missing);
    EXPECT_FALSE(std::filesystem::exists(request.path));
}

TEST_P(SpanListTest, SourcesNameTheirRecorderAndTheRecordsTheyBrought) {
    SpanFile other;  // another recorder's add, which the first one's list must not show
    ASSERT_EQ(AddSpan(span.Store(), other, 9).result, HistoryAdd::Added);
    ASSERT_EQ(AddSpan(span.Store(), other, 7).result, HistoryAdd::Added);  // overlapping, held
    std::vector<SourceInfo> all;
    ASSERT_EQ(span.Store().Sources(all), ArchiveStatus::Ok);
    const std::vector<SourceInfo> mine = RecorderSources(all, span.Recorder().id);
    std::vector<std::int64_t> records;
    for (const SourceInfo& s : mine) records.push_back(s.records);
    EXPECT_EQ(records, (std::vector<std::int64_t>{2000, 900, 100}));
    EXPECT_EQ(all.size(), 4u);
    EXPECT_EQ(SourceHowText(mine[0].how), "文件");
    EXPECT_EQ(SourceHowText("live"), "实时");
    EXPECT_EQ(SourceHowText("later"), "later");
}

INSTANTIATE_TEST_SUITE_P(Engines, SpanListTest, ::testing::ValuesIn(kEngines), EngineParamName);

}  // namespace
}  // namespace vardo::testing
