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
// Puts what was given over the settings read from SetUp.ini.
void ApplyLinkOptions(const LinkOptions& options, CommSettings& cs);

// A model index read from SetUp.ini may be anything; false (with a message) when it names no
// model of the memory map.
bool CheckModelIndex(const CommSettings& cs);

}  // namespace vardo::cli
