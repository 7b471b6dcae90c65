#include "settings/setup_ini.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "settings/ini_file.h"

namespace vardo {
namespace {

namespace fs = std::filesystem;

class SetupIniTest : public ::testing::Test {
  protected:
    SetupIniTest() {
        std::string t = (fs::temp_directory_path() / "vardo-setup-XXXXXX").string();
        dir_ = mkdtemp(t.data());
        path = dir_ + "/SetUp.ini";
    }
    ~SetupIniTest() override { fs::remove_all(dir_); }

    void Write(const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
    std::string Read() const {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // Key names of a section in file order.
    std::vector<std::string> KeysOf(const std::string& section) const {
        std::vector<std::string> keys;
        std::istringstream in(Read());
        std::string line;
        bool inside = false;
        while (std::getline(in, line)) {
            if (!line.empty() && line[0] == '[') {
                inside = line == "[" + section + "]";
            } else if (inside && line.find('=') != std::string::npos) {
                keys.push_back(line.substr(0, line.find('=')));
            }
        }
        return keys;
    }

    std::string path;

  private:
    std::string dir_;
};

TEST_F(SetupIniTest, FirstStartWithoutFileHasEightDefaultChannels) {
    DisplaySettings ds;
    ds.channelColors = {1, 2, 3};
    LoadDisplaySettings(path, ds);
    ASSERT_EQ(ds.channelColors.size(), 8u);
    ASSERT_EQ(ds.channelChecks.size(), 8u);
    const Colorref expected[] = {Rgb(0, 0, 255),     Rgb(64, 192, 191), Rgb(128, 128, 127),
                                 Rgb(192, 64, 63),   Rgb(0, 0, 255),    Rgb(64, 192, 191),
                                 Rgb(128, 128, 127), Rgb(192, 64, 63)};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(ds.channelColors[i], expected[i]) << i;
        EXPECT_EQ(ds.channelChecks[i], 1) << i;
    }
    EXPECT_EQ(ds.Chnls, 8);
    EXPECT_EQ(ds.YMode, 1);
    EXPECT_EQ(ds.YSmall, 0);
    EXPECT_EQ(ds.YLarge, 100);
    EXPECT_EQ(ds.XMode, 1);
    EXPECT_EQ(ds.XLines, 5);
    EXPECT_EQ(ds.YLines, 5);
    EXPECT_EQ(ds.SetPannel, 1);
    EXPECT_EQ(ds.layoutDirty, 1);
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(SetupIniTest, ChnlsDecidesHowManyPairsAreRead) {
    const struct {
        const char* chnls;
        std::size_t pairs;
    } cases[] = {{"3", 3}, {"12", 12}, {"0", 0}, {"-3", 0}, {"1000000", 64}, {"abc", 0}, {"", 8}};
    for (const auto& c : cases) {
        Write(std::string("[ViewSet]\ncolor5=255\nChnls=") + c.chnls + "\n");
        DisplaySettings ds;
        LoadDisplaySettings(path, ds);
        EXPECT_EQ(ds.channelColors.size(), c.pairs) << c.chnls;
        EXPECT_EQ(ds.channelChecks.size(), c.pairs) << c.chnls;
        if (c.pairs > 5) EXPECT_EQ(ds.channelColors[5], 255u) << c.chnls;
    }
}

TEST_F(SetupIniTest, KeysBeyondChnlsStayUntouched) {
    Write("[ViewSet]\nChnls=3\ncolor5=12345\ncheck5=0\n");
    DisplaySettings ds;
    LoadDisplaySettings(path, ds);
    ds.channelColors[0] = 42;
    ASSERT_EQ(SaveDisplaySettings(path, ds), 1);
    const std::string text = Read();
    EXPECT_NE(text.find("color5=12345\ncheck5=0\n"), std::string::npos) << text;
    EXPECT_NE(text.find("color0=42\n"), std::string::npos) << text;
}

TEST_F(SetupIniTest, ChannelCountChangeSettlesAfterOneReload) {
    DisplaySettings ds;
    LoadDisplaySettings(path, ds);
    // A 12-channel file opens: the count changes before the arrays are reloaded.
    ds.Chnls = 12;
    ASSERT_EQ(SaveDisplaySettings(path, ds), 1);
    std::vector<std::string> keys = KeysOf("ViewSet");
    EXPECT_EQ(std::count(keys.begin(), keys.end(), "color7"), 1);
    EXPECT_EQ(std::count(keys.begin(), keys.end(), "color8"), 0);
    EXPECT_EQ(IniFile(path).GetInt("ViewSet", "Chnls", 0), 12);

    LoadDisplaySettings(path, ds);
    ASSERT_EQ(ds.channelColors.size(), 12u);
    for (int i = 8; i < 12; ++i) EXPECT_EQ(ds.channelColors[i], DefaultChannelColor(i)) << i;
    ASSERT_EQ(SaveDisplaySettings(path, ds), 1);
    keys = KeysOf("ViewSet");
    EXPECT_EQ(std::count(keys.begin(), keys.end(), "check11"), 1);
}

TEST_F(SetupIniTest, DisplaySettingsRoundTrip) {
    DisplaySettings ds;
    ds.channelColors = {Rgb(1, 2, 3), 0xFFFFFF};
    ds.channelChecks = {0, 1};
    ds.Chnls = 2;
    ds.YMode = 0;
    ds.YSmall = -50;
    ds.YLarge = 250;
    ds.XMode = 0;
    ds.XLines = 7;
    ds.YLines = 9;
    ds.SetPannel = 0;
    ASSERT_EQ(SaveDisplaySettings(path, ds), 1);
    const std::vector<std::string> order = {"color0", "check0", "color1", "check1",
                                            "Chnls",  "YMode",  "YSmall", "YLarge",
                                            "XMode",  "XLines", "YLines", "SetPannel"};
    EXPECT_EQ(KeysOf("ViewSet"), order);
    DisplaySettings back;
    LoadDisplaySettings(path, back);
    EXPECT_EQ(back.channelColors, ds.channelColors);
    EXPECT_EQ(back.channelChecks, ds.channelChecks);
    EXPECT_EQ(back.YSmall, -50);
    EXPECT_EQ(back.YLarge, 250);
    EXPECT_EQ(back.XLines, 7);
    EXPECT_EQ(back.YLines, 9);
    EXPECT_EQ(back.SetPannel, 0);
}

TEST_F(SetupIniTest, CommSettingsDefaultsSizesAndOrder) {
    CommSettings cs;
    cs.portName = "junk";
    LoadCommSettings(path, cs);
    EXPECT_EQ(cs.portName, "COM1");
    EXPECT_EQ(cs.modelType, "ZT880");
    EXPECT_EQ(cs.address, 8);
    EXPECT_EQ(cs.baudRate, 9600);
    EXPECT_EQ(cs.readIntervalTimeout, 20);
    EXPECT_EQ(cs.readTotalTimeoutMultiplier, 5);
    EXPECT_EQ(cs.readTotalTimeoutConstant, 20);
    EXPECT_EQ(cs.writeTotalTimeoutConstant, 50);
    EXPECT_EQ(cs.writeTotalTimeoutMultiplier, 5);
    EXPECT_EQ(cs.readAttempts, 2);
    EXPECT_EQ(cs.writeAttempts, 3);
    EXPECT_EQ(cs.samplingInterval, 1);
    EXPECT_EQ(cs.modelIndex, 0);

    Write("[comset]\nComPort=COM10\nJlyType=ZT330ABCDEFG\nBaudrate=19200bps\nAddress=x\n");
    LoadCommSettings(path, cs);
    EXPECT_EQ(cs.portName, "COM1");
    EXPECT_EQ(cs.modelType, "ZT330ABCDE");
    EXPECT_EQ(cs.baudRate, 19200);
    EXPECT_EQ(cs.address, 0);

    cs.portName = "COM3";
    cs.readTotalTimeoutConstant = 33;
    cs.writeAttempts = 7;
    cs.modelIndex = 6;
    ASSERT_EQ(SaveCommSettings(path, cs), 1);
    const std::vector<std::string> order = {
        "ComPort",
        "JlyType",
        "Address",
        "Baudrate",
        "ReadIntervalTimeout",
        "ReadTotalTimeoutConstant",
        "ReadTotalTimeoutMultiplier",
        "WriteTotalTimeoutConstant",
        "WriteTotalTimeoutMultiplier",
        "ReadDefaultErrorTimes",
        "WriteDefaultErrorTimes",
        "Interval",
        "JlyIndex",
    };
    // The file's own lower-case section keeps its spelling; its keys are found through it.
    Write("");
    ASSERT_EQ(SaveCommSettings(path, cs), 1);
    EXPECT_EQ(KeysOf("ComSet"), order);
    CommSettings back;
    LoadCommSettings(path, back);
    EXPECT_EQ(back.portName, "COM3");
    EXPECT_EQ(back.readTotalTimeoutConstant, 33);
    EXPECT_EQ(back.writeAttempts, 7);
    EXPECT_EQ(back.modelIndex, 6);
    EXPECT_EQ(back.baudRate, 19200);
}

TEST_F(SetupIniTest, LastFileAndSaveReal) {
    EXPECT_EQ(ReadLastFile(path), "");
    EXPECT_EQ(ReadSaveReal(path), 0);
    const std::string longPath = "/" + std::string(300, 'a');
    ASSERT_EQ(WriteLastFile(path, longPath), 1);
    EXPECT_EQ(ReadLastFile(path), longPath.substr(0, 259));
    ASSERT_EQ(WriteLastFile(path, "/数据/08@2024-01-02_03-04-05.vd"), 1);
    EXPECT_EQ(ReadLastFile(path), "/数据/08@2024-01-02_03-04-05.vd");
    ASSERT_EQ(WriteSaveReal(path, 1), 1);
    EXPECT_EQ(ReadSaveReal(path), 1);
    ASSERT_EQ(WriteLastFile(path, ""), 1);
    EXPECT_EQ(ReadLastFile(path), "");
}

TEST_F(SetupIniTest, ModelListDefaultsEditsAndSizes) {
    const ModelList defaults = DefaultModelList();
    Write("[ViewSet]\nChnls=8\n");
    ModelList list = ReadModelList(path);
    EXPECT_EQ(list.names, defaults.names);
    EXPECT_EQ(list.names[3], "ZT550_12通道");
    EXPECT_EQ(list.names[8], "");
    EXPECT_EQ(list.ext, "vd");

    // One close of a file writes all eleven keys back.
    ASSERT_EQ(WriteModelList(path, list), 1);
    EXPECT_EQ(KeysOf("VarParams"),
              (std::vector<std::string>{"Type1", "Type2", "Type3", "Type4", "Type5", "Type6",
                                        "Type7", "Type8", "Type9", "Type10", "Ext"}));
    EXPECT_EQ(ReadModelList(path).names, defaults.names);

    Write("[VarParams]\nType4=My recorder\nType9=" + std::string(40, 'x') +
          "\nType10=" + std::string(11, '\xE9') + "\nExt=abcdefghij\n");
    list = ReadModelList(path);
    EXPECT_EQ(list.names[3], "My recorder");
    EXPECT_EQ(list.names[8], std::string(31, 'x'));
    EXPECT_EQ(list.ext, "abcdefg");
    EXPECT_EQ(list.names[0], "ZT220");

    Write("[VarParams]\nType1=" + std::string(0, ' ') + "通通通通通通通通通通通\n");
    EXPECT_EQ(ReadModelList(path).names[0], "通通通通通通通通通通") << "31 bytes hold ten";
}

TEST_F(SetupIniTest, PortDevices) {
    Write("[Ports]\ncom2=/dev/ttyUSB0\nCOM4=\n");
    const struct {
        const char* port;
        const char* device;
    } cases[] = {
        {"COM1", "/dev/ttyS0"}, {"COM2", "/dev/ttyUSB0"},     {"COM3", "/dev/ttyS2"},
        {"COM4", "/dev/ttyS3"}, {"COM10", "/dev/ttyS9"},      {"COM0", "COM0"},
        {"COMx", "COMx"},       {"/dev/pts/3", "/dev/pts/3"},
    };
    for (const auto& c : cases) EXPECT_EQ(PortDevice(path, c.port), c.device) << c.port;
}

}  // namespace
}  // namespace vardo
