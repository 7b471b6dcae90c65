#pragma once
// The port's time-outs: configured in units of one character time at 57600 baud, stretched
// for slower lines. Pure arithmetic, shared by the port and its tests.

namespace vardo {

struct PortTimeouts {
    int readInterval = 0;         // ms allowed between two received characters
    int readTotalConstant = 0;    // ms per read call
    int readTotalMultiplier = 0;  // ms per requested character
    int writeTotalConstant = 0;
    int writeTotalMultiplier = 0;
};

// 57600 / baud for the listed rates, 1 for any other rate.
int TimeoutScale(int baudRate);

// Constants and the interval scale with the line; the per-character multipliers do not.
PortTimeouts ScaleTimeouts(int baudRate, const PortTimeouts& configured);

// Budget of one read of `count` characters, in ms.
inline long ReadTotalBudget(const PortTimeouts& t, int count) {
    return static_cast<long>(t.readTotalMultiplier) * count + t.readTotalConstant;
}
inline long WriteTotalBudget(const PortTimeouts& t, int count) {
    return static_cast<long>(t.writeTotalMultiplier) * count + t.writeTotalConstant;
}

}  // namespace vardo
