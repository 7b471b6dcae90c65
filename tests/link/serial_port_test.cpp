#include "link/serial_port.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace vardo {
namespace {

// The far end of a pseudo-terminal, answering one request with a scripted series of writes.
class ScriptedPeer {
  public:
    struct Piece {
        std::string text;
        int delayMs = 0;  // before this piece
    };

    ScriptedPeer() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        grantpt(master);
        unlockpt(master);
        char name[128] = {};
        ptsname_r(master, name, sizeof name);
        device = name;
        // Left in the cooked mode a new terminal has: echo, line editing, CR to NL on input
        // and NL to CR NL on output. Only the port's own line setup makes a frame go through.
        keeper = ::open(name, O_RDWR | O_NOCTTY);
    }
    ~ScriptedPeer() {
        Join();
        ::close(keeper);
        ::close(master);
    }

    // Waits for one request frame, then plays `pieces`.
    void AnswerOnce(std::vector<Piece> pieces) {
        thread = std::thread([this, pieces] {
            char c;
            while (!request.ends_with("\r\n")) {
                pollfd p{master, POLLIN, 0};
                if (poll(&p, 1, 2000) <= 0) return;
                if (::read(master, &c, 1) == 1) request += c;
            }
            for (const Piece& piece : pieces) {
                std::this_thread::sleep_for(std::chrono::milliseconds(piece.delayMs));
                (void)!::write(master, piece.text.data(), piece.text.size());
            }
        });
    }
    void Join() {
        if (thread.joinable()) thread.join();
    }

    int master = -1;
    int keeper = -1;
    std::string device;
    std::string request;
    std::thread thread;
};

// Opens `port` at `baud` with a request for one byte from address 8 ready.
int OpenWithRequest(CSerialPort& port, const std::string& device, int baud = 57600) {
    const std::uint8_t request[6] = {0x08, 0x03, 0x70, 0xEC, 0x00, 0x01};
    std::copy(request, request + 6, port.requestBytes.begin());
    port.requestLength = 6;
    port.ExpectData(1);
    return port.Open(device, baud, 20, 20, 5, 50, 5);
}

TEST(SerialPort, PortIsExclusiveAndOnlyATerminal) {
    ScriptedPeer peer;
    CSerialPort first, second;
    ASSERT_GE(OpenWithRequest(first, peer.device), 0);
    EXPECT_LT(OpenWithRequest(second, peer.device), 0);
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(second.Close(), 0);
    EXPECT_EQ(second.Transact(), 0);
    EXPECT_EQ(first.Close(), 1);
    EXPECT_GE(OpenWithRequest(second, peer.device), 0);
    // Opening an open port again replaces its own handle instead of locking itself out.
    EXPECT_GE(OpenWithRequest(second, peer.device), 0);
    EXPECT_LT(OpenWithRequest(first, peer.device), 0);

    EXPECT_LT(OpenWithRequest(first, "/nonexistent/ttyS99"), 0);
    char file[] = "/tmp/vardo-port-XXXXXX";
    const int fd = mkstemp(file);
    ASSERT_GE(fd, 0);
    EXPECT_LT(OpenWithRequest(first, file), 0);
    EXPECT_FALSE(first.IsOpen());
    ::close(fd);
    ::unlink(file);
}

TEST(SerialPort, OpeningSetsTheLineRaw8N1WithoutFlowControl) {
    ScriptedPeer peer;
    termios before{};
    ASSERT_EQ(tcgetattr(peer.keeper, &before), 0);
    ASSERT_TRUE(before.c_lflag & ICANON);  // the terminal starts cooked
    CSerialPort port;
    ASSERT_GE(OpenWithRequest(port, peer.device, 9600), 0);
    termios tio{};
    ASSERT_EQ(tcgetattr(peer.keeper, &tio), 0);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ECHONL | ISIG | IEXTEN), 0u);
    EXPECT_EQ(tio.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | IXON | IXOFF | INPCK | PARMRK), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(tio.c_cc[VMIN], 0);
    EXPECT_EQ(tio.c_cc[VTIME], 0);
    EXPECT_EQ(cfgetispeed(&tio), static_cast<speed_t>(B9600));
}

