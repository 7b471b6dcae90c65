#pragma once
// One request, one checked reply, over a serial line to the recorder. Owns the byte channel
// (a local serial line or a device server's TCP connection) and the four fixed buffers of an
// exchange; knows nothing of what a request means.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/unique_fd.h"
#include "link/byte_channel.h"
#include "link/frame_codec.h"
#include "link/port_timeouts.h"

namespace vardo {

// What went over the line since the port was opened.
struct LineStats {
    std::uint64_t exchanges = 0;
    std::uint64_t charsSent = 0;
    std::uint64_t charsReceived = 0;
};

class CSerialPort {
  public:
    CSerialPort();
    ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // `device` is a terminal's path or "tcp://HOST:PORT" (COMn names are resolved by the
    // caller). A terminal is exclusive: a second open of the same device, from this or any
    // process, fails. Timeouts are in ms before the baud-rate scaling. Returns the channel's
    // descriptor, or -1.
    [[nodiscard]] int Open(const std::string& device, int baud, int readInterval,
                           int readTotalConstant, int readTotalMultiplier, int writeTotalConstant,
                           int writeTotalMultiplier);
    // 1 when a port was open.
    int Close();
    bool IsOpen() const { return channel != nullptr; }

    // Sends requestBytes[0..requestLength) framed, waits for one reply and checks it; on
    // success replyBytes holds the decoded reply. 1 on a valid reply, else 0.
    [[nodiscard]] int Transact();

    // From any thread: the exchange in progress, and every wait and Rest after it, end at once
    // and fail, until the port is opened again. What lets an owner stop a reader that is stuck
    // on a silent line without waiting out its time-outs.
    void Interrupt();
    bool Interrupted() const { return interrupted.load(); }
    // Sleeps ms unless interrupted; false when interrupted.
    bool Rest(int ms);

    // How many data bytes the next Transact must bring back after the byte-count field.
    void ExpectData(std::size_t count) { expectedData = count; }
    // Why the last Transact failed (Valid after a success).
    FrameCheck LastCheck() const { return lastCheck; }
    const PortTimeouts& Timeouts() const { return timeouts; }
    const LineStats& Stats() const { return stats; }

    FrameBytes requestBytes{};
    FrameBytes replyBytes{};
    std::uint32_t requestLength = 0;
    std::unique_ptr<CByteChannel> channel;
    std::string portName;
    int baudRate = 0;
    std::size_t frameLength = 0;
    char checkChars[2] = {};
    FrameChars outFrame{};
    FrameChars inFrame{};

  private:
    void WriteFrame();
    // Reads up to `max` characters into `dest` under the port's time-outs; stops early at a
    // complete reply (see the .cpp). Returns the count read.
    std::size_t ReadChars(char* dest, std::size_t max, std::size_t alreadyHave);

    // Whether fd is ready for events before `wait` has passed; false on time-out and at once
    // when interrupted.
    bool WaitFor(int fd, short events, std::chrono::steady_clock::duration wait);

    PortTimeouts timeouts;
    // An eventfd that Interrupt makes readable: every wait of the port also watches it.
    UniqueFd wakeFd;
    std::atomic<bool> interrupted{false};
    std::size_t expectedData = 0;
    FrameCheck lastCheck = FrameCheck::Empty;
    LineStats stats;
};

}  // namespace vardo
