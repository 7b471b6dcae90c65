#pragma once
// A raw TCP connection to a serial device server: the bytes of the server's serial port, both
// ways, with nothing added (no Telnet, no RFC 2217).

#include <string>

#include "base/unique_fd.h"
#include "link/byte_channel.h"

namespace vardo {

struct TcpAddress {
    std::string host;
    std::string port;
};

// "tcp://HOST:PORT" (HOST a name, an IPv4 address or a bracketed IPv6 address, PORT 1..65535);
// false for anything else.
[[nodiscard]] bool ParseTcpAddress(const std::string& device, TcpAddress& out);

class CTcpChannel : public CByteChannel {
  public:
    // Connects within `timeoutMs` for each address the host resolves to; 1 on success. Gives up
    // at once when `wakeFd` (an eventfd, or -1) becomes readable: a cancel while connecting.
    [[nodiscard]] int Open(const TcpAddress& address, int timeoutMs, int wakeFd = -1);

    int Descriptor() const override { return fd_.Get(); }
    long Read(char* dest, std::size_t max) override;
    // A server that hung up gives EPIPE, never the signal that would end the program.
    long Write(const char* data, std::size_t size) override;
    void ApplyLineState(int) override {}
    void DiscardInput() override;

  private:
    UniqueFd fd_;
};

}  // namespace vardo
