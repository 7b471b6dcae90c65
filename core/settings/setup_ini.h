#pragma once
// Every section and key of SetUp.ini, read at the moment of use and written back at once.

#include <string>

#include "base/model_table.h"
#include "settings/comm_settings.h"
#include "settings/display_settings.h"

namespace vardo {

// A hostile settings file must not make the program allocate millions of colour entries.
inline constexpr int kMaxDisplayChannels = 64;

// Settings operations work on the file at `path` (normally SettingsPath()). Writers return 1,
// or 0 when the file could not be written (it then keeps its previous content).
void LoadDisplaySettings(const std::string& path, DisplaySettings& ds);
[[nodiscard]] int SaveDisplaySettings(const std::string& path, const DisplaySettings& ds);

std::string ReadLastFile(const std::string& path);
[[nodiscard]] int WriteLastFile(const std::string& path, const std::string& lastFile);

void LoadCommSettings(const std::string& path, CommSettings& cs);
[[nodiscard]] int SaveCommSettings(const std::string& path, const CommSettings& cs);

int ReadSaveReal(const std::string& path);
[[nodiscard]] int WriteSaveReal(const std::string& path, int flag);

ModelList ReadModelList(const std::string& path);
[[nodiscard]] int WriteModelList(const std::string& path, const ModelList& list);

// What the user is told of a settings file too large to be one (ini::IsOversized): nothing is
// read from it and nothing written to it. Empty when the file at path is not oversized.
std::string OversizedSettingsNotice(const std::string& path);

// The device behind a port name: section [Ports] maps COM1=/dev/ttyUSB0 and so on; without an
// entry COMn is /dev/ttyS(n-1). Anything else is used as a path as it stands.
std::string PortDevice(const std::string& path, const std::string& portName);
// Maps portName to device in [Ports]; 1 on success.
[[nodiscard]] int WritePortDevice(const std::string& path, const std::string& portName,
                                  const std::string& device);

}  // namespace vardo
