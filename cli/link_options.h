#pragma once
// The options every recorder command shares: they override the ComSet settings for one run
// and are never saved.

#include <optional>
#include <string>

#include "commands.h"
#include "settings/comm_settings.h"

namespace vardo::cli {

struct LinkOptions {
    std::optional<std::string> port;
    std::optional<int> model;
    std::optional<int> address;
};

// Adds --port, --model and --address to command, kept in options.
void AddLinkOptions(CLI::App* command, LinkOptions& options);
// The link's settings for this run: those of settingsPath with what was given put over them.
// A model index read from SetUp.ini may be anything: false (with a message) when the one in
// force names no model of the memory map.
bool LoadLinkSettings(const std::string& settingsPath, const LinkOptions& options,
                      CommSettings& cs);

}  // namespace vardo::cli
