#include "recorder_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace vardo::sim {

namespace {

using Clock = std::chrono::steady_clock;

bool Hits(int every, std::uint64_t n) {
    return every > 0 && n % static_cast<std::uint64_t>(every) == 0;
}

void WriteAll(int fd, const char* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        // send() on a socket so that a client gone away is an error, not a signal.
        const ssize_t w = isatty(fd) ? ::write(fd, data + done, size - done)
                                     : ::send(fd, data + done, size - done, MSG_NOSIGNAL);
        if (w > 0) {
            done += static_cast<std::size_t>(w);
        } else if (w < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd p{fd, POLLOUT, 0};
            poll(&p, 1, 10);
        } else {
            return;
        }
    }
}

}  // namespace

CRecorderServer::CRecorderServer(const RecorderConfig& recorder, const FaultConfig& f, int b)
    : model(recorder), faults(f), baud(b) {}

CRecorderServer::~CRecorderServer() {
    StopThread();
    if (slaveKeeper >= 0) ::close(slaveKeeper);
    if (client >= 0) ::close(client);
    if (listener >= 0) ::close(listener);
    if (master >= 0) ::close(master);
}

int CRecorderServer::Start() {
    master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) return 0;
    if (grantpt(master) != 0 || unlockpt(master) != 0) return 0;
    char name[128] = {};
    if (ptsname_r(master, name, sizeof name) != 0) return 0;
    devicePath = name;
    // Holding the terminal open keeps it alive (and the master readable) between clients. It is
    // left in the cooked mode a new terminal has (termios calls on the master would change it
    // too): a client must set its line up itself, as it would have to on a real port.
    slaveKeeper = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveKeeper < 0) return 0;
    const int flags = fcntl(master, F_GETFL);
    fcntl(master, F_SETFL, flags | O_NONBLOCK);
    return 1;
}

int CRecorderServer::Listen(int port) {
    listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0) return 0;
    const int on = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(listener, 4) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&a), &length) != 0) {
        return 0;
    }
    devicePath = "tcp://127.0.0.1:" + std::to_string(ntohs(a.sin_port));
    return 1;
}

void CRecorderServer::Accept() {
    const int c = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (c < 0) return;
    if (client >= 0) ::close(client);
    const int on = 1;
    setsockopt(c, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    client = c;
}

void CRecorderServer::Run(const std::atomic<bool>& stop) {
    FrameAssembler assembler;
    char buffer[256];
    while (!stop.load()) {
        pollfd p[2] = {{Peer(), POLLIN, 0}, {listener, POLLIN, 0}};
        const int r = poll(p, listener >= 0 ? 2 : 1, 50);
        model.Advance();
        if (r <= 0) continue;
        if (listener >= 0 && (p[1].revents & POLLIN)) {
            Accept();
            assembler.Reset();
            continue;
        }
        if (!(p[0].revents & (POLLIN | POLLHUP))) continue;
        const ssize_t n = ::read(Peer(), buffer, sizeof buffer);
        if (n == 0 && listener >= 0) {
            ::close(client);
            client = -1;
            assembler.Reset();
        }
        if (n <= 0) continue;
        for (ssize_t i = 0; i < n; ++i) {
            if (assembler.Push(buffer[i])) {
                Handle(assembler.Frame());
                assembler.Reset();
            }
        }
    }
}

void CRecorderServer::StartThread() {
    stopFlag = false;
    thread = std::thread([this] { Run(stopFlag); });
}

void CRecorderServer::StopThread() {
    stopFlag = true;
    if (thread.joinable()) thread.join();
}

void CRecorderServer::Handle(std::span<const char> request) {
    const Clock::time_point arrived = Clock::now();
    std::optional<std::string> reply = model.Answer(request);
    if (!reply) return;
    if (stalledForGood || arrived < stalledUntil) return;
    const std::uint64_t n = ++replies;
    if (faults.stallAfter > 0 && n == static_cast<std::uint64_t>(faults.stallAfter)) {
        if (faults.stallMs > 0) {
            stalledUntil = arrived + std::chrono::milliseconds(faults.stallMs);
        } else {
            stalledForGood = true;
        }
        return;
    }
    if (Hits(faults.dropEvery, n)) return;
    std::string& text = *reply;
    if (Hits(faults.badLrcEvery, n)) {
        // The check digits sit before CR LF; step the low digit to another valid digit.
        char& low = text[text.size() - 3];
        low = low == '0' ? '1' : '0';
    }
    if (Hits(faults.wrongAddressEvery, n)) {
        // Re-frame with another address so that only the address is wrong.
        FrameBytes bytes{};
        std::size_t count = 0;
        // The reply is the simulator's own frame: it always decodes.
        if (DecodeFrame(std::span<const char>(text.data(), text.size()), bytes, count) !=
            FrameCheck::Valid) {
            return;
        }
        bytes[0] = static_cast<std::uint8_t>(bytes[0] + 1);
        FrameChars chars{};
        const std::size_t len =
            EncodeFrame(std::span<const std::uint8_t>(bytes.data(), count), chars);
        text.assign(chars.data(), len);
    }
    if (Hits(faults.exceptionEvery, n)) {
        FrameBytes bytes{};
        std::size_t count = 0;
        if (DecodeFrame(std::span<const char>(text.data(), text.size()), bytes, count) !=
            FrameCheck::Valid) {
            return;
        }
        const std::uint8_t message[3] = {bytes[0], static_cast<std::uint8_t>(bytes[1] | 0x80),
                                         0x04};
        FrameChars chars{};
        const std::size_t len = EncodeFrame(message, chars);
        text.assign(chars.data(), len);
    }
    if (Hits(faults.noiseEvery, n)) text += "\x55\xAA";
    Send(text, request.size());
}

// A line of `baud` carries one 10-bit character per 10/baud seconds, both ways: the request
// would have taken that long to arrive, the reply takes it to leave.
void CRecorderServer::Send(const std::string& text, std::size_t requestChars) {
    if (baud <= 0) {
        WriteAll(Peer(), text.data(), text.size());
        return;
    }
    const auto charTime = std::chrono::nanoseconds(10'000'000'000LL / baud);
    auto due = Clock::now() + charTime * static_cast<long>(requestChars);
    std::size_t sent = 0;
    while (sent < text.size()) {
        due += charTime;
        std::this_thread::sleep_until(due);
        // Everything that is due by now leaves together, so a late wake-up does not slow the line.
        std::size_t ready = sent + 1;
        const auto now = Clock::now();
        auto next = due + charTime;
        while (ready < text.size() && next <= now) {
            ++ready;
            due = next;
            next += charTime;
        }
        WriteAll(Peer(), text.data() + sent, ready - sent);
        sent = ready;
    }
}

}  // namespace vardo::sim
