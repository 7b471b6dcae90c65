#pragma once
// --recorder [SITE/]ADDRESS[:MODEL]: which of the archive's recorders a reading command means.
// The model may be left out while the address has records of one model only.

#include <string>
#include <string_view>
#include <vector>

#include "archive/archive_store.h"

namespace vardo {

// Parses the text the user typed; false when it is not [SITE/]ADDRESS[:MODEL] with ADDRESS a
// whole number from 0 to 255 (the site is what precedes the last '/', the model what follows the
// ':' after the address).
[[nodiscard]] bool ParseRecorderChoice(std::string_view text, RecorderKey& out);

enum class RecorderChoice { Found, None, SeveralModels };

// Finds the recorder chosen among those the archive holds. SeveralModels: the address has
// records of several models and none was given.
[[nodiscard]] RecorderChoice ChooseRecorder(const std::vector<RecorderSummary>& recorders,
                                            const RecorderKey& chosen, RecorderSummary& out);

// The message for a choice that found no single recorder.
std::string RecorderChoiceMessage(RecorderChoice choice, const RecorderKey& chosen,
                                  const std::vector<RecorderSummary>& recorders);

}  // namespace vardo
