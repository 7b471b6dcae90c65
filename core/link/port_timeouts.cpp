#include "link/port_timeouts.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace vardo {

int TimeoutScale(int baudRate) {
    switch (baudRate) {
        case 1200:
            return 48;
        case 2400:
            return 24;
        case 4800:
            return 12;
        case 9600:
            return 6;
        case 19200:
            return 3;
        case 38400:
            return 2;
        default:
            return 1;
    }
}

PortTimeouts ScaleTimeouts(int baudRate, const PortTimeouts& configured) {
    // SetUp.ini may hold any int: a time-out that long is a line without one, and stays an int.
    const auto scaled = [k = static_cast<std::int64_t>(TimeoutScale(baudRate))](int ms) {
        return static_cast<int>(std::clamp<std::int64_t>(ms * k, 0, INT_MAX));
    };
    PortTimeouts t = configured;
    t.readInterval = scaled(configured.readInterval);
    t.readTotalConstant = scaled(configured.readTotalConstant);
    t.writeTotalConstant = scaled(configured.writeTotalConstant);
    return t;
}

}  // namespace vardo
