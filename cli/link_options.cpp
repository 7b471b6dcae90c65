#include "link_options.h"

#include <cstdio>

#include "link/recorder_memory_map.h"
#include "settings/setup_ini.h"

namespace vardo::cli {

void AddLinkOptions(CLI::App* command, LinkOptions& options) {
    const CLI::Validator notEmpty(
        [](std::string& text) -> std::string { return text.empty() ? "needs a port name" : ""; },
        "");
    command
        ->add_option_function<std::string>(
            "--port", [&options](const std::string& name) { options.port = name; },
            "COMn through [Ports] of SetUp.ini, or a device path")
        ->type_name("COMn")
        ->check(notEmpty);
    AddWholeNumberOption(command, "--model", options.model, 0, kModelCount - 1,
                         "the model index (JlyIndex)");
    AddWholeNumberOption(command, "--address", options.address, 0, 255, "the recorder's address");
}

bool LoadLinkSettings(const std::string& settingsPath, const LinkOptions& options,
                      CommSettings& cs) {
    LoadCommSettings(settingsPath, cs);
    if (options.port) cs.portName = *options.port;
    if (options.model) cs.modelIndex = *options.model;
    if (options.address) cs.address = *options.address;
    if (IsValidModelIndex(cs.modelIndex)) return true;
    std::fprintf(stderr, "vardo-cli: model index %d (JlyIndex) is not one of 0..7\n",
                 cs.modelIndex);
    return false;
}

}  // namespace vardo::cli
