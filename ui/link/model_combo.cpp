#include "link/model_combo.h"

#include <QComboBox>
#include <cstdio>

#include "app/ui_text.h"
#include "base/model_table.h"
#include "base/texts.h"
#include "settings/setup_ini.h"

namespace vardo {

void FillModelCombo(QComboBox* combo, const std::string& settingsPath, int modelIndex) {
    // A blank name between two models must not shift the index saved for the ones after it.
    const ModelList names = ReadModelList(settingsPath);
    combo->clear();
    for (int i = 0; i < kModelCount; ++i) {
        const std::string& name = names.names[static_cast<std::size_t>(i)];
        if (!name.empty()) combo->addItem(UiMessage(name), i);
    }
    combo->setCurrentIndex(combo->findData(modelIndex));
}

void ReportSettingsWriteFailed(Reporter& reporter, const std::string& settingsPath) {
    char text[4200];
    std::snprintf(text, sizeof text, UiFormat(texts::kSettingsWriteFailed), settingsPath.c_str());
    reporter.ShowMessage(text, MessageIcon::Error);
}

}  // namespace vardo
