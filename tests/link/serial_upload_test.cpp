#include "link/serial_upload.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <vector>

#include "link/expected_file.h"
#include "sim_line.h"

namespace vardo {
namespace {

namespace fs = std::filesystem;
using test::FrozenRecorder;
using test::SimLine;

class SerialUpload : public ::testing::Test {
  protected:
    SerialUpload() {
        std::string t = (fs::temp_directory_path() / "vardo-serial-upload-XXXXXX").string();
        home = std::string(mkdtemp(t.data())) + "/";
    }
    ~SerialUpload() override { fs::remove_all(home); }

    UploadTarget Target() const {
        UploadTarget t;
        t.home = home;
        return t;
    }
    std::size_t DataFileCount() const {
        if (!fs::exists(home + "Data")) return 0;
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(home + "Data"), {}));
    }
    std::size_t HistoryRequests(SimLine& line) const {
        std::size_t n = 0;
        for (const auto& e : line.Model().RequestLog()) n += e.command == 0x13;
        return n;
    }

    std::string home;
};

UploadChoice Span(VTime from, VTime to, std::initializer_list<int> channels) {
    UploadChoice c;
    c.start = from;
    c.end = to;
    for (int n : channels) c.channels[static_cast<std::size_t>(n - 1)] = true;
    return c;
}

TEST_F(SerialUpload, ProgressCountsEveryBlockAndFileMatches) {
    auto recorder = FrozenRecorder(1);
    recorder.channelCount = 2;
    SimLine line(recorder);
    ASSERT_TRUE(line.started);
    CRecorderLink link;
    ASSERT_EQ(link.Open(&line.settings, home + "SetUp.ini"), 1);
    CSerialUpload upload(link, 1);
    ASSERT_EQ(upload.ReadTimeRange(), UploadStatus::Done);
    EXPECT_EQ(upload.Range().channelCount, 2);
    EXPECT_EQ(upload.Range().newestTime, recorder.newestTime);
    const VTime newest = recorder.newestTime;
    ASSERT_EQ(upload.Prepare(Span(newest - 1500, newest - 10, {2})), UploadStatus::Done);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> seen;
    ASSERT_EQ(upload.Run(
                  Target(),
                  [&](std::uint32_t d, std::uint32_t t) {
                      seen.push_back({d, t});
                  },
                  nullptr),
              UploadStatus::Done);
    // 148 records: three blocks.
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> expected = {
        {0, 3}, {1, 3}, {2, 3}, {3, 3}};
    EXPECT_EQ(seen, expected);
    test::ExpectedUpload e{recorder, newest - 1500, newest - 20, {}};
    e.channels[1] = true;
    EXPECT_TRUE(test::ReadWholeFile(upload.OutputPath()) == test::ExpectedFile(e));
}

TEST_F(SerialUpload, StoppedUploadLeavesNoFile) {
    SimLine line(FrozenRecorder(1));
    ASSERT_TRUE(line.started);
    CRecorderLink link;
    ASSERT_EQ(link.Open(&line.settings, home + "SetUp.ini"), 1);
    CSerialUpload upload(link, 1);
    ASSERT_EQ(upload.ReadTimeRange(), UploadStatus::Done);
    const VTime newest = line.Model().NewestTime();
    ASSERT_EQ(upload.Prepare(Span(newest - 6400, newest, {1})), UploadStatus::Done);
    std::atomic<bool> stop{false};
    const UploadStatus status = upload.Run(
        Target(), [&](std::uint32_t done, std::uint32_t) { stop = done >= 2; }, &stop);
    EXPECT_EQ(status, UploadStatus::Stopped);
    EXPECT_EQ(HistoryRequests(line), 2u);
    EXPECT_EQ(DataFileCount(), 0u);
    EXPECT_TRUE(upload.OutputPath().empty());
}

TEST_F(SerialUpload, EmptySelectionIsRefusedBeforeAnythingIsRead) {
    SimLine line(FrozenRecorder(0));  // three channels
    ASSERT_TRUE(line.started);
    CRecorderLink link;
    ASSERT_EQ(link.Open(&line.settings, home + "SetUp.ini"), 1);
    CSerialUpload upload(link, 0);
    ASSERT_EQ(upload.ReadTimeRange(), UploadStatus::Done);
    EXPECT_EQ(upload.Range().channelCount, 3);
    line.Model().ClearRequestLog();
    const VTime newest = line.Model().NewestTime();
    EXPECT_EQ(upload.Prepare(Span(newest - 600, newest, {})), UploadStatus::NoChannels);
    EXPECT_EQ(upload.Prepare(Span(newest - 600, newest, {4, 12})), UploadStatus::NoChannels);
    EXPECT_TRUE(line.Model().RequestLog().empty());
}

