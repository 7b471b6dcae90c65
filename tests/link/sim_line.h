#pragma once
// A recorder served in-process on a pseudo-terminal and a link opened on it.

#include <memory>
#include <vector>

#include "link/recorder_link.h"
#include "pty_recorder.h"
#include "settings/comm_settings.h"

namespace vardo::test {

struct SimLine {
    explicit SimLine(const sim::RecorderConfig& recorder, const sim::FaultConfig& faults = {})
        : server(std::make_unique<sim::CPtyRecorder>(recorder, faults, 0)) {
        if (server->Start() != 1) return;
        server->StartThread();
        settings.portName = server->DevicePath();
        settings.address = recorder.address;
        settings.modelIndex = recorder.modelIndex;
        // A pseudo-terminal has no speed: unscaled time-outs, long enough that a busy machine
        // does not turn a slow answer into a lost one.
        settings.baudRate = 57600;
        settings.readIntervalTimeout = 50;
        settings.readTotalTimeoutConstant = 150;
        opened = link.Open(&settings, "/nonexistent/SetUp.ini") == 1;
    }

    sim::CRecorderModel& Model() { return server->Model(); }
    // The requests of `command` (0: all) since the log was last cleared.
    std::vector<sim::RequestLogEntry> Requests(std::uint8_t command = 0) {
        std::vector<sim::RequestLogEntry> out;
        for (const auto& e : Model().RequestLog()) {
            if (command == 0 || e.command == command) out.push_back(e);
        }
        return out;
    }

    std::unique_ptr<sim::CPtyRecorder> server;
    CommSettings settings;
    CRecorderLink link;
    bool opened = false;
};

inline sim::RecorderConfig FrozenRecorder(int model = 1) {
    sim::RecorderConfig c;
    c.modelIndex = model;
    c.frozen = true;
    c.newestTime = 1700000000 - 1700000000 % 240;
    return c;
}

}  // namespace vardo::test
