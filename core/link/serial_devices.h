#pragma once
// The serial devices this machine has, for the port choice: stable names under
// /dev/serial/by-id first, then USB and modem adapters they do not already name, then the
// built-in ports that answer (the kernel makes ttyS0..ttyS31 whether or not a UART is there).

#include <string>
#include <vector>

namespace vardo {

struct SerialDevice {
    std::string path;
    int error = 0;  // errno of a refused open (EACCES: not the user's to open), 0 when it opens
};

// devRoot stands for /dev (tests hand in a folder of their own).
std::vector<SerialDevice> ListSerialDevices(const std::string& devRoot = "/dev");

// Why the terminal at device would not open as a port, after an open that failed: the system's
// words for it ("No such file or directory", "Permission denied", "Device or resource busy"
// when another program holds it), or "Not a serial device" for a path that opens but is no
// terminal. Empty for a device server's address, and when the device opens now.
std::string PortRefusalReason(const std::string& device);

}  // namespace vardo
