#pragma once
// A recorder served in-process on a pseudo-terminal, and settings that reach it.

#include <memory>
#include <string>

#include "pty_recorder.h"
#include "settings/comm_settings.h"

namespace vardo::test {

struct SimLine {
    explicit SimLine(const sim::RecorderConfig& recorder, const sim::FaultConfig& faults = {},
                     int baud = 0)
        : server(std::make_unique<sim::CPtyRecorder>(recorder, faults, baud)) {
        started = server->Start() == 1;
        if (started) server->StartThread();
        settings.portName = server->DevicePath();
        settings.address = recorder.address;
        settings.modelIndex = recorder.modelIndex;
        // A pseudo-terminal has no speed: unscaled time-outs, long enough that a busy machine
        // does not turn a slow answer into a lost one.
        settings.baudRate = 57600;
        settings.readIntervalTimeout = 50;
        settings.readTotalTimeoutConstant = 150;
    }

    sim::CRecorderModel& Model() { return server->Model(); }

    std::unique_ptr<sim::CPtyRecorder> server;
    CommSettings settings;
    bool started = false;
};

inline sim::RecorderConfig FrozenRecorder(int model = 1) {
    sim::RecorderConfig c;
    c.modelIndex = model;
    c.frozen = true;
    c.newestTime = 1700000000 - 1700000000 % 240;
    return c;
}

}  // namespace vardo::test
