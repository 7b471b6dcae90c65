#include "link/recorder_link.h"

#include <array>

#include "link/recorder_registers.h"
#include "settings/setup_ini.h"

namespace vardo {

int CRecorderLink::Open(const CommSettings& cs, const std::string& settingsPath) {
    const std::string device = PortDevice(settingsPath, cs.portName);
    if (port.Open(device, cs.baudRate, cs.readIntervalTimeout, cs.readTotalTimeoutConstant,
                  cs.readTotalTimeoutMultiplier, cs.writeTotalTimeoutConstant,
                  cs.writeTotalTimeoutMultiplier) < 0) {
        return 0;
    }
    settings = cs;
    openFlag = 1;
    port.requestBytes[0] = static_cast<std::uint8_t>(cs.address & 0xFF);
    return 1;
}

int CRecorderLink::Close() {
    openFlag = 0;
    return port.Close();
}

int CRecorderLink::Attempts() const {
    return settings->readAttempts > 0 ? settings->readAttempts : 1;
}

int CRecorderLink::ReadMemory(std::uint16_t start, std::span<std::uint8_t> dest) {
    if (!settings || dest.size() > 0xFFFF) return 0;
    const std::size_t count = dest.size();
    for (std::size_t offset = 0; offset < count; offset += kMaxReadBytes) {
        const std::size_t chunk = count - offset < kMaxReadBytes ? count - offset : kMaxReadBytes;
        currentAddress = static_cast<std::uint16_t>(start + offset);
        currentCount = static_cast<std::uint16_t>(chunk);
        auto& req = port.requestBytes;
        req[1] = kReadMemoryCommand;
        req[2] = static_cast<std::uint8_t>(currentAddress >> 8);
        req[3] = static_cast<std::uint8_t>(currentAddress & 0xFF);
        req[4] = static_cast<std::uint8_t>(currentCount >> 8);
        req[5] = static_cast<std::uint8_t>(currentCount & 0xFF);
        port.requestLength = 6;
        port.ExpectData(chunk);
        int ok = 0;
        // An interrupted port fails every attempt at once: millions of them would still take
        // seconds.
        for (int attempt = 0; attempt < Attempts() && !ok && !port.Interrupted(); ++attempt)
            ok = port.Transact();
        if (!ok) return 0;
        for (std::size_t i = 0; i < chunk; ++i) dest[offset + i] = port.replyBytes[3 + i];
        port.Rest(10);
    }
    return 1;
}

int CRecorderLink::ReadHistory(std::uint32_t address, std::span<std::uint8_t> dest) {
    if (!settings || dest.empty() || dest.size() > kMaxReadBytes) return 0;
    auto& req = port.requestBytes;
    req[1] = kReadHistoryCommand;
    req[2] = static_cast<std::uint8_t>((address >> 16) & 0xFF);
    req[3] = static_cast<std::uint8_t>((address >> 8) & 0xFF);
    req[4] = static_cast<std::uint8_t>(address & 0xFF);
    req[5] = static_cast<std::uint8_t>(dest.size());
    port.requestLength = 6;
    port.ExpectData(dest.size());
    for (int attempt = 0; attempt < Attempts(); ++attempt) {
        if (attempt > 0 && !port.Rest(100)) return 0;
        if (port.Transact()) {
            for (std::size_t i = 0; i < dest.size(); ++i) dest[i] = port.replyBytes[3 + i];
            port.Rest(10);
            return 1;
        }
    }
    return 0;
}

int CRecorderLink::ReadClock(std::uint16_t clockAddress, VTime& out) {
    std::array<std::uint8_t, 10> bytes{};
    if (!ReadMemory(clockAddress, bytes)) return 0;
    return DecodeClock(bytes, out);
}

int CRecorderLink::ReadStamp(std::uint16_t stampAddress, VTime& out) {
    std::array<std::uint8_t, 6> bytes{};
    if (!ReadMemory(stampAddress, bytes)) return 0;
    return DecodeStamp(bytes, out);
}

int CRecorderLink::ReadWritePointer(std::uint16_t pointerAddress, std::uint32_t& out) {
    std::array<std::uint8_t, 2> bytes{};
    if (!ReadMemory(pointerAddress, bytes)) return 0;
    out = DecodeWritePointer(bytes[0], bytes[1]);
    return 1;
}

}  // namespace vardo
