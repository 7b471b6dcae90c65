#pragma once
// The recorder's two read commands turned into what the program needs: parameter memory,
// history memory, clock, time stamps, the history write pointer. Retries within a request are
// made here; callers add their own around whole operations.

#include <cstdint>
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
    // Opens the port named by settings->portName (COMn through [Ports] of the settings file at
    // settingsPath) with the record's rate and time-outs. The record must outlive the link's
    // use: every read takes its attempt count from it. 1 on success; nothing changes on failure.
    int Open(const CommSettings* settings, const std::string& settingsPath);
    // Clears the open flag and closes the port; 1 when a port was open.
    int Close();
    // Closes the port but leaves the open flag: for destructors that only release the handle.
    int ClosePort() { return port.Close(); }
    int IsOpen() const { return openFlag; }

    // `dest.size()` bytes of parameter memory from `start`, 64 per request.
    int ReadMemory(std::uint16_t start, std::span<std::uint8_t> dest);
    // 1..64 bytes of history memory from a 24-bit address.
    int ReadHistory(std::uint32_t address, std::span<std::uint8_t> dest);
    int ReadClock(std::uint16_t clockAddress, VTime& out);
    int ReadStamp(std::uint16_t stampAddress, VTime& out);
    int ReadWritePointer(std::uint16_t pointerAddress, std::uint32_t& out);

    int openFlag = 0;
    std::uint16_t currentAddress = 0;
    std::uint16_t currentCount = 0;
    const CommSettings* settings = nullptr;
    CSerialPort port;

  private:
    int Attempts() const;
};

// Pure decoders of the recorder's data items: 1, or 0 for a value out of range (out untouched).
// Clock registers: 10 bytes, seconds at 0, minutes 2, hours 4, day 7, month 8, year 9.
int DecodeClock(std::span<const std::uint8_t> bytes, VTime& out);
// Stamp: year-2000, month, day, hour, minute, second.
int DecodeStamp(std::span<const std::uint8_t> bytes, VTime& out);
// Two bytes b0 b1 name the page of the newest record: (b1 * 256 + b0) * 256 + 255.
std::uint32_t DecodeWritePointer(std::uint8_t b0, std::uint8_t b1);

}  // namespace vardo
