// Reply checks of the serial transport against arbitrary line input: nothing is read or
// written outside the 200-character frame and 200-byte reply buffers, and whatever passes the
// checks re-encodes to a frame of the same length.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "link/frame_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vardo;
    if (size < 2) return 0;
    // The first bytes choose the request; the rest is what came down the line.
    const std::uint8_t message[6] = {data[0], static_cast<std::uint8_t>(data[1] & 0x13), 0x70, 0xEC,
                                     0x00,    static_cast<std::uint8_t>(data[1] & 0x3F)};
    FrameChars request{};
    const std::size_t requestLength = EncodeFrame(message, request);
    const std::size_t wanted = message[5];
    const auto* line = reinterpret_cast<const char*>(data + 2);
    const std::size_t lineLength = size - 2;

    // The port never hands over more than its buffer holds.
    FrameChars incoming{};
    const std::size_t n = lineLength < incoming.size() ? lineLength : incoming.size();
    for (std::size_t i = 0; i < n; ++i) incoming[i] = line[i];

    FrameBytes reply{};
    std::size_t count = 0;
    const FrameCheck check =
        CheckReply(std::span<const char>(request.data(), requestLength),
                   std::span<const char>(incoming.data(), n), wanted, reply, count);
    if (check == FrameCheck::Valid) {
        if (count < 3 + wanted || count > kMaxFrameMessageBytes) std::abort();
        FrameChars again{};
        if (EncodeFrame(std::span<const std::uint8_t>(reply.data(), count), again) != n) {
            std::abort();
        }
    }
    // Unbounded input straight into the decoder and the simulator's frame splitter.
    if (DecodeFrame(std::span<const char>(line, lineLength), reply, count) == FrameCheck::Valid &&
        count > kMaxFrameMessageBytes) {
        std::abort();
    }
    FrameAssembler assembler;
    for (std::size_t i = 0; i < lineLength; ++i) {
        if (assembler.Push(line[i])) {
            if (assembler.Frame().size() > kFrameBufferSize) std::abort();
            if (DecodeFrame(assembler.Frame(), reply, count) == FrameCheck::Valid &&
                count > kMaxFrameMessageBytes) {
                std::abort();
            }
            assembler.Reset();
        }
    }
    return 0;
}
