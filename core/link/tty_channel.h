#pragma once
// A local serial line: a terminal device opened exclusively and set raw.

#include <string>

#include "base/unique_fd.h"
#include "link/byte_channel.h"

namespace vardo {

class CTtyChannel : public CByteChannel {
  public:
    ~CTtyChannel() override;
    // Opens `device` exclusively (a second open, from any process, fails) and sets the line up
    // at once, so that a terminal left in its cooked mode never echoes or translates a byte.
    // 1 on success.
    [[nodiscard]] int Open(const std::string& device, int baud);

    int Descriptor() const override { return fd_.Get(); }
    long Read(char* dest, std::size_t max) override;
    long Write(const char* data, std::size_t size) override;
    void ApplyLineState(int baud) override;
    void DiscardInput() override;

  private:
    UniqueFd fd_;
};

}  // namespace vardo
