// The recorder list is typed by hand into SetUp.ini: any text must parse, every recorder taken
// must pass the writer's own check and read back the same once written.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/ini_file.h"
#include "settings/recorder_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > vardo::ini::kMaxFileSize) return 0;
    const vardo::ini::DecodedText text =
        vardo::ini::Decode(std::string_view(reinterpret_cast<const char*>(data), size));
    const vardo::RecorderList list = vardo::ParseRecorderList(text.text);
    for (const vardo::RecorderEntry& r : list.recorders) {
        if (r.name.size() > vardo::kMaxRecorderNameBytes ||
            r.port.size() > vardo::kMaxRecorderPortBytes || r.address < 0 || r.address > 255 ||
            r.modelIndex < 0 || r.modelIndex > 7)
            std::abort();
        if (!vardo::CheckRecorder(r).empty()) continue;  // a name with a bracket: read, not written
        std::string alone;
        for (const auto& [key, value] :
             {std::pair<const char*, std::string>{"Port", r.port},
              {"Address", std::to_string(r.address)},
              {"JlyIndex", std::to_string(r.modelIndex)},
              {"Baudrate", r.baudRate ? std::to_string(*r.baudRate) : std::string()},
              {"Site", r.site}})
            alone = vardo::ini::Replace(alone, "Recorder:" + r.name, key, value);
        const vardo::RecorderList again = vardo::ParseRecorderList(alone);
        if (again.recorders.size() != 1 || !(again.recorders[0] == r)) std::abort();
    }
    return 0;
}
