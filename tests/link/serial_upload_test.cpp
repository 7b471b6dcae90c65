#include "link/serial_upload.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <filesystem>
#include <thread>
#include <vector>

#include "link/expected_file.h"
#include "sim_line.h"
#include "support/history_file_builder.h"

namespace vardo {
namespace {

using test::FrozenRecorder;
using test::SimLine;

UploadChoice Span(VTime from, VTime to, std::initializer_list<int> channels) {
    UploadChoice c;
    c.start = from;
    c.end = to;
    for (int n : channels) c.channels[static_cast<std::size_t>(n - 1)] = true;
    return c;
}

// An upload from a recorder whose time range has been read, over a serial line or a device
// server's TCP connection.
class SerialUpload : public ::testing::TestWithParam<test::Transport> {
  protected:
    void Start(const sim::RecorderConfig& recorder, const sim::FaultConfig& faults = {}) {
        line = std::make_unique<SimLine>(recorder, faults, GetParam());
        ASSERT_TRUE(line->opened);
        upload = std::make_unique<CSerialUpload>(line->link, recorder.modelIndex);
        ASSERT_EQ(upload->ReadTimeRange(), UploadStatus::Done);
        newest = upload->Range().newestTime;
    }
    UploadStatus Run(const UploadProgress& progress = nullptr,
                     const std::atomic<bool>* stop = nullptr) {
        UploadTarget t;
        t.home = home.path() + "/";
        return upload->Run(t, progress, stop);
    }
    bool NoFile() const {
        for (const auto& e : std::filesystem::recursive_directory_iterator(home.path())) {
            if (e.is_regular_file()) return false;
        }
        return true;
    }

    testing::TempDir home;
    std::unique_ptr<SimLine> line;
    std::unique_ptr<CSerialUpload> upload;
    VTime newest = 0;
};

TEST_P(SerialUpload, ProgressCountsEveryBlockAndFileMatches) {
    auto recorder = FrozenRecorder(1);
    recorder.channelCount = 2;
    Start(recorder);
    EXPECT_EQ(upload->Range().channelCount, 2);
    EXPECT_EQ(newest, recorder.newestTime);
    ASSERT_EQ(upload->Prepare(Span(newest - 1500, newest - 10, {2})), UploadStatus::Done);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> seen;
    ASSERT_EQ(Run([&](std::uint32_t d, std::uint32_t t) {
                  seen.push_back({d, t});
              }),
              UploadStatus::Done);
    // 148 records: three blocks.
    EXPECT_EQ(seen, (decltype(seen){{0, 3}, {1, 3}, {2, 3}, {3, 3}}));
    test::ExpectedUpload e{recorder, newest - 1500, newest - 20, {}};
    e.channels[1] = true;
    EXPECT_TRUE(testing::ReadBytes(upload->OutputPath()) == test::ExpectedFile(e));
}

TEST_P(SerialUpload, StoppedUploadLeavesNoFile) {
    Start(FrozenRecorder(1));
    ASSERT_EQ(upload->Prepare(Span(newest - 6400, newest, {1})), UploadStatus::Done);
    std::atomic<bool> stop{false};
    EXPECT_EQ(Run([&](std::uint32_t done, std::uint32_t) { stop = done >= 2; }, &stop),
              UploadStatus::Stopped);
    EXPECT_EQ(line->Requests(0x13).size(), 2u);
    EXPECT_TRUE(NoFile());
    EXPECT_TRUE(upload->OutputPath().empty());
}

// A stop that also interrupts the port ends the exchange in progress at once, with attempts at
// the int limit (time-outs there are the port's own test); the run is Stopped, leaves no file.
TEST_P(SerialUpload, StopEndsTheExchangeInProgressWhateverTheSettings) {
    Start(FrozenRecorder(1));
    ASSERT_EQ(upload->Prepare(Span(newest - 600, newest, {1})), UploadStatus::Done);
    line->LinkSettings().readAttempts = INT_MAX;
    line->server->StopThread();  // the recorder falls silent

    std::atomic<bool> stop{false};
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stop = true;
        line->link.port.Interrupt();
    });
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(Run(nullptr, &stop), UploadStatus::Stopped);
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(1300));
    EXPECT_TRUE(NoFile());
}

