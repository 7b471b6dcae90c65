#include "link/recorder_link.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <thread>
#include <vector>

#include "link/recorder_memory_map.h"
#include "sim_line.h"

namespace vardo {
namespace {

using test::FrozenRecorder;
using test::SimLine;

TEST(RecorderMemoryMap, ChannelAddressesWrapIn16BitsAndHistoryIsPerChannelRing) {
    RecorderMemoryRow row = RecorderMemoryMap[5];
    row.configBase = 0xFFF0;
    EXPECT_EQ(ChannelConfigAddress(row, 1), 0x0020);
    EXPECT_EQ(ChannelConfigAddress(RecorderMemoryMap[1], 2), 0x7170);
    EXPECT_EQ(HistoryAddress(RecorderMemoryMap[1], 11, 0), 0x160000u);
    EXPECT_EQ(HistoryAddress(RecorderMemoryMap[3], 1, 5), 65536u + 5);
}

TEST(RecorderData, WritePointerNamesTheLastSlotOfAPage) {
    struct Case {
        std::uint8_t b0, b1;
        std::uint32_t index;
    };
    const Case cases[] = {{0x34, 0x12, 0x1234FF}, {0, 0, 255}, {0xFF, 0x01, 0x1FFFF}};
    for (const Case& c : cases) EXPECT_EQ(DecodeWritePointer(c.b0, c.b1), c.index);
}

TEST(RecorderData, ClockAndStampFieldChecks) {
    const VTime before = 12345;
    struct Case {
        const char* name;
        std::array<std::uint8_t, 10> clock;  // sec, -, min, -, hour, -, -, day, month, year
        int ok;
        LocalFields fields;
    };
    const Case clocks[] = {
        {"plain", {5, 0, 4, 0, 3, 0, 0, 2, 1, 26}, 1, {2026, 1, 2, 3, 4, 5}},
        {"ignored bytes", {5, 9, 4, 9, 3, 9, 9, 2, 1, 26}, 1, {2026, 1, 2, 3, 4, 5}},
        {"year byte 100 is 2100", {0, 0, 0, 0, 0, 0, 0, 1, 1, 100}, 1, {2100, 1, 1, 0, 0, 0}},
        {"year byte 101", {0, 0, 0, 0, 0, 0, 0, 1, 1, 101}, 0, {}},
        {"month 0", {0, 0, 0, 0, 0, 0, 0, 1, 0, 26}, 0, {}},
        {"day 32", {0, 0, 0, 0, 0, 0, 0, 32, 1, 26}, 0, {}},
        {"hour 24", {0, 0, 0, 0, 24, 0, 0, 1, 1, 26}, 0, {}},
        {"second 60", {60, 0, 0, 0, 0, 0, 0, 1, 1, 26}, 0, {}},
    };
    for (const Case& c : clocks) {
        VTime t = before;
        EXPECT_EQ(DecodeClock(c.clock, t), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(t, MakeLocalTime(c.fields)) << c.name;
        } else {
            EXPECT_EQ(t, before) << c.name;
        }
    }
    struct StampCase {
        const char* name;
        std::array<std::uint8_t, 6> stamp;
        int ok;
    };
    const StampCase stamps[] = {
        {"plain", {26, 12, 31, 23, 59, 59}, 1}, {"year 99", {99, 1, 1, 0, 0, 0}, 1},
        {"year 100", {100, 1, 1, 0, 0, 0}, 0},  {"month 13", {26, 13, 1, 0, 0, 0}, 0},
        {"day 0", {26, 1, 0, 0, 0, 0}, 0},      {"hour 24", {26, 1, 1, 24, 0, 0}, 0},
        {"minute 60", {26, 1, 1, 0, 60, 0}, 0},
    };
    for (const StampCase& c : stamps) {
        VTime t = before;
        EXPECT_EQ(DecodeStamp(c.stamp, t), c.ok) << c.name;
        if (!c.ok) {
            EXPECT_EQ(t, before) << c.name;
        }
    }
    VTime t = 0;
    ASSERT_EQ(DecodeStamp(std::array<std::uint8_t, 6>{26, 2, 3, 4, 5, 6}, t), 1);
    EXPECT_EQ(t, MakeLocalTime(2026, 2, 3, 4, 5, 6));
}

TEST(RecorderLink, ReadsFailWithoutSettings) {
    CRecorderLink link;
    std::array<std::uint8_t, 4> bytes{};
    EXPECT_EQ(link.ReadMemory(0, bytes), 0);
    EXPECT_EQ(link.ReadMemory(0, std::span<std::uint8_t>()), 0);
    EXPECT_EQ(link.ReadHistory(0, bytes), 0);
    EXPECT_EQ(link.IsOpen(), 0);
    EXPECT_EQ(link.Close(), 0);
}

TEST(RecorderLink, OpenFailureChangesNothing) {
    CRecorderLink link;
    CommSettings cs;
    cs.portName = "/nonexistent/tty";
    EXPECT_EQ(link.Open(&cs, "/nonexistent/SetUp.ini"), 0);
    EXPECT_EQ(link.IsOpen(), 0);
    EXPECT_EQ(link.settings, nullptr);
}

TEST(RecorderLink, MemoryIsReadIn64ByteChunks) {
    SimLine line(FrozenRecorder(1));
    ASSERT_TRUE(line.started);
    CRecorderLink link;
    ASSERT_EQ(link.Open(&line.settings, "/nonexistent/SetUp.ini"), 1);
    struct Case {
        std::uint16_t start;
        std::size_t count;
        std::vector<sim::RequestLogEntry> requests;
    };
    const Case cases[] = {
        {0x7110, 130, {{0x03, 0x7110, 64}, {0x03, 0x7150, 64}, {0x03, 0x7190, 2}}},
        {0x7110, 64, {{0x03, 0x7110, 64}}},
        {0x70EC, 1, {{0x03, 0x70EC, 1}}},
        {0xFFF0, 80, {{0x03, 0xFFF0, 64}, {0x03, 0x0030, 16}}},
        {0x1000, 0, {}},
    };
    for (const Case& c : cases) {
        line.Model().ClearRequestLog();
        std::vector<std::uint8_t> bytes(c.count);
        ASSERT_EQ(link.ReadMemory(c.start, bytes), 1);
        const auto log = line.Model().RequestLog();
        ASSERT_EQ(log.size(), c.requests.size()) << c.start;
        for (std::size_t i = 0; i < log.size(); ++i) {
            EXPECT_EQ(log[i].command, c.requests[i].command);
            EXPECT_EQ(log[i].address, c.requests[i].address);
            EXPECT_EQ(log[i].count, c.requests[i].count);
        }
    }
    // The configuration of channel 1 comes back as the recorder holds it: 0 .. 1000, 1 decimal.
    std::array<std::uint8_t, 6> config{};
    ASSERT_EQ(link.ReadMemory(0x7110, config), 1);
    EXPECT_EQ(config, (std::array<std::uint8_t, 6>{0, 0, 1, 0xE8, 0x03, 0}));
    std::uint8_t count = 0;
    ASSERT_EQ(link.ReadMemory(0x70EC, std::span<std::uint8_t>(&count, 1)), 1);
    EXPECT_EQ(count, 8);
}

TEST(RecorderLink, HistoryAddressIsSentHighByteFirst) {
    auto config = FrozenRecorder(1);
    config.channelCount = 12;
    SimLine line(config);
    ASSERT_TRUE(line.started);
    CRecorderLink link;
    ASSERT_EQ(link.Open(&line.settings, "/nonexistent/SetUp.ini"), 1);
    std::array<std::uint8_t, 64> block{};
    const std::uint32_t address = HistoryAddress(RecorderMemoryMap[1], 11, 0);
    ASSERT_EQ(link.ReadHistory(address, block), 1);
    const auto log = line.Model().RequestLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].command, 0x13);
    EXPECT_EQ(log[0].address, 0x160000u);
    EXPECT_EQ(log[0].count, 64u);
    for (std::size_t i = 0; i < block.size(); ++i) {
        EXPECT_EQ(block[i], line.Model().HistoryByte(11, static_cast<std::uint32_t>(i)));
    }
    EXPECT_EQ(link.ReadHistory(address, std::span<std::uint8_t>()), 0);
    std::array<std::uint8_t, 65> tooMany{};
    EXPECT_EQ(link.ReadHistory(address, tooMany), 0);
}

