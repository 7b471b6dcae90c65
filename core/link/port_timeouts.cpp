#include "link/port_timeouts.h"

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
    const int k = TimeoutScale(baudRate);
    PortTimeouts t = configured;
    t.readInterval = configured.readInterval * k;
    t.readTotalConstant = configured.readTotalConstant * k;
    t.writeTotalConstant = configured.writeTotalConstant * k;
    return t;
}

}  // namespace vardo
