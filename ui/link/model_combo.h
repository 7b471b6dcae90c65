#pragma once
// What the two link dialogs share: the model drop-down and the word on a settings file that
// could not be written.

#include <string>

#include "base/reporter.h"

class QComboBox;

namespace vardo {

// Fills combo with the named models of the settings file, each item carrying its model index
// (only the models the program has a memory map for), and selects modelIndex when shown.
void FillModelCombo(QComboBox* combo, const std::string& settingsPath, int modelIndex);

void ReportSettingsWriteFailed(Reporter& reporter, const std::string& settingsPath);

}  // namespace vardo
