// --recorder is typed by the user and comes from scripts: any text must be refused or give a
// recorder whose own spelling reads back the same.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "archive/recorder_choice.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096) return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    vardo::RecorderKey key;
    if (!vardo::ParseRecorderChoice(text, key)) return 0;
    if (key.address < 0 || key.address > 255) std::abort();
    std::string again = key.site.empty() ? "" : key.site + "/";
    if (text.find('/') != std::string::npos && key.site.empty()) again = "/";
    again += std::to_string(key.address);
    if (!key.model.empty()) again += ":" + key.model;
    vardo::RecorderKey reread;
    if (!vardo::ParseRecorderChoice(again, reread) || !(reread == key)) std::abort();
    return 0;
}
