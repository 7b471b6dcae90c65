// A file under the real-time writer's placeholder name may hold anything (a crash, a copy, the
// user's hand): recovery must never crash, never lose it, and change it only as its rule says.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "history/interrupted_save.h"

namespace {

namespace fs = std::filesystem;

void Check(bool condition) {
    if (!condition) std::abort();
}

std::vector<char> Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const fs::path& Home() {
    static const fs::path home = [] {
        char dir[] = "/tmp/vardo-fuzz-XXXXXX";
        const char* made = mkdtemp(dir);
        Check(made != nullptr);
        return fs::path(made);
    }();
    return home;
}

constexpr const char* kNames[] = {"08@1970-01-01_08-00-00.vd", "110@1969-12-31_16-00-00(3).dat",
                                  "08@1970-01-01_00-00-00.x_1", "08@2004-05-06_07-08-09.vd"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const fs::path dataDir = Home() / "Data";
    fs::remove_all(dataDir);
    fs::create_directories(dataDir);
    const std::string name = kNames[data[0] % std::size(kNames)];
    const std::vector<char> bytes(data + 1, data + size);
    {
        std::ofstream out(dataDir / name, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    const auto done = vardo::RecoverInterruptedSaves(Home().string());
    std::vector<fs::path> left;
    for (const auto& e : fs::directory_iterator(dataDir)) left.push_back(e.path());
    Check(done.size() <= 1);
    if (done.empty()) {
        // Left alone: as it was, where it was.
        Check(left.size() == 1 && left[0].filename() == name && Read(left[0]) == bytes);
    } else if (done[0].outcome == vardo::LeftoverSave::Outcome::Removed) {
        // Only a header and zeros may go.
        Check(left.empty() && bytes.size() >= 256);
        for (std::size_t i = 256; i < bytes.size(); ++i) Check(bytes[i] == 0);
    } else if (done[0].outcome == vardo::LeftoverSave::Outcome::Renamed) {
        Check(left.size() == 1 && left[0] == fs::path(done[0].to) && Read(left[0]) == bytes);
        (void)vardo::LeftoverSaveMessage(done[0]);
    }
    return 0;
}
