#include "link/frame_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vardo {
namespace {

std::string Encode(const std::vector<std::uint8_t>& message) {
    FrameChars frame{};
    return std::string(frame.data(), EncodeFrame(message, frame));
}

// The check character pair is the two's complement of the byte sum.
TEST(FrameCodec, RequestFrameIsColonHexLrcCrLf) {
    const std::pair<std::vector<std::uint8_t>, std::string> cases[] = {
        {{0x08, 0x03, 0x70, 0xEC, 0x00, 0x01}, ":080370EC000198\r\n"},
        {{0xFF, 0x03, 0xFF, 0xFF, 0x00, 0x40}, ":FF03FFFF0040C0\r\n"},
        {{0x80, 0x80}, ":808000\r\n"},
        {{0x01}, ":01FF\r\n"},
        {{}, ":00\r\n"},
    };
    for (const auto& [message, frame] : cases) EXPECT_EQ(Encode(message), frame);
    FrameChars frame{};
    EXPECT_EQ(EncodeFrame(std::vector<std::uint8_t>(kMaxFrameMessageBytes, 1), frame),
              2 * kMaxFrameMessageBytes + 5);
    EXPECT_EQ(EncodeFrame(std::vector<std::uint8_t>(kMaxFrameMessageBytes + 1, 1), frame), 0u);
}

TEST(FrameCodec, ReplyChecks) {
    const std::string request = ":080370EC000198\r\n";          // asks for 1 byte
    const std::string good = Encode({0x08, 0x03, 0x01, 0x05});  // ":08030105EF\r\n"
    const std::string requestA = Encode({0x0A, 0x03, 0x70, 0xEC, 0x00, 0x01});
    std::string lowerAddress = Encode({0x0A, 0x03, 0x01, 0x05});
    lowerAddress[2] = 'a';  // same value, other text: compared as written
    const struct {
        const char* name;
        std::string request, reply;
        FrameCheck result;
    } cases[] = {
        {"valid", request, good, FrameCheck::Valid},
        {"leading character not examined", request, "#" + good.substr(1), FrameCheck::Valid},
        {"lower-case data digits", request, ":080301ab49\r\n", FrameCheck::Valid},
        {"more bytes than asked", request, Encode({8, 3, 2, 5, 6}), FrameCheck::Valid},
        {"lower-case check digits", request, ":08030105ef\r\n", FrameCheck::BadLrc},
        {"wrong check", request, ":08030105EE\r\n", FrameCheck::BadLrc},
        {"trailing noise after LF", request, good + "U", FrameCheck::NoCrLf},
        {"no LF", request, ":08030105EF\r", FrameCheck::NoCrLf},
        {"LF CR", request, ":08030105EF\n\r", FrameCheck::NoCrLf},
        {"full buffer, no CR LF", request, std::string(kFrameBufferSize, 'A'), FrameCheck::NoCrLf},
        {"beyond the buffer", request, std::string(kFrameBufferSize + 10, '0'), FrameCheck::NoCrLf},
        {"odd hex text", request, ":0803010EF\r\n", FrameCheck::OddLength},
        {"colon CR LF", request, ":\r\n", FrameCheck::OddLength},
        {"empty", request, "", FrameCheck::Empty},
        {"other address", request, Encode({0x09, 0x03, 0x01, 0x05}), FrameCheck::WrongSender},
        {"other command", request, Encode({0x08, 0x13, 0x01, 0x05}), FrameCheck::WrongSender},
        {"exception reply", request, Encode({0x08, 0x83, 0x04}), FrameCheck::WrongSender},
        {"address letters in other case", requestA, lowerAddress, FrameCheck::WrongSender},
        {"fewer bytes than asked", request, Encode({0x08, 0x03, 0x00}), FrameCheck::TooShort},
    };
    for (const auto& c : cases) {
        FrameBytes bytes{};
        std::size_t count = 0;
        EXPECT_EQ(CheckReply(c.request, c.reply, 1, bytes, count), c.result) << c.name;
    }
}

TEST(FrameCodec, CheckedReplyIsDecodedAndFailedOneLeavesBufferAlone) {
    const std::string request = ":080370EC000198\r\n";
    FrameBytes bytes{};
    std::size_t count = 0;
    ASSERT_EQ(CheckReply(request, Encode({8, 3, 1, 0xA5}), 1, bytes, count), FrameCheck::Valid);
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(bytes[3], 0xA5);
    EXPECT_EQ(CheckReply(request, Encode({9, 3, 1, 0x11}), 1, bytes, count),
              FrameCheck::WrongSender);
    EXPECT_EQ(bytes[0], 0x08);
    EXPECT_EQ(bytes[3], 0xA5);
}

TEST(FrameCodec, AssemblerSplitsStreamAtCrLfAndResyncsAtColon) {
    FrameAssembler a;
    std::vector<std::string> frames;
    for (char c : std::string("xx:0801\r\n:0A0B") + "0C\r\n") {
        if (!a.Push(c)) continue;
        frames.emplace_back(a.Frame().begin(), a.Frame().end());
        a.Reset();
    }
    EXPECT_EQ(frames, (std::vector<std::string>{":0801\r\n", ":0A0B0C\r\n"}));
}

}  // namespace
}  // namespace vardo
