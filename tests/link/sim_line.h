#pragma once
// A recorder served in-process on a pseudo-terminal or a loopback TCP port, and a link opened
// on it.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "link/recorder_link.h"
#include "recorder_server.h"
#include "settings/comm_settings.h"

namespace vardo::test {

enum class Transport { Pty, Tcp };

inline const char* TransportName(const ::testing::TestParamInfo<Transport>& info) {
    return info.param == Transport::Pty ? "Pty" : "Tcp";
}

struct SimLine {
    explicit SimLine(const sim::RecorderConfig& recorder, const sim::FaultConfig& faults = {},
                     Transport transport = Transport::Pty)
        : server(std::make_unique<sim::CRecorderServer>(recorder, faults, 0)) {
        if ((transport == Transport::Pty ? server->Start() : server->Listen(0)) != 1) return;
        server->StartThread();
        settings.portName = server->DevicePath();
        settings.address = recorder.address;
        settings.modelIndex = recorder.modelIndex;
        // A pseudo-terminal has no speed: unscaled time-outs, long enough that a busy machine
        // does not turn a slow answer into a lost one.
        settings.baudRate = 57600;
        settings.readIntervalTimeout = 50;
        settings.readTotalTimeoutConstant = 150;
        opened = link.Open(settings, "/nonexistent/SetUp.ini") == 1;
    }

    sim::CRecorderModel& Model() { return server->Model(); }
    // The link's own copy of the settings, which its reads follow.
    CommSettings& LinkSettings() { return *link.settings; }
    // The requests of `command` (0: all) since the log was last cleared.
    std::vector<sim::RequestLogEntry> Requests(std::uint8_t command = 0) {
        std::vector<sim::RequestLogEntry> out;
        for (const auto& e : Model().RequestLog()) {
            if (command == 0 || e.command == command) out.push_back(e);
        }
        return out;
    }

    std::unique_ptr<sim::CRecorderServer> server;
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