TEST(RecorderLink, StampPointerAndClockComeFromTheRecorder) {
    auto config = FrozenRecorder(5);  // ZT77C keeps its pointer apart from its stamp
    config.writePointer = 0x3FF;
    SimLine line(config);
    ASSERT_TRUE(line.started);
    CRecorderLink link;
    ASSERT_EQ(link.Open(&line.settings, "/nonexistent/SetUp.ini"), 1);
    const RecorderMemoryRow& row = RecorderMemoryMap[5];
    VTime stamp = 0;
    VTime clock = 0;
    std::uint32_t pointer = 0;
    ASSERT_EQ(link.ReadStamp(row.newestStampAddress, stamp), 1);
    ASSERT_EQ(link.ReadClock(row.clockAddress, clock), 1);
    ASSERT_EQ(link.ReadWritePointer(row.writePointerAddress, pointer), 1);
    EXPECT_EQ(stamp, config.newestTime);
    EXPECT_EQ(clock, config.newestTime);
    EXPECT_EQ(pointer, 0x3FFu);
}

// A link makes ReadDefaultErrorTimes attempts per request (at least one) and no more.
TEST(RecorderLink, AttemptsPerRequestFollowTheSetting) {
    struct Case {
        int attempts;
        std::size_t requests;
    };
    for (const Case c : {Case{0, 1}, Case{-3, 1}, Case{1, 1}, Case{2, 2}, Case{3, 3}}) {
        sim::FaultConfig faults;
        faults.dropEvery = 1;
        SimLine line(FrozenRecorder(1), faults);
        ASSERT_TRUE(line.started);
        line.settings.readAttempts = c.attempts;
        CRecorderLink link;
        ASSERT_EQ(link.Open(&line.settings, "/nonexistent/SetUp.ini"), 1);
        std::array<std::uint8_t, 2> bytes{};
        EXPECT_EQ(link.ReadMemory(0x7110, bytes), 0);
        EXPECT_EQ(line.Model().RequestLog().size(), c.requests) << c.attempts;
        line.Model().ClearRequestLog();
        EXPECT_EQ(link.ReadHistory(0, bytes), 0);
        EXPECT_EQ(line.Model().RequestLog().size(), c.requests) << c.attempts;
    }
}

