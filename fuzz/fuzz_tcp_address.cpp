// A device server's address comes from the [Ports] section of SetUp.ini, edited by hand: any
// text must be refused or give a host and port that connect to what the text names, and the
// address written back from them must read the same.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "link/tcp_channel.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096) return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const std::string& device : {text, "tcp://" + text}) {
        vardo::TcpAddress address;
        if (!vardo::ParseTcpAddress(device, address)) continue;
        Check(!address.host.empty() && address.host.size() <= 255);
        // The host goes to the resolver as a C string: a byte it would cut or misread there
        // would connect somewhere the text does not say.
        for (char c : address.host) {
            const auto u = static_cast<unsigned char>(c);
            Check(u > ' ' && u != 0x7F && c != '[' && c != ']' && c != '/');
        }
        Check(!address.port.empty() && address.port.size() <= 5);
        long port = 0;
        for (char c : address.port) {
            Check(c >= '0' && c <= '9');
            port = port * 10 + (c - '0');
        }
        Check(port >= 1 && port <= 65535);

        const bool bracket = address.host.find(':') != std::string::npos;
        const std::string again = std::string("tcp://") + (bracket ? "[" : "") + address.host +
                                  (bracket ? "]" : "") + ":" + address.port;
        vardo::TcpAddress reread;
        Check(vardo::ParseTcpAddress(again, reread));
        Check(reread.host == address.host && reread.port == address.port);
    }
    return 0;
}
