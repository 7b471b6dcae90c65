#pragma once
// The byte channel under the serial port: whatever carries the recorder's frames both ways. A
// local serial line (a terminal device) or a raw TCP connection to a serial device server; the
// framing, time-outs and checks above it are the same for both.

#include <cstddef>
#include <memory>
#include <string>

namespace vardo {

class CByteChannel {
  public:
    virtual ~CByteChannel() = default;
    CByteChannel() = default;
    CByteChannel(const CByteChannel&) = delete;
    CByteChannel& operator=(const CByteChannel&) = delete;

    // A non-blocking descriptor that the port waits on with poll.
    virtual int Descriptor() const = 0;
    // What read(2) and write(2) return, without blocking: a count, 0 at the end of the
    // channel (read), -1 with errno (EAGAIN when nothing can move now).
    virtual long Read(char* dest, std::size_t max) = 0;
    virtual long Write(const char* data, std::size_t size) = 0;
    // The line at `baud`, 8N1, raw, no flow control. A network channel has no line of its own:
    // the device server's port is set up on the server.
    virtual void ApplyLineState(int baud) = 0;
    // Drops what has arrived and not been read (a late reply to an earlier request).
    virtual void DiscardInput() = 0;
};

inline constexpr const char* kTcpScheme = "tcp://";

// "tcp://HOST:PORT" connects to a device server; anything else is a terminal device's path.
// nullptr when the channel cannot be opened, or when `wakeFd` (an eventfd, or -1) became
// readable while a connection was being made.
[[nodiscard]] std::unique_ptr<CByteChannel> OpenByteChannel(const std::string& device, int baud,
                                                            int wakeFd = -1);

}  // namespace vardo