TEST_F(SerialUpload, UploadWithoutKnownRangeFails) {
    SimLine line(FrozenRecorder(1));
    CRecorderLink link;
    ASSERT_EQ(link.Open(&line.settings, home + "SetUp.ini"), 1);
    CSerialUpload upload(link, 1);
    EXPECT_EQ(upload.Prepare(Span(0, 0, {1})), UploadStatus::CommFailed);
}

// Values the recorder's memory should never hold are not used to index tables or the ring.
TEST_F(SerialUpload, ImpossibleRecorderValuesFailTheUpload) {
    struct Case {
        const char* name;
        int model;
        std::uint16_t address;
        std::uint8_t value;
        bool duringRangeRead;
    };
    const RecorderMemoryRow& zt330 = RecorderMemoryMap[1];
    const RecorderMemoryRow& zt552 = RecorderMemoryMap[3];
    const Case cases[] = {
        {"interval code 9", 1, zt330.intervalCodeAddress, 9, true},
        {"no channels", 1, static_cast<std::uint16_t>(zt330.channelCountAddress), 0, true},
        {"13 channels", 1, static_cast<std::uint16_t>(zt330.channelCountAddress), 13, true},
        {"write pointer beyond the ring", 3,
         static_cast<std::uint16_t>(zt552.writePointerAddress + 1), 1, false},
        {"stamp month 13", 1, static_cast<std::uint16_t>(zt330.newestStampAddress + 1), 13, true},
    };
    for (const Case& c : cases) {
        SimLine line(FrozenRecorder(c.model));
        ASSERT_TRUE(line.started);
        line.Model().PokeParameter(c.address, c.value);
        CRecorderLink link;
        ASSERT_EQ(link.Open(&line.settings, home + "SetUp.ini"), 1);
        CSerialUpload upload(link, c.model);
        UploadStatus status = upload.ReadTimeRange();
        if (!c.duringRangeRead) {
            ASSERT_EQ(status, UploadStatus::Done) << c.name;
            const VTime newest = line.Model().NewestTime();
            status = upload.Prepare(Span(newest - 600, newest, {1}));
        }
        EXPECT_EQ(status, UploadStatus::CommFailed) << c.name;
        EXPECT_EQ(HistoryRequests(line), 0u) << c.name;
    }
}

TEST_F(SerialUpload, UnreadableRangeOfAChannelAbortsBeforeTheFile) {
    sim::FaultConfig faults;
    // Stamp, interval, count, pointer and stamp again are answered; channel 1's range is not.
    faults.stallAfter = 6;
    SimLine line(FrozenRecorder(1), faults);
    ASSERT_TRUE(line.started);
    line.settings.readAttempts = 1;
    CRecorderLink link;
    ASSERT_EQ(link.Open(&line.settings, home + "SetUp.ini"), 1);
    CSerialUpload upload(link, 1);
    ASSERT_EQ(upload.ReadTimeRange(), UploadStatus::Done);
    const VTime newest = line.Model().NewestTime();
    EXPECT_EQ(upload.Prepare(Span(newest - 600, newest, {1})), UploadStatus::CommFailed);
    EXPECT_EQ(DataFileCount(), 0u);
}

// The recorder finishes a page between the range read and the upload: stamp and pointer both
// move, and the records keep the times they were taken at.
TEST_F(SerialUpload, PageFinishedBeforeTheUploadKeepsRecordsAtTheirTimes) {
    SimLine line(FrozenRecorder(1));
    ASSERT_TRUE(line.started);
    CRecorderLink link;
    ASSERT_EQ(link.Open(&line.settings, home + "SetUp.ini"), 1);
    CSerialUpload upload(link, 1);
    ASSERT_EQ(upload.ReadTimeRange(), UploadStatus::Done);
    const VTime newest = upload.Range().newestTime;
    const RecorderMemoryRow& row = RecorderMemoryMap[1];
    line.Model().PokeParameter(row.writePointerAddress, 1);  // slot 511
    const PackedTime later = PackTime(newest + 2560);
    for (int i = 0; i < 6; ++i) {
        line.Model().PokeParameter(static_cast<std::uint16_t>(row.newestStampAddress + i),
                                   later[static_cast<std::size_t>(i)]);
    }
    ASSERT_EQ(upload.Prepare(Span(newest - 200, newest - 100, {1})), UploadStatus::Done);
    EXPECT_EQ(upload.Range().newestTime, newest + 2560);
    EXPECT_EQ(upload.Plan().endIndex, 255u - 11u);
    EXPECT_EQ(upload.Header().newestTime, newest - 110);
}

