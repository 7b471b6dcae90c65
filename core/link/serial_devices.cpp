#include "link/serial_devices.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>

#include "base/unique_fd.h"
#include "link/byte_channel.h"

namespace vardo {

namespace {

namespace fs = std::filesystem;

// ttyS2 before ttyS10.
bool NaturalLess(const std::string& a, const std::string& b) {
    const auto split = [](const std::string& s) {
        std::size_t i = s.size();
        while (i > 0 && s[i - 1] >= '0' && s[i - 1] <= '9') --i;
        const long n = i < s.size() ? std::stol(s.substr(i, 9)) : -1;
        return std::make_pair(s.substr(0, i), n);
    };
    return split(a) < split(b);
}

std::vector<std::string> Entries(const fs::path& dir, const std::string& prefix) {
    std::vector<std::string> out;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) == 0) out.push_back(it->path().string());
    }
    std::sort(out.begin(), out.end(), NaturalLess);
    return out;
}

// Opening without waiting for carrier and without becoming our controlling terminal; only a
// terminal counts, so a UART-less ttyS (EIO) or a stray file is left out.
bool Probe(const std::string& path, int& error) {
    const UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.Valid()) {
        error = errno;
        return error == EACCES || error == EPERM || error == EBUSY;
    }
    error = 0;
    return ::isatty(fd.Get()) == 1;
}

}  // namespace

std::vector<SerialDevice> ListSerialDevices(const std::string& devRoot) {
    const fs::path root(devRoot);
    std::vector<SerialDevice> out;
    std::set<fs::path> named;
    // A built-in port the user may not open cannot tell whether a UART is behind it: listing
    // all 32 would bury the adapters, so only the ones that open are offered.
    const auto add = [&](const std::string& path, bool mustOpen) {
        int error = 0;
        if (Probe(path, error) && !(mustOpen && error != 0)) out.push_back({path, error});
    };
    for (const std::string& link : Entries(root / "serial" / "by-id", "")) {
        std::error_code ec;
        named.insert(fs::canonical(link, ec));
        add(link, false);
    }
    for (const char* prefix : {"ttyUSB", "ttyACM", "ttyS"}) {
        for (const std::string& path : Entries(root, prefix)) {
            std::error_code ec;
            if (named.count(fs::canonical(path, ec)) == 0) add(path, std::string(prefix) == "ttyS");
        }
    }
    return out;
}

std::string PortRefusalReason(const std::string& device) {
    if (device.compare(0, std::strlen(kTcpScheme), kTcpScheme) == 0) return {};
    // The same steps as the port's own open, each failure in the system's words.
    const UniqueFd fd(::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.Valid()) return std::strerror(errno);
    if (::isatty(fd.Get()) != 1) return "Not a serial device";
    // Unlocked again when fd closes: the probe takes nothing from the owner it finds.
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0)
        return std::strerror(errno == EWOULDBLOCK ? EBUSY : errno);
    return {};
}

}  // namespace vardo
