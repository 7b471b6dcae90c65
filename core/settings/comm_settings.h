#pragma once
// How to reach the recorder; persisted in section ComSet of SetUp.ini.

#include <string>

namespace vardo {

struct CommSettings {
    std::string portName = "COM1";  // read into 5 bytes: "COM10" reads as "COM1"
    int baudRate = 9600;
    int address = 8;
    int readIntervalTimeout = 20;
    int readTotalTimeoutConstant = 20;
    int readTotalTimeoutMultiplier = 5;
    int writeTotalTimeoutConstant = 50;
    int writeTotalTimeoutMultiplier = 5;
    int readAttempts = 2;             // ReadDefaultErrorTimes
    int writeAttempts = 3;            // WriteDefaultErrorTimes: kept and saved, used by nothing
    std::string modelType = "ZT880";  // JlyType, at most 10 characters
    int samplingInterval = 1;         // Interval: code into IntervalTable
    int modelIndex = 0;               // JlyIndex
};

}  // namespace vardo
