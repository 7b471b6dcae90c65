#include "link/tty_channel.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <utility>

namespace vardo {

namespace {

speed_t SpeedOf(int baud) {
    switch (baud) {
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        default:
            return B0;
    }
}

}  // namespace

CTtyChannel::~CTtyChannel() {
    // The exclusive flag outlives the descriptor on a terminal that someone else keeps open.
    if (fd_.Valid()) ioctl(fd_.Get(), TIOCNXCL);
}

int CTtyChannel::Open(const std::string& device, int baud) {
    UniqueFd d(::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!d.Valid()) return 0;
    // Exclusive like a Windows COM port: the advisory lock also holds against root, which
    // TIOCEXCL alone does not.
    if (!isatty(d.Get()) || flock(d.Get(), LOCK_EX | LOCK_NB) != 0 || ioctl(d.Get(), TIOCEXCL) != 0)
        return 0;
    fd_ = std::move(d);
    ApplyLineState(baud);
    return 1;
}

void CTtyChannel::ApplyLineState(int baud) {
    termios tio{};
    if (tcgetattr(fd_.Get(), &tio) != 0) return;
    // Raw: no echo, no line editing, no CR/LF translation either way, no signals.
    cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | IGNPAR | PARMRK);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    tio.c_cc[VSTART] = 0x11;
    tio.c_cc[VSTOP] = 0x13;
    const speed_t speed = SpeedOf(baud);
    if (speed != B0) cfsetspeed(&tio, speed);
    tcsetattr(fd_.Get(), TCSANOW, &tio);
    int lines = TIOCM_DTR | TIOCM_RTS;
    ioctl(fd_.Get(), TIOCMBIC, &lines);
}

long CTtyChannel::Read(char* dest, std::size_t max) {
    return ::read(fd_.Get(), dest, max);
}

long CTtyChannel::Write(const char* data, std::size_t size) {
    return ::write(fd_.Get(), data, size);
}

void CTtyChannel::DiscardInput() {
    tcflush(fd_.Get(), TCIFLUSH);
}

}  // namespace vardo
