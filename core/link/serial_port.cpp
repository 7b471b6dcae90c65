#include "link/serial_port.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace vardo {

namespace {

using Clock = std::chrono::steady_clock;

int NonNegative(int v) {
    return v < 0 ? 0 : v;
}

}  // namespace

CSerialPort::CSerialPort() : wakeFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

CSerialPort::~CSerialPort() {
    Close();
}

void CSerialPort::Interrupt() {
    interrupted = true;
    const std::uint64_t one = 1;
    if (wakeFd.Valid() && ::write(wakeFd.Get(), &one, sizeof one) < 0) {
        // Already signalled past the counter's limit: still readable, nothing is lost.
    }
}

bool CSerialPort::WaitFor(int fd, short events, Clock::duration wait) {
    if (interrupted.load()) return false;
    if (wait < Clock::duration::zero()) wait = Clock::duration::zero();
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
    timespec ts{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    // A negative descriptor is skipped by poll: Rest waits on the wake alone.
    pollfd p[2] = {{fd, events, 0}, {wakeFd.Get(), POLLIN, 0}};
    for (;;) {
        const int r = ppoll(p, 2, &ts, nullptr);
        if (r > 0) return p[1].revents == 0 && p[0].revents != 0;
        if (r == 0) return false;
        if (errno != EINTR) return false;
    }
}

bool CSerialPort::Rest(int ms) {
    WaitFor(-1, 0, std::chrono::milliseconds(ms));
    return !interrupted.load();
}

int CSerialPort::Open(const std::string& device, int baud, int readInterval, int readTotalConstant,
                      int readTotalMultiplier, int writeTotalConstant, int writeTotalMultiplier) {
    // Opening again replaces the port; the old channel would otherwise hold the lock.
    Close();
    interrupted = false;
    std::uint64_t count = 0;
    while (wakeFd.Valid() && ::read(wakeFd.Get(), &count, sizeof count) > 0) {
    }
    portName = device;
    baudRate = baud;
    // An Interrupt while a device server is being connected to ends the connecting.
    channel = OpenByteChannel(device, baud, wakeFd.Get());
    if (!channel) return -1;
    PortTimeouts configured;
    configured.readInterval = NonNegative(readInterval);
    configured.readTotalConstant = NonNegative(readTotalConstant);
    configured.readTotalMultiplier = NonNegative(readTotalMultiplier);
    configured.writeTotalConstant = NonNegative(writeTotalConstant);
    configured.writeTotalMultiplier = NonNegative(writeTotalMultiplier);
    timeouts = ScaleTimeouts(baud, configured);
    stats = LineStats{};
    return channel->Descriptor();
}

int CSerialPort::Close() {
    if (!channel) return 0;
    channel.reset();
    return 1;
}

void CSerialPort::WriteFrame() {
    const int handle = channel->Descriptor();
    const auto deadline = Clock::now() + std::chrono::milliseconds(WriteTotalBudget(
                                             timeouts, static_cast<int>(frameLength)));
    const bool bounded = timeouts.writeTotalConstant != 0 || timeouts.writeTotalMultiplier != 0;
    std::size_t done = 0;
    while (done < frameLength) {
        const long w = channel->Write(outFrame.data() + done, frameLength - done);
        if (w > 0) {
            done += static_cast<std::size_t>(w);
            continue;
        }
        if (w < 0 && errno != EAGAIN && errno != EINTR) return;
        if (bounded) {
            if (!WaitFor(handle, POLLOUT, deadline - Clock::now())) return;
        } else if (!WaitFor(handle, POLLOUT, std::chrono::seconds(1)) && interrupted.load()) {
            return;
        }
    }
}

// Emulates one synchronous read under Windows-style time-outs: a total budget of
// multiplier x requested + constant, and an interval limit between characters once the first
// has arrived. Unlike a plain read it does not wait out the interval after a complete reply:
// once the frame ends in CR LF it listens only a couple of character times for trailing
// noise, which, if any comes, keeps the read going so that the reply is refused as before.
std::size_t CSerialPort::ReadChars(char* dest, std::size_t max, std::size_t alreadyHave) {
    const int handle = channel->Descriptor();
    const auto start = Clock::now();
    const bool totalBounded = timeouts.readTotalConstant != 0 || timeouts.readTotalMultiplier != 0;
    const auto deadline =
        start + std::chrono::milliseconds(ReadTotalBudget(timeouts, static_cast<int>(max)));
    const auto interval = std::chrono::milliseconds(timeouts.readInterval);
    const int baud = baudRate > 0 ? baudRate : 57600;
    const auto drain = std::chrono::microseconds(2 * 10 * 1000000LL / baud + 500);
    const bool watchFrameEnd = alreadyHave > 0;

    std::size_t got = 0;
    auto lastChar = start;
    bool frameEnded = false;
    while (got < max) {
        auto limit = Clock::time_point::max();
        if (totalBounded) limit = deadline;
        if (got > 0 && timeouts.readInterval > 0 && lastChar + interval < limit) {
            limit = lastChar + interval;
        }
        if (frameEnded && lastChar + drain < limit) limit = lastChar + drain;
        if (limit == Clock::time_point::max()) {
            limit = Clock::now() + std::chrono::hours(1);
        }
        if (!WaitFor(handle, POLLIN, limit - Clock::now())) break;
        const long r = channel->Read(dest + got, max - got);
        if (r < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        // End of file or an error: the line is gone, nothing more will come.
        if (r <= 0) break;
        got += static_cast<std::size_t>(r);
        lastChar = Clock::now();
        if (watchFrameEnd) {
            const std::size_t total = alreadyHave + got;
            const char* frame = dest - alreadyHave;
            frameEnded = total >= 2 && frame[total - 2] == '\r' && frame[total - 1] == '\n';
        }
    }
    return got;
}

int CSerialPort::Transact() {
    lastCheck = FrameCheck::Empty;
    if (!channel || interrupted.load()) return 0;
    channel->ApplyLineState(baudRate);
    channel->DiscardInput();
    frameLength = EncodeFrame(
        std::span<const std::uint8_t>(requestBytes.data(), requestLength < kMaxFrameMessageBytes
                                                               ? requestLength
                                                               : kMaxFrameMessageBytes),
        outFrame, checkChars);
    WriteFrame();
    ++stats.exchanges;
    stats.charsSent += frameLength;
    inFrame.fill(0);
    if (!Rest(10)) return 0;

    if (ReadChars(inFrame.data(), 1, 0) == 0) return 0;
    ++stats.charsReceived;
    const std::size_t more = ReadChars(inFrame.data() + 1, inFrame.size() - 1, 1);
    if (more == 0) return 0;
    const std::size_t n = 1 + more;
    stats.charsReceived += more;

    std::size_t decoded = 0;
    lastCheck =
        CheckReply(std::span<const char>(outFrame.data(), frameLength),
                   std::span<const char>(inFrame.data(), n), expectedData, replyBytes, decoded);
    return lastCheck == FrameCheck::Valid ? 1 : 0;
}

}  // namespace vardo
