#pragma once
// The options every recorder command shares: they override the ComSet settings for one run
// and are never saved.

#include <string>

#include "settings/comm_settings.h"

namespace vardo::cli {

// Applies `option` with `value` when it is one of --port, --model, --address. Returns 1 when
// applied, 0 when the option is not one of them, -1 when the value is refused (error printed).
int ApplyLinkOption(const std::string& option, const std::string& value, CommSettings& cs);

// A model index read from SetUp.ini may be anything; false (with a message) when it names no
// model of the memory map.
bool CheckModelIndex(const CommSettings& cs);

// Parses a whole decimal number; false for anything else.
bool ParseNumber(const std::string& text, long& out);

}  // namespace vardo::cli
