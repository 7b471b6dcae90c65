#include "settings/setup_ini.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "../support/history_file_builder.h"

namespace vardo {
namespace {

using Keys = std::vector<std::string>;

class SetupIniTest : public ::testing::Test {
  protected:
    void Write(const std::string& text) { testing::WriteBytes(path, text); }
    // Key names of a section in file order.
    Keys KeysOf(const std::string& section) const {
        Keys keys;
        std::istringstream in(testing::ReadText(path));
        bool inside = false;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line[0] == '[') {
                inside = line == "[" + section + "]";
            } else if (inside && line.find('=') != std::string::npos) {
                keys.push_back(line.substr(0, line.find('=')));
            }
        }
        return keys;
    }
    testing::TempDir dir;
    std::string path = dir / "SetUp.ini";
};

auto DisplayFields(DisplaySettings& d) {
    return std::tie(d.Chnls, d.YMode, d.YSmall, d.YLarge, d.XMode, d.XLines, d.YLines, d.SetPannel,
                    d.PeakEnvelope, d.SpanPeakEnvelope);
}

TEST_F(SetupIniTest, FirstStartWithoutFileHasEightDefaultChannels) {
    DisplaySettings ds;
    ds.channelColors = {1, 2, 3};
    LoadDisplaySettings(path, ds);
    const Colorref four[] = {Rgb(0, 0, 255), Rgb(64, 192, 191), Rgb(128, 128, 127),
                             Rgb(192, 64, 63)};
    ASSERT_EQ(ds.channelColors.size(), 8u);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(ds.channelColors[i], four[i % 4]) << i;
    EXPECT_EQ(ds.channelChecks, std::vector<int>(8, 1));
    EXPECT_EQ(DisplayFields(ds), std::make_tuple(8, 1, 0, 100, 1, 5, 5, 1, 0, 1));
    EXPECT_EQ(ds.layoutDirty, 1);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(SetupIniTest, ChnlsDecidesHowManyPairsAreRead) {
    const std::pair<const char*, std::size_t> cases[] = {{"12", 12},      {"0", 0},   {"-3", 0},
                                                         {"1000000", 64}, {"abc", 0}, {"", 8}};
    for (auto [chnls, pairs] : cases) {
        Write(std::string("[ViewSet]\ncolor5=255\nChnls=") + chnls + "\n");
        DisplaySettings ds;
        LoadDisplaySettings(path, ds);
        EXPECT_EQ(ds.channelColors.size(), pairs) << chnls;
        EXPECT_EQ(ds.channelChecks.size(), pairs) << chnls;
        if (pairs > 5) {
            EXPECT_EQ(ds.channelColors[5], 255u) << chnls;
        }
    }
}

TEST_F(SetupIniTest, SavingKeepsKeysBeyondChnlsAndSettlesANewCountAfterOneReload) {
    Write("[ViewSet]\nChnls=3\ncolor5=12345\ncheck5=0\n");
    DisplaySettings ds;
    LoadDisplaySettings(path, ds);
    ds.channelColors[0] = 42;
    ASSERT_EQ(SaveDisplaySettings(path, ds), 1);
    const std::string text = testing::ReadText(path);
    EXPECT_NE(text.find("[ViewSet]\nChnls=3\ncolor5=12345\ncheck5=0\ncolor0=42\n"),
              std::string::npos)
        << text;
    // A 12-channel file opens: the count changes before the arrays are reloaded.
    ds.Chnls = 12;
    ASSERT_EQ(SaveDisplaySettings(path, ds), 1);
    LoadDisplaySettings(path, ds);
    ASSERT_EQ(ds.channelColors.size(), 12u);
    EXPECT_EQ(ds.channelColors[5], 12345u);
    EXPECT_EQ(ds.channelColors[11], DefaultChannelColor(11));
}

TEST_F(SetupIniTest, DisplaySettingsRoundTripInKeyOrder) {
    DisplaySettings ds;
    ds.channelColors = {Rgb(1, 2, 3), 0xFFFFFF};
    ds.channelChecks = {0, 1};
    DisplayFields(ds) = std::make_tuple(2, 0, -50, 250, 0, 7, 9, 0, 1, 0);
    ASSERT_EQ(SaveDisplaySettings(path, ds), 1);
    EXPECT_EQ(KeysOf("ViewSet"),
              (Keys{"color0", "check0", "color1", "check1", "Chnls", "YMode", "YSmall", "YLarge",
                    "XMode", "XLines", "YLines", "SetPannel", "PeakEnvelope", "SpanPeakEnvelope"}));
    DisplaySettings back;
    LoadDisplaySettings(path, back);
    EXPECT_EQ(back.channelColors, ds.channelColors);
    EXPECT_EQ(back.channelChecks, ds.channelChecks);
    EXPECT_EQ(DisplayFields(back), DisplayFields(ds));
}

auto CommFields(const CommSettings& c) {
    return std::tie(c.portName, c.modelType, c.address, c.baudRate, c.readIntervalTimeout,
                    c.readTotalTimeoutMultiplier, c.readTotalTimeoutConstant,
                    c.writeTotalTimeoutConstant, c.writeTotalTimeoutMultiplier, c.readAttempts,
                    c.writeAttempts, c.samplingInterval, c.modelIndex);
}

TEST_F(SetupIniTest, CommSettingsDefaultsReadSizesAndKeyOrder) {
    CommSettings cs;
    cs.portName = "junk";
    LoadCommSettings(path, cs);
    EXPECT_EQ(CommFields(cs),
              std::make_tuple("COM1", "ZT880", 8, 9600, 20, 5, 20, 50, 5, 2, 3, 1, 0));
    Write("[comset]\nComPort=COM10\nJlyType=ZT330ABCDEFG\nBaudrate=19200bps\nAddress=x\n");
    LoadCommSettings(path, cs);
    EXPECT_EQ(std::tie(cs.portName, cs.modelType, cs.baudRate, cs.address),
              std::make_tuple("COM1", "ZT330ABCDE", 19200, 0));

    std::tie(cs.readTotalTimeoutConstant, cs.writeAttempts, cs.modelIndex) = std::tuple(33, 7, 6);
    Write("");
    ASSERT_EQ(SaveCommSettings(path, cs), 1);
    EXPECT_EQ(KeysOf("ComSet"),
              (Keys{"ComPort", "JlyType", "Address", "Baudrate", "ReadIntervalTimeout",
                    "ReadTotalTimeoutConstant", "ReadTotalTimeoutMultiplier",
                    "WriteTotalTimeoutConstant", "WriteTotalTimeoutMultiplier",
                    "ReadDefaultErrorTimes", "WriteDefaultErrorTimes", "Interval", "JlyIndex"}));
    CommSettings back;
    LoadCommSettings(path, back);
    EXPECT_EQ(CommFields(back), CommFields(cs));
}

TEST_F(SetupIniTest, LastFileAndSaveReal) {
    EXPECT_EQ(ReadLastFile(path), "");
    EXPECT_EQ(ReadSaveReal(path), 0);
    const std::string longPath = "/" + std::string(300, 'a');
    ASSERT_EQ(WriteLastFile(path, longPath), 1);
    EXPECT_EQ(ReadLastFile(path), longPath.substr(0, 259));
    ASSERT_EQ(WriteSaveReal(path, 1), 1);
    EXPECT_EQ(ReadSaveReal(path), 1);
}

TEST_F(SetupIniTest, ModelListDefaultsKeyOrderAndReadSizes) {
    Write("[ViewSet]\nChnls=8\n");
    const ModelList defaults = ReadModelList(path);
    EXPECT_EQ(defaults.names[3], "ZT550_12通道");
    EXPECT_EQ(defaults.names[8], "");
    EXPECT_EQ(defaults.ext, "vd");
    ASSERT_EQ(WriteModelList(path, defaults), 1);
    EXPECT_EQ(KeysOf("VarParams"), (Keys{"Type1", "Type2", "Type3", "Type4", "Type5", "Type6",
                                         "Type7", "Type8", "Type9", "Type10", "Ext"}));
    EXPECT_EQ(ReadModelList(path).names, defaults.names);

    Write("[VarParams]\nType1=通通通通通通通通通通通\nType4=My recorder\nType9=" +
          std::string(40, 'x') + "\nExt=abcdefghij\n");
    const ModelList list = ReadModelList(path);
    EXPECT_EQ(list.names[0], "通通通通通通通通通通") << "31 bytes hold ten";
    EXPECT_EQ(list.names[3], "My recorder");
    EXPECT_EQ(list.names[8], std::string(31, 'x'));
    EXPECT_EQ(list.names[1], "ZT330");
    EXPECT_EQ(list.ext, "abcdefg");
}

// Loaded values are held to what the panel lets the user choose.
TEST_F(SetupIniTest, LoadedGridAndScaleAreBounded) {
    const struct {
        const char* value;
        int lines, scaleEnd;
    } cases[] = {{"7", 7, 7},
                 {"49", 49, 49},
                 {"50", 49, 50},
                 {"2147483647", 49, 19999},
                 {"-2147483648", 0, -9999},
                 {"-1", 0, -1},
                 {"20000", 49, 19999},
                 {"-10000", 0, -9999},
                 {"99999999999", 49, 19999}};
    for (const auto& c : cases) {
        Write(std::string("[ViewSet]\nXLines=") + c.value + "\nYLines=" + c.value +
              "\nYSmall=" + c.value + "\nYLarge=" + c.value + "\n");
        DisplaySettings ds;
        LoadDisplaySettings(path, ds);
        EXPECT_EQ(ds.XLines, c.lines) << c.value;
        EXPECT_EQ(ds.YLines, c.lines) << c.value;
        EXPECT_EQ(ds.YSmall, c.scaleEnd) << c.value;
        EXPECT_EQ(ds.YLarge, c.scaleEnd) << c.value;
    }
}

// The address goes out as one byte, and the names of the files made carry that byte.
TEST_F(SetupIniTest, LoadedAddressIsTheByteSent) {
    const std::pair<const char*, int> cases[] = {{"8", 8},   {"255", 255}, {"256", 0},
                                                 {"264", 8}, {"-1", 255},  {"2147483647", 255}};
    for (const auto& [value, address] : cases) {
        Write(std::string("[ComSet]\nAddress=") + value + "\n");
        CommSettings cs;
        LoadCommSettings(path, cs);
        EXPECT_EQ(cs.address, address) << value;
    }
}

// Ext ends every file name the program makes: only a plain word of up to seven characters.
TEST_F(SetupIniTest, ExtensionIsAPlainWordOrVd) {
    const std::pair<std::string, const char*> cases[] = {
        {"dat", "dat"},   {"VD_2", "VD_2"},   {"abcdefghij", "abcdefg"},
        {"", ""},         {"a/b", "vd"},      {"../x", "vd"},
        {"v\ad", "vd"},   {"v\x1b[2J", "vd"}, {"v.d", "vd"},
        {"v d", "vd"},    {"通道", "vd"},     {"abcdefg/", "abcdefg"},
        {"abcdef/", "vd"}};
    for (const auto& [ext, expected] : cases) {
        Write("[VarParams]\nExt=" + ext + "\n");
        EXPECT_EQ(ReadModelList(path).ext, expected) << ext;
    }
}

TEST_F(SetupIniTest, PortDevices) {
    Write("[Ports]\ncom2=/dev/ttyUSB0\nCOM4=\n");
    const std::pair<const char*, const char*> cases[] = {
        {"COM1", "/dev/ttyS0"},      {"COM2", "/dev/ttyUSB0"}, {"COM4", "/dev/ttyS3"},
        {"COM10", "/dev/ttyS9"},     {"COM0", "COM0"},         {"COMx", "COMx"},
        {"/dev/pts/3", "/dev/pts/3"}};
    for (auto [port, device] : cases) EXPECT_EQ(PortDevice(path, port), device) << port;
}

}  // namespace
}  // namespace vardo
