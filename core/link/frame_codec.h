#pragma once
// Modbus ASCII framing as the recorder speaks it: ':' + upper-case hex of the message + LRC +
// CR LF. Pure functions over fixed 200-character buffers; the port and the recorder simulator
// both use them, so neither can drift from the other.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace vardo {

inline constexpr std::size_t kFrameBufferSize = 200;
// ':' + 2 hex per byte + 2 LRC digits + CR LF must fit the frame buffer.
inline constexpr std::size_t kMaxFrameMessageBytes = (kFrameBufferSize - 5) / 2;

using FrameChars = std::array<char, kFrameBufferSize>;
using FrameBytes = std::array<std::uint8_t, kFrameBufferSize>;

// (256 - sum of bytes) mod 256.
std::uint8_t ComputeLrc(std::span<const std::uint8_t> message);

char HexDigit(unsigned nibble);
// Lenient on purpose: lower-case letters decode, anything that is not a digit decodes as 0.
unsigned HexValue(char c);

// Frames `message` into `frame`; returns the frame length, 0 when the message does not fit.
// The two LRC characters are also stored in lrcChars when given.
std::size_t EncodeFrame(std::span<const std::uint8_t> message, FrameChars& frame,
                        char* lrcChars = nullptr);

// Why a received frame was refused; Valid means the bytes were decoded.
enum class FrameCheck {
    Valid,
    Empty,        // nothing received
    NoCrLf,       // does not end in CR LF (trailing noise included)
    OddLength,    // hex text of odd length
    BadLrc,       // check digits differ from the computed LRC, compared as upper-case text
    WrongSender,  // address or command text differs from the request's
    TooShort,     // fewer data bytes than the request asked for
};

// Checks a received frame in[0..length) without looking at its first character and decodes the
// hex text into `bytes`; decodedCount receives the number of message bytes.
[[nodiscard]] FrameCheck DecodeFrame(std::span<const char> in, FrameBytes& bytes,
                                     std::size_t& decodedCount);

// A recorder's reply to `request` (the frame that was sent): DecodeFrame, then the reply must
// repeat the request's address and command text exactly (an exception reply, with the high
// bit of the command set, fails here), and carry at least `wantedData` bytes after its
// byte-count field.
[[nodiscard]] FrameCheck CheckReply(std::span<const char> request, std::span<const char> reply,
                                    std::size_t wantedData, FrameBytes& bytes,
                                    std::size_t& decodedCount);

// Splits a byte stream into frames: feed characters as they arrive; a frame is complete when
// the last two characters are CR LF or the buffer is full. Used by the recorder simulator.
class FrameAssembler {
  public:
    // Returns true when `c` completed a frame (available through Frame()).
    bool Push(char c);
    std::span<const char> Frame() const { return {buffer.data(), length}; }
    void Reset() { length = 0; }

  private:
    FrameChars buffer{};
    std::size_t length = 0;
};

}  // namespace vardo
