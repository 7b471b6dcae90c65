#include "pty_recorder.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
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
        const ssize_t w = ::write(fd, data + done, size - done);
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

void MakeRaw(int fd) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return;
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
}

}  // namespace

CPtyRecorder::CPtyRecorder(const RecorderConfig& recorder, const FaultConfig& f, int b)
    : model(recorder), faults(f), baud(b) {}

CPtyRecorder::~CPtyRecorder() {
    StopThread();
    if (slaveKeeper >= 0) ::close(slaveKeeper);
    if (master >= 0) ::close(master);
}

int CPtyRecorder::Start() {
    master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) return 0;
    if (grantpt(master) != 0 || unlockpt(master) != 0) return 0;
    char name[128] = {};
    if (ptsname_r(master, name, sizeof name) != 0) return 0;
    devicePath = name;
    // Holding the terminal open keeps it alive (and the master readable) between clients, and
    // lets it start raw so that nothing is echoed before a client sets it up.
    slaveKeeper = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveKeeper < 0) return 0;
    MakeRaw(slaveKeeper);
    MakeRaw(master);
    const int flags = fcntl(master, F_GETFL);
    fcntl(master, F_SETFL, flags | O_NONBLOCK);
    return 1;
}

void CPtyRecorder::Run(const std::atomic<bool>& stop) {
    FrameAssembler assembler;
    char buffer[256];
    while (!stop.load()) {
        pollfd p{master, POLLIN, 0};
        const int r = poll(&p, 1, 50);
        model.Advance();
        if (r <= 0 || !(p.revents & POLLIN)) continue;
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0) continue;
        for (ssize_t i = 0; i < n; ++i) {
            if (assembler.Push(buffer[i])) {
                Handle(assembler.Frame());
                assembler.Reset();
            }
        }
    }
}

void CPtyRecorder::StartThread() {
    stopFlag = false;
    thread = std::thread([this] { Run(stopFlag); });
}

void CPtyRecorder::StopThread() {
    stopFlag = true;
    if (thread.joinable()) thread.join();
}

void CPtyRecorder::Handle(std::span<const char> request) {
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
        DecodeFrame(std::span<const char>(text.data(), text.size()), bytes, count);
        bytes[0] = static_cast<std::uint8_t>(bytes[0] + 1);
        FrameChars chars{};
        const std::size_t len =
            EncodeFrame(std::span<const std::uint8_t>(bytes.data(), count), chars);
        text.assign(chars.data(), len);
    }
    if (Hits(faults.exceptionEvery, n)) {
        FrameBytes bytes{};
        std::size_t count = 0;
        DecodeFrame(std::span<const char>(text.data(), text.size()), bytes, count);
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
void CPtyRecorder::Send(const std::string& text, std::size_t requestChars) {
    if (baud <= 0) {
        WriteAll(master, text.data(), text.size());
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
        WriteAll(master, text.data() + sent, ready - sent);
        sent = ready;
    }
}

}  // namespace vardo::sim
