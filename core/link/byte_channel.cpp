#include "link/byte_channel.h"

#include "link/tcp_channel.h"
#include "link/tty_channel.h"

namespace vardo {

namespace {
// A device server that does not answer the connection within this is not there.
constexpr int kConnectTimeoutMs = 3000;
}  // namespace

std::unique_ptr<CByteChannel> OpenByteChannel(const std::string& device, int baud, int wakeFd) {
    TcpAddress address;
    if (ParseTcpAddress(device, address)) {
        auto tcp = std::make_unique<CTcpChannel>();
        if (!tcp->Open(address, kConnectTimeoutMs, wakeFd)) return nullptr;
        return tcp;
    }
    // A tcp:// text that does not parse is not a path either.
    if (device.compare(0, 6, kTcpScheme) == 0) return nullptr;
    auto tty = std::make_unique<CTtyChannel>();
    if (!tty->Open(device, baud)) return nullptr;
    return tty;
}

}  // namespace vardo
