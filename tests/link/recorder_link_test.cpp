#include "link/recorder_link.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <thread>
#include <vector>

#include "link/recorder_memory_map.h"
#include "link/recorder_registers.h"
#include "link/tcp_channel.h"
#include "sim_line.h"

namespace vardo {
namespace {

using test::FrozenRecorder;
using test::SimLine;
using Request = std::tuple<std::uint8_t, std::uint32_t, std::uint32_t>;

std::vector<Request> Log(SimLine& line) {
    std::vector<Request> out;
    for (const auto& e : line.Requests()) out.emplace_back(e.command, e.address, e.count);
    return out;
}

TEST(RecorderMemoryMap, ChannelAddressesWrapIn16BitsAndHistoryIsPerChannelRing) {
    RecorderMemoryRow row = RecorderMemoryMap[5];
    row.configBase = 0xFFF0;
    EXPECT_EQ(ChannelConfigAddress(row, 1), 0x0020);
    EXPECT_EQ(ChannelConfigAddress(RecorderMemoryMap[1], 2), 0x7170);
    EXPECT_EQ(HistoryAddress(RecorderMemoryMap[1], 11, 0), 0x160000u);
    EXPECT_EQ(HistoryAddress(RecorderMemoryMap[3], 1, 5), 65536u + 5);
}

TEST(RecorderData, WritePointerNamesTheLastSlotOfAPage) {
    EXPECT_EQ(DecodeWritePointer(0x34, 0x12), 0x1234FFu);
    EXPECT_EQ(DecodeWritePointer(0xFF, 0x01), 0x1FFFFu);
}

TEST(RecorderData, ClockAndStampFieldChecks) {
    const VTime before = 12345;
    const struct {
        const char* name;
        std::array<std::uint8_t, 10> clock;  // sec, -, min, -, hour, -, -, day, month, year
        VTime result;                        // `before`: refused
    } clocks[] = {
        {"ignored bytes", {5, 9, 4, 9, 3, 9, 9, 2, 1, 26}, MakeLocalTime(2026, 1, 2, 3, 4, 5)},
        {"year byte 100", {0, 0, 0, 0, 0, 0, 0, 1, 1, 100}, MakeLocalTime(2100, 1, 1, 0, 0, 0)},
        {"year byte 101", {0, 0, 0, 0, 0, 0, 0, 1, 1, 101}, before},
        {"month 0", {0, 0, 0, 0, 0, 0, 0, 1, 0, 26}, before},
        {"day 32", {0, 0, 0, 0, 0, 0, 0, 32, 1, 26}, before},
        {"hour 24", {0, 0, 0, 0, 24, 0, 0, 1, 1, 26}, before},
        {"minute 60", {0, 0, 60, 0, 0, 0, 0, 1, 1, 26}, before},
        {"second 60", {60, 0, 0, 0, 0, 0, 0, 1, 1, 26}, before},
    };
    for (const auto& c : clocks) {
        VTime t = before;
        EXPECT_EQ(DecodeClock(c.clock, t), c.result != before ? 1 : 0) << c.name;
        EXPECT_EQ(t, c.result) << c.name;
    }
    const struct {
        const char* name;
        std::array<std::uint8_t, 6> stamp;  // year, month, day, hour, minute, second
        VTime result;
    } stamps[] = {
        {"plain", {26, 2, 3, 4, 5, 6}, MakeLocalTime(2026, 2, 3, 4, 5, 6)},
        {"year 99", {99, 12, 31, 23, 59, 59}, MakeLocalTime(2099, 12, 31, 23, 59, 59)},
        {"year 100", {100, 1, 1, 0, 0, 0}, before},
        {"month 13", {26, 13, 1, 0, 0, 0}, before},
        {"day 0", {26, 1, 0, 0, 0, 0}, before},
        {"hour 24", {26, 1, 1, 24, 0, 0}, before},
        {"minute 60", {26, 1, 1, 0, 60, 0}, before},
        {"second 60", {26, 1, 1, 0, 0, 60}, before},
    };
    for (const auto& c : stamps) {
        VTime t = before;
        EXPECT_EQ(DecodeStamp(c.stamp, t), c.result != before ? 1 : 0) << c.name;
        EXPECT_EQ(t, c.result) << c.name;
    }
}

TEST(TcpAddress, HostAndPortOrRefused) {
    const std::pair<std::string, std::string> accepted[] = {
        {"tcp://127.0.0.1:4001", "127.0.0.1|4001"},
        {"tcp://[fe80::1%eth0]:502", "fe80::1%eth0|502"},
        {"tcp://nport.local:65535", "nport.local|65535"},
    };
    for (const auto& [text, want] : accepted) {
        TcpAddress a;
        ASSERT_TRUE(ParseTcpAddress(text, a)) << text;
        EXPECT_EQ(a.host + "|" + a.port, want);
    }
    // A NUL would let the resolver see another host than the text names.
    const std::string refused[] = {
        "tcp://h:0",    "tcp://h:65536", "tcp://h:",     "tcp://:80",
        "tcp://::1:80", "tcp://[::1]80", "tcp://a b:80", std::string("tcp://a\0b:80", 12),
        "tcp://a/b:80", "tcp://a]:80",   "udp://h:80",   "tcp://" + std::string(256, 'h') + ":80"};
    for (const std::string& text : refused) {
        TcpAddress a;
        EXPECT_FALSE(ParseTcpAddress(text, a)) << text;
    }
}

TEST(RecorderLink, OpenCopiesTheSettingsAndCloseKeepsThem) {
    CRecorderLink link;
    std::array<std::uint8_t, 4> bytes{};
    CommSettings missing;
    for (const char* port : {"/nonexistent/tty", "tcp://127.0.0.1:0", "tcp://nohost", "tcp://"}) {
        missing.portName = port;
        EXPECT_EQ(link.Open(missing, "/nonexistent/SetUp.ini"), 0) << port;
    }
    EXPECT_FALSE(link.settings.has_value());
    EXPECT_EQ(link.ReadMemory(0, bytes), 0);
    EXPECT_EQ(link.ReadHistory(0, bytes), 0);
    EXPECT_EQ(link.Close(), 0);

    SimLine line(FrozenRecorder(1));
    ASSERT_TRUE(line.opened);
    // The caller's record may change or go away; the link reads with what it was opened with.
    line.settings.address = 99;
    EXPECT_EQ(line.link.ReadMemory(0x7110, bytes), 1);
    EXPECT_EQ(line.link.Close(), 1);
    EXPECT_EQ(line.link.IsOpen(), 0);
    EXPECT_EQ(line.LinkSettings().address, 8);
    EXPECT_EQ(line.link.ReadMemory(0x7110, bytes), 0);
    // The port-only close leaves the open flag.
    line.settings.address = 8;
    ASSERT_EQ(line.link.Open(line.settings, "/nonexistent/SetUp.ini"), 1);
    EXPECT_EQ(line.link.ClosePort(), 1);
    EXPECT_EQ(line.link.IsOpen(), 1);
}

TEST(RecorderLink, MemoryIsReadIn64ByteChunksAndHistoryIn64AtMost) {
    SimLine line(FrozenRecorder(1));
    ASSERT_TRUE(line.opened);
    const struct {
        std::uint16_t start;
        std::size_t count;
        std::vector<Request> requests;
    } cases[] = {
        {0x7110, 130, {{0x03, 0x7110, 64}, {0x03, 0x7150, 64}, {0x03, 0x7190, 2}}},
        {0x7110, 64, {{0x03, 0x7110, 64}}},
        {0xFFF0, 80, {{0x03, 0xFFF0, 64}, {0x03, 0x0030, 16}}},
        {0x1000, 0, {}},
    };
    for (const auto& c : cases) {
        line.Model().ClearRequestLog();
        std::vector<std::uint8_t> bytes(c.count);
        ASSERT_EQ(line.link.ReadMemory(c.start, bytes), 1);
        EXPECT_EQ(Log(line), c.requests) << c.start;
    }
    std::array<std::uint8_t, 65> tooMany{};
    EXPECT_EQ(line.link.ReadHistory(0, std::span<std::uint8_t>()), 0);
    EXPECT_EQ(line.link.ReadHistory(0, tooMany), 0);
}

// A link makes as many attempts per request as the settings say (at least one), and no more.
TEST(RecorderLink, AttemptsPerRequestFollowTheSetting) {
    sim::FaultConfig silent;
    silent.dropEvery = 1;
    SimLine line(FrozenRecorder(1), silent);
    ASSERT_TRUE(line.opened);
    for (const auto& [attempts, requests] :
         {std::pair{0, 1u}, {-3, 1u}, {1, 1u}, {2, 2u}, {3, 3u}}) {
        line.LinkSettings().readAttempts = attempts;
        std::array<std::uint8_t, 2> bytes{};
        line.Model().ClearRequestLog();
        EXPECT_EQ(line.link.ReadMemory(0x7110, bytes), 0);
        EXPECT_EQ(line.Requests().size(), requests) << attempts;
        line.Model().ClearRequestLog();
        EXPECT_EQ(line.link.ReadHistory(0, bytes), 0);
        EXPECT_EQ(line.Requests().size(), requests) << attempts;
    }
}

// A running recorder keeps recording: its clock moves, a new record lands after the newest
// one, live values change; the stamp waits for a whole page.
TEST(RecorderLink, RunningRecorderRecordsOnePerInterval) {
    sim::RecorderConfig config;
    config.intervalCode = 0;
    config.channelCount = 2;
    SimLine line(config);
    ASSERT_TRUE(line.opened);
    const RecorderMemoryRow& row = RecorderMemoryMap[1];
    VTime clock[2]{}, stamp[2]{};
    std::array<std::uint8_t, 4> live[2]{};
    for (int i = 0; i < 2; ++i) {
        if (i == 1) std::this_thread::sleep_for(std::chrono::milliseconds(2100));
        ASSERT_EQ(line.link.ReadClock(row.clockAddress, clock[i]), 1);
        ASSERT_EQ(line.link.ReadStamp(row.newestStampAddress, stamp[i]), 1);
        ASSERT_EQ(line.link.ReadMemory(row.liveValuesAddress, live[i]), 1);
    }
    EXPECT_GE(clock[1] - clock[0], 2);
    EXPECT_NE(live[0], live[1]);
    EXPECT_EQ(stamp[1], stamp[0]);
    const std::uint32_t next = (line.Model().WritePointer() + 1) % row.historyCapacity;
    std::array<std::uint8_t, 1> sample{};
    ASSERT_EQ(line.link.ReadHistory(HistoryAddress(row, 1, next), sample), 1);
    EXPECT_EQ(sample[0], sim::SampleAt(1, stamp[0] + 1, 1));
}

}  // namespace
}  // namespace vardo
