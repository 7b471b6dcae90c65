#include "link/tcp_channel.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <utility>

namespace vardo {

namespace {

constexpr std::size_t kMaxHostLength = 255;  // the longest name the resolver accepts

using Clock = std::chrono::steady_clock;

// Connects the non-blocking socket s within timeoutMs. A signal neither ends the wait nor
// fails the connection, which goes on in the kernel; a readable wakeFd ends it, with woken set.
bool Connect(int s, const sockaddr* to, socklen_t length, int timeoutMs, int wakeFd, bool& woken) {
    if (::connect(s, to, length) == 0) return true;
    if (errno != EINPROGRESS && errno != EINTR) return false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    // A negative descriptor is skipped by poll: without a wake descriptor only the socket counts.
    pollfd p[2] = {{s, POLLOUT, 0}, {wakeFd, POLLIN, 0}};
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        const int r = ::poll(p, 2, static_cast<int>(std::min<long long>(left, INT_MAX)));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        if (p[1].revents != 0) {
            woken = true;
            return false;
        }
        int error = 0;
        socklen_t size = sizeof error;
        return getsockopt(s, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
    }
}

}  // namespace

bool ParseTcpAddress(const std::string& device, TcpAddress& out) {
    const std::string scheme = kTcpScheme;
    if (device.compare(0, scheme.size(), scheme) != 0) return false;
    const std::string rest = device.substr(scheme.size());
    std::string host;
    std::string port;
    if (!rest.empty() && rest[0] == '[') {
        const auto close = rest.find("]:");
        if (close == std::string::npos) return false;
        host = rest.substr(1, close - 1);
        port = rest.substr(close + 2);
    } else {
        const auto colon = rest.rfind(':');
        if (colon == std::string::npos || rest.find(':') != colon) return false;
        host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
    }
    if (host.empty() || host.size() > kMaxHostLength || port.empty() || port.size() > 5)
        return false;
    // The resolver takes the host as a C string: a NUL would cut it, and blanks, control bytes,
    // brackets or slashes belong to no host name or address.
    for (char c : host) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= ' ' || u == 0x7F || c == '[' || c == ']' || c == '/') return false;
    }
    long n = 0;
    for (char c : port) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    if (n < 1 || n > 65535) return false;
    out = {host, port};
    return true;
}

int CTcpChannel::Open(const TcpAddress& address, int timeoutMs, int wakeFd) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(address.host.c_str(), address.port.c_str(), &hints, &found) != 0) return 0;
    bool woken = false;
    for (addrinfo* a = found; a != nullptr && !fd_.Valid() && !woken; a = a->ai_next) {
        UniqueFd s(
            ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol));
        if (!s.Valid()) continue;
        if (!Connect(s.Get(), a->ai_addr, a->ai_addrlen, timeoutMs, wakeFd, woken)) continue;
        // A request is one small frame that waits for its reply: send it at once.
        const int on = 1;
        setsockopt(s.Get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        fd_ = std::move(s);
    }
    freeaddrinfo(found);
    return fd_.Valid() ? 1 : 0;
}

long CTcpChannel::Read(char* dest, std::size_t max) {
    return ::recv(fd_.Get(), dest, max, MSG_DONTWAIT);
}

long CTcpChannel::Write(const char* data, std::size_t size) {
    return ::send(fd_.Get(), data, size, MSG_DONTWAIT | MSG_NOSIGNAL);
}

void CTcpChannel::DiscardInput() {
    // Bounded: a server that keeps sending must not hold the exchange here.
    char sink[256];
    for (int i = 0; i < 64 && ::recv(fd_.Get(), sink, sizeof sink, MSG_DONTWAIT) > 0; ++i) {
    }
}

}  // namespace vardo