TEST_F(SerialUpload, EqualStartAndEndOnTheGridGiveAFileWithoutRecords) {
    SimLine line(FrozenRecorder(3));
    ASSERT_TRUE(line.started);
    CRecorderLink link;
    ASSERT_EQ(link.Open(&line.settings, home + "SetUp.ini"), 1);
    CSerialUpload upload(link, 3);
    ASSERT_EQ(upload.ReadTimeRange(), UploadStatus::Done);
    const VTime t = line.Model().NewestTime() - 100;
    ASSERT_EQ(upload.Prepare(Span(t, t, {1, 2})), UploadStatus::Done);
    EXPECT_EQ(upload.Plan().blocks, 0u);
    ASSERT_EQ(upload.Run(Target(), nullptr, nullptr), UploadStatus::Done);
    EXPECT_EQ(HistoryRequests(line), 0u);
    const auto file = test::ReadWholeFile(upload.OutputPath());
    ASSERT_EQ(file.size(), 256u + 2 * 65536u);
    EXPECT_EQ(file[12], 0xFF);
    EXPECT_EQ(file[13], 0xFF);
    EXPECT_EQ(file[14], 0xFF);
    EXPECT_EQ(UnpackTime(&file[145]), t);
    EXPECT_EQ(UnpackTime(&file[6]), t - 10);
}

TEST_F(SerialUpload, BlockAtTheRingEndIsFetchedInTwoRequests) {
    auto recorder = FrozenRecorder(3);
    recorder.intervalCode = 0;
    recorder.channelCount = 2;
    SimLine line(recorder);
    ASSERT_TRUE(line.started);
    CRecorderLink link;
    ASSERT_EQ(link.Open(&line.settings, home + "SetUp.ini"), 1);
    CSerialUpload upload(link, 3);
    ASSERT_EQ(upload.ReadTimeRange(), UploadStatus::Done);
    const VTime newest = recorder.newestTime;
    // Pointer 255 at newest: slot 0 is 255 s back; start 10 records before the seam.
    ASSERT_EQ(upload.Prepare(Span(newest - 265, newest - 200, {2})), UploadStatus::Done);
    line.Model().ClearRequestLog();
    ASSERT_EQ(upload.Run(Target(), nullptr, nullptr), UploadStatus::Done);
    std::vector<sim::RequestLogEntry> history;
    for (const auto& e : line.Model().RequestLog()) {
        if (e.command == 0x13) history.push_back(e);
    }
    ASSERT_EQ(history.size(), 3u);
    EXPECT_EQ(history[0].address, 65536u + 65526u);
    EXPECT_EQ(history[0].count, 10u);
    EXPECT_EQ(history[1].address, 65536u);
    EXPECT_EQ(history[1].count, 54u);
    EXPECT_EQ(history[2].address, 65536u + 54u);
    test::ExpectedUpload e{recorder, newest - 265, newest - 201, {}};
    e.channels[1] = true;
    EXPECT_TRUE(test::ReadWholeFile(upload.OutputPath()) == test::ExpectedFile(e));
}

TEST(UploadMessages, EveryRefusalHasTheSystemText) {
    struct Case {
        UploadStatus status;
        const char* text;
        MessageIcon icon;
    };
    const Case cases[] = {
        {UploadStatus::OpenFailed, "打开串口失败！", MessageIcon::Error},
        {UploadStatus::CommFailed, "通讯失败！", MessageIcon::Error},
        {UploadStatus::SpanReversed, "请确认 开始时间 < 结束时间", MessageIcon::Information},
        {UploadStatus::StartOutOfRange, "开始时间 超出范围", MessageIcon::Information},
        {UploadStatus::EndOutOfRange, "结束时间 超出范围", MessageIcon::Information},
        {UploadStatus::FileFailed, "文件建立失败！", MessageIcon::Error},
    };
    for (const Case& c : cases) {
        RecordingReporter r;
        ReportUpload(c.status, r);
        ASSERT_EQ(r.entries.size(), 1u);
        EXPECT_EQ(r.entries[0].text, c.text);
        EXPECT_EQ(r.entries[0].icon, c.icon);
    }
    RecordingReporter quiet;
    ReportUpload(UploadStatus::Done, quiet);
    ReportUpload(UploadStatus::Stopped, quiet);
    EXPECT_TRUE(quiet.entries.empty());
}

}  // namespace
}  // namespace vardo
