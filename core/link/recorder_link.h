#pragma once
// The recorder's two read commands turned into what the program needs: parameter memory,
// history memory, clock, time stamps, the history write pointer. Retries within a request are
// made here; callers add their own around whole operations.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "base/vardo_time.h"
#include "link/serial_port.h"
#include "settings/comm_settings.h"

namespace vardo {

inline constexpr std::uint8_t kReadMemoryCommand = 0x03;
inline constexpr std::uint8_t kReadHistoryCommand = 0x13;
inline constexpr std::size_t kMaxReadBytes = 64;

class CRecorderLink {
  public:
    // Opens the port named by settings.portName (COMn through [Ports] of the settings file at
    // settingsPath: a terminal or tcp://HOST:PORT) with the record's rate and time-outs, and
    // keeps a copy of the record for its reads. 1 on success; nothing changes on failure.
    [[nodiscard]] int Open(const CommSettings& settings, const std::string& settingsPath);
    // Clears the open flag and closes the port; 1 when a port was open.
    int Close();
    // Closes the port but leaves the open flag: for destructors that only release the handle.
    int ClosePort() { return port.Close(); }
    int IsOpen() const { return openFlag; }

    // `dest.size()` bytes of parameter memory from `start`, 64 per request.
    [[nodiscard]] int ReadMemory(std::uint16_t start, std::span<std::uint8_t> dest);
    // 1..64 bytes of history memory from a 24-bit address.
    [[nodiscard]] int ReadHistory(std::uint32_t address, std::span<std::uint8_t> dest);
    [[nodiscard]] int ReadClock(std::uint16_t clockAddress, VTime& out);
    [[nodiscard]] int ReadStamp(std::uint16_t stampAddress, VTime& out);
    [[nodiscard]] int ReadWritePointer(std::uint16_t pointerAddress, std::uint32_t& out);

    int openFlag = 0;
    std::uint16_t currentAddress = 0;
    std::uint16_t currentCount = 0;
    // The settings of the last successful Open; every read fails at once before the first.
    std::optional<CommSettings> settings;
    CSerialPort port;

  private:
    int Attempts() const;
};

}  // namespace vardo