// Every kind of bad reply counts as no reply; a second attempt gets through.
TEST(RecorderLink, EveryFaultIsRefusedAndRetried) {
    struct Case {
        const char* name;
        sim::FaultConfig faults;
    };
    auto every = [](int sim::FaultConfig::*field) {
        sim::FaultConfig f;
        f.*field = 2;
        return f;
    };
    const Case cases[] = {
        {"drop", every(&sim::FaultConfig::dropEvery)},
        {"bad LRC", every(&sim::FaultConfig::badLrcEvery)},
        {"other address", every(&sim::FaultConfig::wrongAddressEvery)},
        {"exception", every(&sim::FaultConfig::exceptionEvery)},
        {"trailing noise", every(&sim::FaultConfig::noiseEvery)},
    };
    for (const Case& c : cases) {
        SimLine line(FrozenRecorder(1), c.faults);
        ASSERT_TRUE(line.started);
        line.settings.readAttempts = 1;
        CRecorderLink link;
        ASSERT_EQ(link.Open(&line.settings, "/nonexistent/SetUp.ini"), 1);
        std::array<std::uint8_t, 6> bytes{};
        EXPECT_EQ(link.ReadMemory(0x7110, bytes), 1) << c.name;  // reply 1 is sound
        EXPECT_EQ(link.ReadMemory(0x7110, bytes), 0) << c.name;  // reply 2 is hit
        line.settings.readAttempts = 2;
        bytes.fill(0);
        EXPECT_EQ(link.ReadMemory(0x7110, bytes), 1) << c.name;  // 3 fine
        EXPECT_EQ(bytes[3], 0xE8) << c.name;
        EXPECT_EQ(link.ReadHistory(0, bytes), 1) << c.name;  // 4 hit, 5 fine
        EXPECT_EQ(line.Model().RequestLog().size(), 5u) << c.name;
    }
}

