#pragma once
// Workbooks read back by an independent reader: xlrd, in its own process, as a script would.

#include <cstdio>
#include <string>

namespace vardo::testing {

// Runs a shell command and returns what it printed, with its exit status appended on failure.
inline std::string RunShell(const std::string& command) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return "popen failed";
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    const int status = ::pclose(pipe);
    return status == 0 ? out : out + "\nexit status " + std::to_string(status);
}

// Every sheet as tests/export/read_xls.py prints it; options "--edges" for the first and last
// two rows of each sheet only.
inline std::string ReadWithXlrd(const std::string& path, const std::string& options = "") {
    return RunShell("/usr/bin/python3 " VARDO_SOURCE_DIR "/tests/export/read_xls.py " + options +
                    " '" + path + "' 2>&1");
}

}  // namespace vardo::testing

namespace vardo::testing {

// An exported .xlsx (kind "xlsx", openpyxl) or .csv (kind "csv", Python's csv module) as
// tests/export/read_table.py prints it: as vardo-cli dump prints rows.
inline std::string ReadTable(const std::string& kind, const std::string& path) {
    return RunShell("/usr/bin/python3 " VARDO_SOURCE_DIR "/tests/export/read_table.py " + kind +
                    " '" + path + "' 2>&1");
}

}  // namespace vardo::testing