TEST(SerialPort, TransactSendsFrameAndChecksReply) {
    const struct {
        const char* name;
        std::vector<ScriptedPeer::Piece> pieces;
        int result;
    } cases[] = {
        {"whole reply", {{":08030105EF\r\n"}}, 1},
        {"reply in pieces", {{":0803"}, {"0105", 5}, {"EF\r\n", 5}}, 1},
        {"noise after LF in the same burst", {{":08030105EF\r\nU"}}, 0},
        // At 9600 baud the interval time-out is 120 ms; a reply is complete at its CR LF all
        // the same, and what comes after a pause belongs to the next exchange.
        {"noise 100 ms after the reply", {{":08030105EF\r\n"}, {"U", 100}}, 1},
        {"no CR LF", {{":08030105EF"}}, 0},
        {"bad check", {{":08030105EE\r\n"}}, 0},
        {"other address", {{":09030105EE\r\n"}}, 0},
        {"exception", {{":088304\r\n"}}, 0},
        {"nothing", {}, 0},
    };
    for (const auto& c : cases) {
        ScriptedPeer peer;
        CSerialPort port;
        ASSERT_GE(OpenWithRequest(port, peer.device, 9600), 0);
        EXPECT_EQ(port.Timeouts().readInterval, 120);
        peer.AnswerOnce(c.pieces);
        EXPECT_EQ(port.Transact(), c.result) << c.name;
        peer.Join();
        EXPECT_EQ(peer.request, ":080370EC000198\r\n") << c.name;
        EXPECT_EQ(port.replyBytes[3], c.result ? 0x05 : 0) << c.name;
    }
}

TEST(SerialPort, InputWaitingBeforeTheRequestIsDiscarded) {
    ScriptedPeer peer;
    CSerialPort port;
    ASSERT_GE(OpenWithRequest(port, peer.device), 0);
    (void)!::write(peer.master, ":080301777D\r\n", 13);  // stale reply of an earlier exchange
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    peer.AnswerOnce({{":08030105EF\r\n", 5}});
    EXPECT_EQ(port.Transact(), 1);
    peer.Join();
    EXPECT_EQ(port.replyBytes[3], 0x05);
}

// A loopback listener that never accepts, its one queued connection taken: the kernel drops
// every further SYN, so a connection to it stays pending as one to a device server that is
// switched off.
struct DeafServer {
    int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int queued = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in at{};
    DeafServer() {
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof at;
        if (::bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 ||
            ::listen(listener, 0) != 0 ||
            ::getsockname(listener, reinterpret_cast<sockaddr*>(&at), &size) != 0 ||
            ::connect(queued, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0) {
            ADD_FAILURE() << "no loopback listener";
        }
    }
    ~DeafServer() {
        ::close(queued);
        ::close(listener);
    }
    std::string Device() const { return "tcp://127.0.0.1:" + std::to_string(ntohs(at.sin_port)); }
};

TEST(SerialPort, InterruptEndsAConnectionBeingMade) {
    DeafServer server;
    CSerialPort port;
    auto opened =
        std::async(std::launch::async, [&] { return OpenWithRequest(port, server.Device()); });
    // Still connecting: the server's time-out is seconds away.
    ASSERT_EQ(opened.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
    port.Interrupt();
    // Well inside the connection time-out: the interrupt, not the time-out, ended it.
    ASSERT_EQ(opened.wait_for(std::chrono::milliseconds(1500)), std::future_status::ready);
    EXPECT_LT(opened.get(), 0);
    EXPECT_FALSE(port.IsOpen());
}

}  // namespace
}  // namespace vardo
