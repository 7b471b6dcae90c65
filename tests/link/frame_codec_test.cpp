#include "link/frame_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vardo {
namespace {

std::string Encode(const std::vector<std::uint8_t>& message) {
    FrameChars frame{};
    const std::size_t n = EncodeFrame(message, frame);
    return std::string(frame.data(), n);
}

TEST(FrameCodec, RequestFrameIsColonHexLrcCrLf) {
    struct Case {
        std::vector<std::uint8_t> message;
        std::string frame;
    };
    const Case cases[] = {
        {{0x08, 0x03, 0x70, 0xEC, 0x00, 0x01}, ":080370EC000198\r\n"},
        {{0x01, 0x13, 0x16, 0x00, 0x00, 0x40}, ":01131600004096\r\n"},
        {{0xFF, 0x03, 0xFF, 0xFF, 0x00, 0x40}, ":FF03FFFF0040C0\r\n"},
        {{}, ":00\r\n"},
        {{0x00}, ":0000\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(Encode(c.message), c.frame);
}

TEST(FrameCodec, LrcIsTwosComplementOfByteSum) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        std::uint8_t lrc;
    };
    const Case cases[] = {
        {{0x08, 0x03, 0x70, 0xEC, 0x00, 0x01}, 0x98},
        {{}, 0x00},
        {{0x80, 0x80}, 0x00},
        {{0x01}, 0xFF},
        {{0xFF, 0xFF, 0xFF}, 0x03},
    };
    for (const Case& c : cases) EXPECT_EQ(ComputeLrc(c.bytes), c.lrc);
}

TEST(FrameCodec, HexDigitsDecodeLeniently) {
    struct Case {
        char c;
        unsigned value;
    };
    const Case cases[] = {{'0', 0},  {'9', 9},  {'A', 10}, {'F', 15}, {'a', 10}, {'f', 15},
                          {'G', 16}, {'g', 16}, {':', 0},  {' ', 0},  {'\r', 0}, {'Z', 35}};
    for (const Case& c : cases) EXPECT_EQ(HexValue(c.c), c.value) << c.c;
}

TEST(FrameCodec, OversizedMessageIsNotFramed) {
    FrameChars frame{};
    std::vector<std::uint8_t> fits(kMaxFrameMessageBytes, 0x11);
    std::vector<std::uint8_t> tooBig(kMaxFrameMessageBytes + 1, 0x11);
    EXPECT_EQ(EncodeFrame(fits, frame), 2 * kMaxFrameMessageBytes + 5);
    EXPECT_EQ(EncodeFrame(tooBig, frame), 0u);
}

// Request ":080370EC000198" asks 1 byte; replies below are checked against it.
TEST(FrameCodec, ReplyChecks) {
    const std::string request = ":080370EC000198\r\n";
    const std::string good = Encode({0x08, 0x03, 0x01, 0x05});  // ":08030105EF\r\n"
    struct Case {
        const char* name;
        std::string reply;
        std::size_t wanted;
        FrameCheck result;
    };
    const Case cases[] = {
        {"valid", good, 1, FrameCheck::Valid},
        {"lower-case data digits", ":080301ab49\r\n", 1, FrameCheck::Valid},
        {"lower-case check digits", ":08030105ef\r\n", 1, FrameCheck::BadLrc},
        {"wrong check", ":08030105EE\r\n", 1, FrameCheck::BadLrc},
        {"trailing noise after LF", good + "U", 1, FrameCheck::NoCrLf},
        {"no LF", ":08030105EF\r", 1, FrameCheck::NoCrLf},
        {"LF CR", ":08030105EF\n\r", 1, FrameCheck::NoCrLf},
        {"odd hex text", ":0803010EF\r\n", 1, FrameCheck::OddLength},
        {"just CR LF", "\r\n", 1, FrameCheck::OddLength},
        {"colon CR LF", ":\r\n", 1, FrameCheck::OddLength},
        {"empty", "", 1, FrameCheck::Empty},
        {"other address", Encode({0x09, 0x03, 0x01, 0x05}), 1, FrameCheck::WrongSender},
        {"other command", Encode({0x08, 0x13, 0x01, 0x05}), 1, FrameCheck::WrongSender},
        {"exception reply", Encode({0x08, 0x83, 0x04}), 1, FrameCheck::WrongSender},
        {"fewer bytes than asked", Encode({0x08, 0x03, 0x00}), 1, FrameCheck::TooShort},
        {"more bytes than asked", Encode({0x08, 0x03, 0x02, 0x05, 0x06}), 1, FrameCheck::Valid},
    };
    for (const Case& c : cases) {
        FrameBytes bytes{};
        std::size_t count = 0;
        EXPECT_EQ(CheckReply(request, c.reply, c.wanted, bytes, count), c.result) << c.name;
    }
}

TEST(FrameCodec, CheckedReplyIsDecodedAndFailedOneLeavesBufferAlone) {
    const std::string request = ":080370EC000198\r\n";
    FrameBytes bytes{};
    bytes.fill(0x77);
    std::size_t count = 0;
    ASSERT_EQ(CheckReply(request, Encode({0x08, 0x03, 0x01, 0xA5}), 1, bytes, count),
              FrameCheck::Valid);
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(bytes[3], 0xA5);
    EXPECT_EQ(CheckReply(request, Encode({0x09, 0x03, 0x01, 0x11}), 1, bytes, count),
              FrameCheck::WrongSender);
    EXPECT_EQ(bytes[0], 0x08);
    EXPECT_EQ(bytes[3], 0xA5);
}

TEST(FrameCodec, FullBufferWithoutCrLfIsRefusedWithoutOverrun) {
    const std::string request = ":080370EC000198\r\n";
    std::string reply(kFrameBufferSize, 'A');
    FrameBytes bytes{};
    std::size_t count = 0;
    EXPECT_EQ(CheckReply(request, reply, 1, bytes, count), FrameCheck::NoCrLf);
    reply[kFrameBufferSize - 2] = '\r';
    reply[kFrameBufferSize - 1] = '\n';
    reply[0] = ':';
    // 195 hex characters: odd.
    EXPECT_EQ(CheckReply(request, reply, 1, bytes, count), FrameCheck::OddLength);
    std::string longer(kFrameBufferSize + 10, '0');
    EXPECT_EQ(CheckReply(request, longer, 1, bytes, count), FrameCheck::NoCrLf);
}

TEST(FrameCodec, AssemblerSplitsStreamAtCrLfAndResyncsAtColon) {
    FrameAssembler a;
    const std::string stream = "xx:0801\r\n:0A0B";
    std::vector<std::string> frames;
    for (char c : stream) {
        if (a.Push(c)) {
            frames.emplace_back(a.Frame().begin(), a.Frame().end());
            a.Reset();
        }
    }
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], ":0801\r\n");
    for (char c : std::string("0C\r\n")) {
        if (a.Push(c)) frames.emplace_back(a.Frame().begin(), a.Frame().end());
    }
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1], ":0A0B0C\r\n");
}

}  // namespace
}  // namespace vardo

namespace vardo {
namespace {

TEST(FrameCodec, AddressAndCommandAreComparedAsWritten) {
    const std::string request = Encode({0x0A, 0x03, 0x70, 0xEC, 0x00, 0x01});
    std::string reply = Encode({0x0A, 0x03, 0x01, 0x05});
    FrameBytes bytes{};
    std::size_t count = 0;
    EXPECT_EQ(CheckReply(request, reply, 1, bytes, count), FrameCheck::Valid);
    reply[2] = 'a';  // same value, other text
    EXPECT_EQ(CheckReply(request, reply, 1, bytes, count), FrameCheck::WrongSender);
    reply = Encode({0x0A, 0x03, 0x01, 0x05});
    reply[0] = '#';  // the leading character is not examined
    EXPECT_EQ(CheckReply(request, reply, 1, bytes, count), FrameCheck::Valid);
}

}  // namespace
}  // namespace vardo
