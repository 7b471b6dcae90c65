#pragma once
// The settings panel docked at the left of the curve view: the channel colour list, the axis
// modes, the value scale and the grid lines. It edits the document's display settings in place
// and tells its owner after every change (the view persists them and redraws). Keys typed into
// its fields stay there: digits and arrows edit the field and never reach the view's commands.

#include <QWidget>
#include <functional>

#include "base/reporter.h"
#include "settings/display_settings.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vardo {

class CColorListBox;

class CSetPanel : public QWidget {
  public:
    CSetPanel(Reporter& reporter, QWidget* parent);

    // Takes the settings to edit and shows their values.
    void LoadFrom(DisplaySettings& ds);
    // Rows for the settings' channels; again after a file with other channels opened.
    void RefreshChannels();

    std::function<void()> onChanged;

    void OnYMode();             // 1004, 1005
    void OnXMode();             // 1008, 1009
    void OnGridXChanged();      // 1010
    void OnGridYChanged();      // 1011
    void OnScaleLowChanged();   // 1006
    void OnScaleHighChanged();  // 1007
    void OnSelectCurves();      // 1014
    // The option of what is shown: a span keeps its own, on unless turned off.
    void SetSpanShown(bool span);

    // The fields' variables: what the controls last held as numbers.
    int gridX = 0;
    int gridY = 0;
    int scaleHigh = 0;
    int scaleLow = 0;
    int xMode = -1;
    int yMode = -1;

    CColorListBox* list;  // 1000
    QPushButton* selectCurves;
    QRadioButton* valueMode;
    QRadioButton* percentMode;
    QLineEdit* scaleLowEdit;
    QLineEdit* scaleHighEdit;
    QRadioButton* longTime;
    QRadioButton* shortTime;
    QLineEdit* gridXEdit;
    QLineEdit* gridYEdit;
    QCheckBox* peakEnvelope = nullptr;

  protected:
    // No dialog navigation: Tab stays in the field it was typed into, and goes no further up.
    bool focusNextPrevChild(bool) override { return false; }
    bool event(QEvent* e) override;

  private:
    // Reads every control into the variables; a field that holds no number is told about and
    // shows its previous number again, and nothing is read.
    bool ReadControls();
    void WriteControls();
    // A number field was typed into: the variable bounded by clamp goes into the settings.
    void NumberChanged(int& variable, int (*clamp)(int), int DisplaySettings::*target);
    void Changed();

    Reporter& reporter_;
    DisplaySettings* ds_ = nullptr;
    QButtonGroup* yGroup_;
    QButtonGroup* xGroup_;
    bool spanShown_ = false;
};

}  // namespace vardo
