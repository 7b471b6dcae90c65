#include "link/frame_codec.h"

namespace vardo {

std::uint8_t ComputeLrc(std::span<const std::uint8_t> message) {
    unsigned sum = 0;
    for (std::uint8_t b : message) sum += b;
    return static_cast<std::uint8_t>((256 - (sum & 0xFF)) & 0xFF);
}

char HexDigit(unsigned nibble) {
    nibble &= 0x0F;
    return static_cast<char>(nibble < 10 ? '0' + nibble : 'A' + nibble - 10);
}

unsigned HexValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned>(c - 55);
    if (c >= 'a' && c <= 'z') return static_cast<unsigned>(c - 87);
    return 0;
}

std::size_t EncodeFrame(std::span<const std::uint8_t> message, FrameChars& frame, char* lrcChars) {
    if (message.size() > kMaxFrameMessageBytes) return 0;
    std::size_t pos = 0;
    frame[pos++] = ':';
    for (std::uint8_t b : message) {
        frame[pos++] = HexDigit(b >> 4);
        frame[pos++] = HexDigit(b);
    }
    const std::uint8_t lrc = ComputeLrc(message);
    frame[pos++] = HexDigit(lrc >> 4);
    frame[pos++] = HexDigit(lrc);
    if (lrcChars != nullptr) {
        lrcChars[0] = frame[pos - 2];
        lrcChars[1] = frame[pos - 1];
    }
    frame[pos++] = '\r';
    frame[pos++] = '\n';
    return pos;
}

FrameCheck DecodeFrame(std::span<const char> in, FrameBytes& bytes, std::size_t& decodedCount) {
    decodedCount = 0;
    const std::size_t n = in.size();
    if (n == 0) return FrameCheck::Empty;
    if (n > kFrameBufferSize) return FrameCheck::NoCrLf;
    if (n < 2 || in[n - 2] != '\r' || in[n - 1] != '\n') return FrameCheck::NoCrLf;
    // The smallest frame is ':' + two check digits + CR LF.
    if (n < 5) return FrameCheck::OddLength;
    const std::size_t hexLength = n - 5;
    if (hexLength % 2 != 0) return FrameCheck::OddLength;
    const std::size_t count = hexLength / 2;
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<std::uint8_t>(
            (HexValue(in[1 + 2 * i]) * 16 + HexValue(in[2 + 2 * i])) & 0xFF);
    }
    const std::uint8_t lrc = ComputeLrc(std::span<const std::uint8_t>(bytes.data(), count));
    if (in[n - 4] != HexDigit(lrc >> 4) || in[n - 3] != HexDigit(lrc)) return FrameCheck::BadLrc;
    decodedCount = count;
    return FrameCheck::Valid;
}

FrameCheck CheckReply(std::span<const char> request, std::span<const char> reply,
                      std::size_t wantedData, FrameBytes& bytes, std::size_t& decodedCount) {
    FrameBytes decoded{};
    std::size_t count = 0;
    const FrameCheck check = DecodeFrame(reply, decoded, count);
    if (check != FrameCheck::Valid) return check;
    if (request.size() < 5 || reply.size() < 5) return FrameCheck::WrongSender;
    for (std::size_t i = 1; i <= 4; ++i) {
        if (reply[i] != request[i]) return FrameCheck::WrongSender;
    }
    // A reply that leaves requested bytes out would hand the caller stale buffer contents.
    if (count < 3 || count - 3 < wantedData) return FrameCheck::TooShort;
    // The caller's reply buffer keeps the previous reply until this one has passed every check.
    for (std::size_t i = 0; i < count; ++i) bytes[i] = decoded[i];
    decodedCount = count;
    return FrameCheck::Valid;
}

bool FrameAssembler::Push(char c) {
    if (c == ':') length = 0;
    if (length >= buffer.size()) length = 0;
    buffer[length++] = c;
    if (length == buffer.size()) return true;
    return length >= 2 && buffer[length - 2] == '\r' && buffer[length - 1] == '\n';
}

}  // namespace vardo
