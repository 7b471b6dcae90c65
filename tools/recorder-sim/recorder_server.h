#pragma once
// Serves a CRecorderModel on a pseudo-terminal or on a TCP port of the loopback address (as a
// serial device server would), at a chosen line speed and with a bad line or a misbehaving
// recorder on demand. The program opens the terminal's device like a serial port, or connects
// to tcp://127.0.0.1:PORT.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "recorder_model.h"

namespace vardo::sim {

// Each switch takes a period N: the fault hits every Nth reply (1: every reply, 0: never).
struct FaultConfig {
    int dropEvery = 0;          // no reply at all
    int badLrcEvery = 0;        // check digits off by one
    int wrongAddressEvery = 0;  // reply carries another recorder's address
    int exceptionEvery = 0;     // exception reply (command | 0x80, code 0x04)
    int noiseEvery = 0;         // a few characters after the LF, in the same burst
    int stallAfter = 0;         // after this many replies the recorder goes silent...
    int stallMs = 0;            // ...for this long (0: for good)
};

class CRecorderServer {
  public:
    CRecorderServer(const RecorderConfig& recorder, const FaultConfig& faults, int baud);
    ~CRecorderServer();
    CRecorderServer(const CRecorderServer&) = delete;
    CRecorderServer& operator=(const CRecorderServer&) = delete;

    // Creates the pseudo-terminal; 1 on success. DevicePath() then names its device.
    int Start();
    // Listens on 127.0.0.1:port instead (0: a free port); 1 on success. DevicePath() then is
    // "tcp://127.0.0.1:PORT". One client at a time: a new connection replaces the old one.
    int Listen(int port);
    const std::string& DevicePath() const { return devicePath; }

    // Serves until `stop` is set.
    void Run(const std::atomic<bool>& stop);
    // Serves on a thread of its own until StopThread() or destruction.
    void StartThread();
    void StopThread();

    CRecorderModel& Model() { return model; }
    std::uint64_t Replies() const { return replies.load(); }

  private:
    void Handle(std::span<const char> request);
    void Send(const std::string& text, std::size_t requestChars);
    void Accept();
    // Where requests come from and replies go: the terminal's master, or the TCP client.
    int Peer() const { return listener >= 0 ? client : master; }

    CRecorderModel model;
    FaultConfig faults;
    int baud = 0;
    int master = -1;
    int slaveKeeper = -1;
    int listener = -1;
    int client = -1;
    std::string devicePath;
    std::atomic<std::uint64_t> replies{0};
    std::chrono::steady_clock::time_point stalledUntil{};
    bool stalledForGood = false;
    std::atomic<bool> stopFlag{false};
    std::thread thread;
};

}  // namespace vardo::sim