TEST_P(SerialUpload, NoRangeOrNoChannelIsRefusedBeforeAnythingIsRead) {
    Start(FrozenRecorder(0));  // three channels
    EXPECT_EQ(upload->Range().channelCount, 3);
    line->Model().ClearRequestLog();
    EXPECT_EQ(upload->Prepare(Span(newest - 600, newest, {})), UploadStatus::NoChannels);
    EXPECT_EQ(upload->Prepare(Span(newest - 600, newest, {4, 12})), UploadStatus::NoChannels);
    EXPECT_EQ(CSerialUpload(line->link, 0).Prepare(Span(0, 0, {1})), UploadStatus::CommFailed);
    EXPECT_TRUE(line->Requests().empty());
}

// Values the recorder's memory should never hold are not used to index tables or the ring.
TEST_P(SerialUpload, ImpossibleRecorderValuesFailTheUpload) {
    const RecorderMemoryRow& zt330 = RecorderMemoryMap[1];
    const struct {
        const char* name;
        int model;
        std::uint32_t address;
        std::uint8_t value;
        bool duringRangeRead;
    } cases[] = {
        {"interval code 9", 1, zt330.intervalCodeAddress, 9, true},
        {"no channels", 1, zt330.channelCountAddress, 0, true},
        {"13 channels", 1, zt330.channelCountAddress, 13, true},
        {"write pointer beyond the ring", 3, RecorderMemoryMap[3].writePointerAddress + 1u, 1,
         false},
        {"stamp month 13", 1, zt330.newestStampAddress + 1u, 13, true},
    };
    for (const auto& c : cases) {
        SimLine sim(FrozenRecorder(c.model), {}, GetParam());
        ASSERT_TRUE(sim.opened);
        sim.Model().PokeParameter(static_cast<std::uint16_t>(c.address), c.value);
        CSerialUpload up(sim.link, c.model);
        UploadStatus status = up.ReadTimeRange();
        if (!c.duringRangeRead) {
            ASSERT_EQ(status, UploadStatus::Done) << c.name;
            const VTime t = sim.Model().NewestTime();
            status = up.Prepare(Span(t - 600, t, {1}));
        }
        EXPECT_EQ(status, UploadStatus::CommFailed) << c.name;
        EXPECT_TRUE(sim.Requests(0x13).empty()) << c.name;
    }
}

TEST_P(SerialUpload, UnreadableRangeOfAChannelAbortsBeforeTheFile) {
    sim::FaultConfig faults;
    // Stamp, interval, count, pointer and stamp again are answered; channel 1's range is not.
    faults.stallAfter = 6;
    Start(FrozenRecorder(1), faults);
    line->LinkSettings().readAttempts = 1;
    EXPECT_EQ(upload->Prepare(Span(newest - 600, newest, {1})), UploadStatus::CommFailed);
    EXPECT_TRUE(NoFile());
}

// The recorder finishes a page between the range read and the upload: stamp and pointer both
// move, and the records keep the times they were taken at.
TEST_P(SerialUpload, PageFinishedBeforeTheUploadKeepsRecordsAtTheirTimes) {
    Start(FrozenRecorder(1));
    const RecorderMemoryRow& row = RecorderMemoryMap[1];
    line->Model().PokeParameter(row.writePointerAddress, 1);  // slot 511
    const PackedTime later = PackTime(newest + 2560);
    for (std::size_t i = 0; i < 6; ++i) {
        line->Model().PokeParameter(static_cast<std::uint16_t>(row.newestStampAddress + i),
                                    later[i]);
    }
    ASSERT_EQ(upload->Prepare(Span(newest - 200, newest - 100, {1})), UploadStatus::Done);
    EXPECT_EQ(upload->Range().newestTime, newest + 2560);
    EXPECT_EQ(upload->Plan().endIndex, 255u - 11u);
    EXPECT_EQ(upload->Header().newestTime, newest - 110);
}

INSTANTIATE_TEST_SUITE_P(Transports, SerialUpload,
                         ::testing::Values(test::Transport::Pty, test::Transport::Tcp),
                         test::TransportName);

TEST(UploadMessages, EveryRefusalHasTheSystemText) {
    const struct {
        UploadStatus status;
        const char* text;
        MessageIcon icon;
    } cases[] = {
        {UploadStatus::OpenFailed, "打开串口失败！", MessageIcon::Error},
        {UploadStatus::CommFailed, "通讯失败！", MessageIcon::Error},
        {UploadStatus::SpanReversed, "请确认 开始时间 < 结束时间", MessageIcon::Information},
        {UploadStatus::StartOutOfRange, "开始时间 超出范围", MessageIcon::Information},
        {UploadStatus::EndOutOfRange, "结束时间 超出范围", MessageIcon::Information},
        {UploadStatus::FileFailed, "文件建立失败！", MessageIcon::Error},
    };
    for (const auto& c : cases) {
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
