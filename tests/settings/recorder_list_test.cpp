#include "settings/recorder_list.h"

#include <gtest/gtest.h>

#include <string>

#include "../support/history_file_builder.h"
#include "settings/ini_file.h"

namespace vardo {
namespace {

TEST(RecorderList, SectionsBecomeRecordersInFileOrderOrAreRefusedByName) {
    const std::string text =
        "[ComSet]\nBaudrate=9600\n"
        "[Recorder:boiler]\nPort=COM2\nAddress=1\nJlyIndex=6\n"
        "[recorder:kiln]\nport = tcp://192.0.2.10:4001\nADDRESS=255\nJlyIndex=\"0\"\n"
        "Baudrate=57600\nSite=east hall\n"
        "[Recorder:empty baud]\nPort=/dev/ttyUSB0\nAddress=0\nJlyIndex=7\nBaudrate=\nSite=\n"
        "[Recorder:]\nPort=COM1\nAddress=1\nJlyIndex=1\n"
        "[Recorder:noport]\nAddress=1\nJlyIndex=1\n"
        "[Recorder:noaddr]\nPort=COM1\nJlyIndex=1\n"
        "[Recorder:nomodel]\nPort=COM1\nAddress=1\n"
        "[Recorder:addr256]\nPort=COM1\nAddress=256\nJlyIndex=1\n"
        "[Recorder:addr8x]\nPort=COM1\nAddress=8x\nJlyIndex=1\n"
        "[Recorder:addrneg]\nPort=COM1\nAddress=-1\nJlyIndex=1\n"
        "[Recorder:model8]\nPort=COM1\nAddress=1\nJlyIndex=8\n"
        "[Recorder:badbaud]\nPort=COM1\nAddress=1\nJlyIndex=1\nBaudrate=fast\n"
        "[Recorder:zerobaud]\nPort=COM1\nAddress=1\nJlyIndex=1\nBaudrate=0\n"
        "[Recorder:longsite]\nPort=COM1\nAddress=1\nJlyIndex=1\nSite=" +
        std::string(65, 's') +
        "\n"
        "[Recorder:BOILER]\nPort=COM3\nAddress=2\nJlyIndex=1\n"
        "[Recorders]\nPort=COM1\n";
    const RecorderList list = ParseRecorderList(text);
    const RecorderEntry expected[] = {
        {"boiler", "COM2", 1, 6, std::nullopt, ""},
        {"kiln", "tcp://192.0.2.10:4001", 255, 0, 57600, "east hall"},
        {"empty baud", "/dev/ttyUSB0", 0, 7, std::nullopt, ""},
    };
    ASSERT_EQ(list.recorders.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(list.recorders[i], expected[i]) << i;
    }
    const char* refused[] = {
        "Recorder:: no name after \"Recorder:\"",
        "Recorder:noport: no Port",
        "Recorder:noaddr: no Address",
        "Recorder:nomodel: no JlyIndex",
        "Recorder:addr256: Address \"256\" is not one of 0..255",
        "Recorder:addr8x: Address \"8x\" is not one of 0..255",
        "Recorder:addrneg: Address \"-1\" is not one of 0..255",
        "Recorder:model8: JlyIndex \"8\" is not one of 0..7",
        "Recorder:badbaud: Baudrate \"fast\" is not a rate in baud",
        "Recorder:zerobaud: Baudrate \"0\" is not a rate in baud",
        "Recorder:longsite: Site longer than 64 bytes",
        "Recorder:BOILER: a second section of this name",
    };
    ASSERT_EQ(list.problems.size(), std::size(refused));
    for (std::size_t i = 0; i < std::size(refused); ++i) {
        EXPECT_EQ(ProblemLine(list.problems[i]), refused[i]);
    }
}

TEST(RecorderList, WrittenRecordersReadBackAndOtherSectionsStay) {
    testing::TempDir dir;
    const std::string path = dir / "SetUp.ini";
    testing::WriteBytes(path,
                        std::string("[ComSet]\nComPort=COM1\n\n[Recorder:a]\nPort=COM1\nAddress=1\n"
                                    "JlyIndex=1\nNote=kept\n\n[Ports]\nCOM1=/dev/ttyUSB0\n"));
    RecorderEntry a{"a", "COM2", 3, 2, 19200, "north"};
    RecorderEntry b{"b", "tcp://127.0.0.1:4001", 9, 7, std::nullopt, ""};
    ASSERT_EQ(WriteRecorder(path, a), 1);
    ASSERT_EQ(WriteRecorder(path, b), 1);
    a.baudRate.reset();
    ASSERT_EQ(WriteRecorder(path, a), 1);
    EXPECT_EQ(ReadRecorderList(path).recorders, (std::vector<RecorderEntry>{a, b}));
    std::string note;
    EXPECT_TRUE(ini::Lookup(IniFile(path).Text(), "Recorder:a", "Note", &note));

    ASSERT_EQ(RemoveRecorder(path, "A"), 1);
    EXPECT_EQ(ReadRecorderList(path).recorders, std::vector<RecorderEntry>{b});
    EXPECT_EQ(IniFile(path).GetString("Ports", "COM1", "", 260), "/dev/ttyUSB0");

    // What the reader would refuse is never written.
    const RecorderEntry bad[] = {{"", "COM1", 1, 1, {}, ""},
                                 {"x]", "COM1", 1, 1, {}, ""},
                                 {"x", "", 1, 1, {}, ""},
                                 {"x", "COM1", 256, 1, {}, ""},
                                 {"x", "COM1", 1, 8, {}, ""},
                                 {"x", "COM1", 1, 1, 0, ""},
                                 {"x", "COM1\n[Ports]", 1, 1, {}, ""},
                                 {"x", "\"COM1\"", 1, 1, {}, ""},
                                 {"x", "COM1", 1, 1, {}, " east"}};
    for (const auto& e : bad) EXPECT_EQ(WriteRecorder(path, e), 0) << e.name << e.port;
    EXPECT_EQ(ReadRecorderList(path).recorders, std::vector<RecorderEntry>{b});
}

TEST(IniRemoveSection, TakesTheSectionAndItsSeparatorOnly) {
    const struct {
        const char* text;
        const char* out;
    } cases[] = {
        {"[A]\nx=1\n\n[R]\ny=2\n\n[B]\nz=3\n", "[A]\nx=1\n\n[B]\nz=3\n"},
        {"[A]\nx=1\n\n[r]\ny=2\n", "[A]\nx=1\n"},
        {"[R]\ny=2\n\n[A]\nx=1", "[A]\nx=1"},
        {"[R]\ny=1\n[A]\n[R]\ny=2\n", "[A]\n"},
        {"[A]\r\nx=1\r\n\r\n[R]\r\ny=2\r\n\r\n[B]\r\n", "[A]\r\nx=1\r\n\r\n[B]\r\n"},
        {"[A]\nx=1\n", "[A]\nx=1\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(ini::RemoveSection(c.text, "R"), c.out) << c.text;
}

}  // namespace
}  // namespace vardo
