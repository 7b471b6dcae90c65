#pragma once
// The file the reading commands are tried on: a wrapped ring of 131072 records a second apart up
// to 2099-12-31 23:59:59 in slot 3; channels 1 and 3 of 3 present: channel 1 holds slot % 256 on
// 0..255, channel 3 the rest to 255 on 0.0..100.0.

#include "../support/history_file_builder.h"

namespace vardo::testing {

inline FileLayout Wrapped() {
    FileLayout layout;
    layout.hasOldestByte = 0;
    layout.newestSlot = 3;
    layout.newest = {99, 12, 31, 23, 59, 59};
    layout.intervalCode = 0;
    layout.present = {1, 0, 1};
    layout.ranges = {{0, 0, 255, 0}, {0, 0, 255, 0}, {0, 0, 1000, 1}};
    layout.sample = [](int ch, std::uint32_t s) {
        return static_cast<std::uint8_t>(ch == 0 ? s % 256 : 255 - s % 256);
    };
    return layout;
}

}  // namespace vardo::testing