TEST(RecorderLink, ClosedLinkKeepsSettingsAndFailsInTheTransport) {
    SimLine line(FrozenRecorder(1));
    ASSERT_TRUE(line.started);
    CRecorderLink link;
    ASSERT_EQ(link.Open(&line.settings, "/nonexistent/SetUp.ini"), 1);
    EXPECT_EQ(link.Close(), 1);
    EXPECT_EQ(link.IsOpen(), 0);
    EXPECT_EQ(link.settings, &line.settings);
    std::array<std::uint8_t, 2> bytes{};
    EXPECT_EQ(link.ReadMemory(0x7110, bytes), 0);
    EXPECT_EQ(link.Close(), 0);
    // The port-only close leaves the open flag.
    ASSERT_EQ(link.Open(&line.settings, "/nonexistent/SetUp.ini"), 1);
    EXPECT_EQ(link.ClosePort(), 1);
    EXPECT_EQ(link.IsOpen(), 1);
}

}  // namespace
}  // namespace vardo

namespace vardo {
namespace {

// A running recorder keeps recording: its clock moves, a new record lands after the newest
// one, live values change; the stamp and pointer wait for a whole page.
TEST(RecorderLink, RunningRecorderRecordsOnePerInterval) {
    sim::RecorderConfig config;
    config.modelIndex = 1;
    config.intervalCode = 0;
    config.channelCount = 2;
    SimLine line(config);
    ASSERT_TRUE(line.started);
    CRecorderLink link;
    ASSERT_EQ(link.Open(&line.settings, "/nonexistent/SetUp.ini"), 1);
    const RecorderMemoryRow& row = RecorderMemoryMap[1];
    VTime clock0 = 0;
    VTime stamp0 = 0;
    std::array<std::uint8_t, 4> live0{};
    ASSERT_EQ(link.ReadClock(row.clockAddress, clock0), 1);
    ASSERT_EQ(link.ReadStamp(row.newestStampAddress, stamp0), 1);
    ASSERT_EQ(link.ReadMemory(row.liveValuesAddress, live0), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    VTime clock1 = 0;
    VTime stamp1 = 0;
    std::array<std::uint8_t, 4> live1{};
    ASSERT_EQ(link.ReadClock(row.clockAddress, clock1), 1);
    ASSERT_EQ(link.ReadStamp(row.newestStampAddress, stamp1), 1);
    ASSERT_EQ(link.ReadMemory(row.liveValuesAddress, live1), 1);
    EXPECT_GE(clock1 - clock0, 2);
    EXPECT_NE(live0, live1);
    const std::uint32_t next = (line.Model().WritePointer() + 1) % row.historyCapacity;
    const VTime nextTime = stamp0 + 1;
    std::array<std::uint8_t, 1> sample{};
    ASSERT_EQ(link.ReadHistory(HistoryAddress(row, 1, next), sample), 1);
    EXPECT_EQ(sample[0], sim::SampleAt(1, nextTime, 1));
    EXPECT_EQ(stamp1, stamp0);
}

}  // namespace
}  // namespace vardo
