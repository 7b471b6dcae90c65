#include "settings/setup_ini.h"

#include <algorithm>
#include <cstdio>

#include "base/texts.h"
#include "settings/ini_file.h"

namespace vardo {

namespace {

// Read sizes include the terminator, as the buffers they were designed for did.
constexpr int kPathBuffer = 260;
// The port buffer holds five bytes with its terminator: "COM10" reads as "COM1".
constexpr int kPortBuffer = 5;
constexpr int kModelTypeBuffer = 11;
constexpr int kModelNameBuffer = 32;
constexpr int kExtBuffer = 8;
constexpr int kDeviceBuffer = 4096;

constexpr const char* kViewSet = "ViewSet";
constexpr const char* kFileSet = "FileSet";
constexpr const char* kComSet = "ComSet";
constexpr const char* kSaveReal = "SaveReal";
constexpr const char* kVarParams = "VarParams";
constexpr const char* kPorts = "Ports";

std::string Numbered(const char* stem, int n) {
    return stem + std::to_string(n);
}

// The extension ends every file name the program makes: a slash would put the file elsewhere,
// a control character or a dot would give names no one can type or the browser cannot match.
// Empty stays allowed: it harms no name, and the reopening rule has a meaning for it.
bool IsSafeExtension(const std::string& ext) {
    for (char c : ext) {
        const bool word =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        if (!word) return false;
    }
    return true;
}

}  // namespace

void LoadDisplaySettings(const std::string& path, DisplaySettings& ds) {
    const IniFile ini(path);
    // The record's own initial values are the settings' defaults, written once.
    const DisplaySettings d;
    ds.channelColors.clear();
    ds.channelChecks.clear();
    ds.Chnls = std::clamp(ini.GetInt(kViewSet, "Chnls", d.Chnls), 0, kMaxDisplayChannels);
    for (int i = 0; i < ds.Chnls; ++i) {
        ds.channelColors.push_back(static_cast<Colorref>(
            ini.GetInt(kViewSet, Numbered("color", i), static_cast<int>(DefaultChannelColor(i)))));
        ds.channelChecks.push_back(ini.GetInt(kViewSet, Numbered("check", i), 1));
    }
    ds.YMode = ini.GetInt(kViewSet, "YMode", d.YMode);
    ds.YSmall = std::clamp(ini.GetInt(kViewSet, "YSmall", d.YSmall), kMinScaleEnd, kMaxScaleEnd);
    ds.YLarge = std::clamp(ini.GetInt(kViewSet, "YLarge", d.YLarge), kMinScaleEnd, kMaxScaleEnd);
    ds.XMode = ini.GetInt(kViewSet, "XMode", d.XMode);
    ds.XLines = std::clamp(ini.GetInt(kViewSet, "XLines", d.XLines), 0, kMaxGridLines);
    ds.YLines = std::clamp(ini.GetInt(kViewSet, "YLines", d.YLines), 0, kMaxGridLines);
    ds.SetPannel = ini.GetInt(kViewSet, "SetPannel", d.SetPannel);
    ds.PeakEnvelope = ini.GetInt(kViewSet, "PeakEnvelope", d.PeakEnvelope);
    ds.SpanPeakEnvelope = ini.GetInt(kViewSet, "SpanPeakEnvelope", d.SpanPeakEnvelope);
    ds.layoutDirty = 1;
}

int SaveDisplaySettings(const std::string& path, const DisplaySettings& ds) {
    IniFile ini(path);
    // As many pairs as there are colours: Chnls may already announce the next file's count.
    for (std::size_t i = 0; i < ds.channelColors.size(); ++i) {
        const int n = static_cast<int>(i);
        const int check = i < ds.channelChecks.size() ? ds.channelChecks[i] : 1;
        if (!ini.WriteInt(kViewSet, Numbered("color", n), static_cast<int>(ds.channelColors[i])) ||
            !ini.WriteInt(kViewSet, Numbered("check", n), check))
            return 0;
    }
    return ini.WriteInt(kViewSet, "Chnls", ds.Chnls) && ini.WriteInt(kViewSet, "YMode", ds.YMode) &&
                   ini.WriteInt(kViewSet, "YSmall", ds.YSmall) &&
                   ini.WriteInt(kViewSet, "YLarge", ds.YLarge) &&
                   ini.WriteInt(kViewSet, "XMode", ds.XMode) &&
                   ini.WriteInt(kViewSet, "XLines", ds.XLines) &&
                   ini.WriteInt(kViewSet, "YLines", ds.YLines) &&
                   ini.WriteInt(kViewSet, "SetPannel", ds.SetPannel) &&
                   ini.WriteInt(kViewSet, "PeakEnvelope", ds.PeakEnvelope) &&
                   ini.WriteInt(kViewSet, "SpanPeakEnvelope", ds.SpanPeakEnvelope)
               ? 1
               : 0;
}

std::string ReadLastFile(const std::string& path) {
    return IniFile(path).GetString(kFileSet, "LastFile", "", kPathBuffer);
}

int WriteLastFile(const std::string& path, const std::string& lastFile) {
    return IniFile(path).WriteString(kFileSet, "LastFile", lastFile);
}

void LoadCommSettings(const std::string& path, CommSettings& cs) {
    const IniFile ini(path);
    const CommSettings d;
    cs.portName = ini.GetString(kComSet, "ComPort", d.portName, kPortBuffer);
    cs.modelType = ini.GetString(kComSet, "JlyType", d.modelType, kModelTypeBuffer);
    // One byte on the line: the file names made from it carry that byte, not the text's number.
    cs.address = ini.GetInt(kComSet, "Address", d.address) & 0xFF;
    cs.baudRate = ini.GetInt(kComSet, "Baudrate", d.baudRate);
    cs.readIntervalTimeout = ini.GetInt(kComSet, "ReadIntervalTimeout", d.readIntervalTimeout);
    cs.readTotalTimeoutMultiplier =
        ini.GetInt(kComSet, "ReadTotalTimeoutMultiplier", d.readTotalTimeoutMultiplier);
    cs.readTotalTimeoutConstant =
        ini.GetInt(kComSet, "ReadTotalTimeoutConstant", d.readTotalTimeoutConstant);
    cs.writeTotalTimeoutConstant =
        ini.GetInt(kComSet, "WriteTotalTimeoutConstant", d.writeTotalTimeoutConstant);
    cs.writeTotalTimeoutMultiplier =
        ini.GetInt(kComSet, "WriteTotalTimeoutMultiplier", d.writeTotalTimeoutMultiplier);
    cs.readAttempts = ini.GetInt(kComSet, "ReadDefaultErrorTimes", d.readAttempts);
    cs.writeAttempts = ini.GetInt(kComSet, "WriteDefaultErrorTimes", d.writeAttempts);
    cs.samplingInterval = ini.GetInt(kComSet, "Interval", d.samplingInterval);
    cs.modelIndex = ini.GetInt(kComSet, "JlyIndex", d.modelIndex);
}

int SaveCommSettings(const std::string& path, const CommSettings& cs) {
    IniFile ini(path);
    return ini.WriteString(kComSet, "ComPort", cs.portName) &&
                   ini.WriteString(kComSet, "JlyType", cs.modelType) &&
                   ini.WriteInt(kComSet, "Address", cs.address) &&
                   ini.WriteInt(kComSet, "Baudrate", cs.baudRate) &&
                   ini.WriteInt(kComSet, "ReadIntervalTimeout", cs.readIntervalTimeout) &&
                   ini.WriteInt(kComSet, "ReadTotalTimeoutConstant", cs.readTotalTimeoutConstant) &&
                   ini.WriteInt(kComSet, "ReadTotalTimeoutMultiplier",
                                cs.readTotalTimeoutMultiplier) &&
                   ini.WriteInt(kComSet, "WriteTotalTimeoutConstant",
                                cs.writeTotalTimeoutConstant) &&
                   ini.WriteInt(kComSet, "WriteTotalTimeoutMultiplier",
                                cs.writeTotalTimeoutMultiplier) &&
                   ini.WriteInt(kComSet, "ReadDefaultErrorTimes", cs.readAttempts) &&
                   ini.WriteInt(kComSet, "WriteDefaultErrorTimes", cs.writeAttempts) &&
                   ini.WriteInt(kComSet, "Interval", cs.samplingInterval) &&
                   ini.WriteInt(kComSet, "JlyIndex", cs.modelIndex)
               ? 1
               : 0;
}

int ReadSaveReal(const std::string& path) {
    return IniFile(path).GetInt(kSaveReal, "SaveReal", 0);
}

int WriteSaveReal(const std::string& path, int flag) {
    return IniFile(path).WriteInt(kSaveReal, "SaveReal", flag);
}

ModelList ReadModelList(const std::string& path) {
    const IniFile ini(path);
    ModelList list = DefaultModelList();
    for (std::size_t i = 0; i < list.names.size(); ++i) {
        list.names[i] = ini.GetString(kVarParams, Numbered("Type", static_cast<int>(i) + 1),
                                      list.names[i], kModelNameBuffer);
    }
    const std::string ext = ini.GetString(kVarParams, "Ext", list.ext, kExtBuffer);
    if (IsSafeExtension(ext)) list.ext = ext;
    return list;
}

int WriteModelList(const std::string& path, const ModelList& list) {
    IniFile ini(path);
    for (std::size_t i = 0; i < list.names.size(); ++i) {
        if (!ini.WriteString(kVarParams, Numbered("Type", static_cast<int>(i) + 1), list.names[i]))
            return 0;
    }
    return ini.WriteString(kVarParams, "Ext", list.ext);
}

std::string OversizedSettingsNotice(const std::string& path) {
    if (!ini::IsOversized(path)) return {};
    char text[256];
    std::snprintf(text, sizeof text, texts::kSettingsOversized,
                  static_cast<int>(ini::kMaxFileSize >> 20));
    return text;
}

std::string PortDevice(const std::string& path, const std::string& portName) {
    const std::string mapped = IniFile(path).GetString(kPorts, portName, "", kDeviceBuffer);
    if (!mapped.empty()) return mapped;
    // "COMn" with n from 1: the platform's n-th built-in serial port.
    if (portName.size() > 3 && portName.size() <= 6 &&
        (portName.compare(0, 3, "COM") == 0 || portName.compare(0, 3, "com") == 0)) {
        int n = 0;
        for (std::size_t i = 3; i < portName.size(); ++i) {
            if (portName[i] < '0' || portName[i] > '9') return portName;
            n = n * 10 + (portName[i] - '0');
        }
        if (n >= 1) return "/dev/ttyS" + std::to_string(n - 1);
    }
    return portName;
}

int WritePortDevice(const std::string& path, const std::string& portName,
                    const std::string& device) {
    return IniFile(path).WriteString(kPorts, portName, device);
}

}  // namespace vardo
