#include "curves/set_panel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <utility>

#include "app/dialog_units.h"
#include "app/ui_text.h"
#include "base/dialog_integer.h"
#include "base/texts.h"
#include "curves/color_list_box.h"
#include "curves/set_panel_rules.h"

namespace vardo {

namespace {

// Dialog resource 130: 107 x 433 dialog units.
constexpr int kPanelWidthDu = 107;
constexpr int kPanelHeightDu = 433;

QString U(const char* s) {
    return QString::fromUtf8(s);
}

// Checks the button of a mode, or none for a value that is neither.
void ShowMode(QButtonGroup* group, int mode) {
    QAbstractButton* b = group->button(mode);
    if (b != nullptr) {
        b->setChecked(true);
        return;
    }
    group->setExclusive(false);
    for (QAbstractButton* other : group->buttons()) other->setChecked(false);
    group->setExclusive(true);
}

}  // namespace

CSetPanel::CSetPanel(Reporter& reporter, QWidget* parent)
    : QWidget(parent),
      list(new CColorListBox(this)),
      selectCurves(new QPushButton(UiText(texts::kPanelSelectCurves), this)),
      valueMode(nullptr),
      percentMode(nullptr),
      scaleLowEdit(nullptr),
      scaleHighEdit(nullptr),
      longTime(nullptr),
      shortTime(nullptr),
      gridXEdit(nullptr),
      gridYEdit(nullptr),
      reporter_(reporter),
      yGroup_(new QButtonGroup(this)),
      xGroup_(new QButtonGroup(this)) {
    const DialogUnits du(this);
    resize(du.Size(kPanelWidthDu, kPanelHeightDu));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    du.Place(list, 0, 0, 107, 167);
    du.Place(selectCurves, 0, 172, 107, 16);
    selectCurves->setFlat(true);
    // Frames first, so that the controls inside them lie above.
    du.Place(new QGroupBox(UiText(texts::kPanelYModeGroup), this), 4, 194, 100, 49);
    du.Place(new QGroupBox(UiText(texts::kPanelXModeGroup), this), 4, 248, 100, 31);
    du.Place(new QGroupBox(UiText(texts::kPanelGridGroup), this), 4, 284, 100, 36);
    valueMode = new QRadioButton(UiText(texts::kPanelValueScale), this);
    percentMode = new QRadioButton(UiText(texts::kPanelPercentScale), this);
    scaleLowEdit = new QLineEdit(this);
    scaleHighEdit = new QLineEdit(this);
    longTime = new QRadioButton(UiText(texts::kPanelLongTime), this);
    shortTime = new QRadioButton(UiText(texts::kPanelShortTime), this);
    gridXEdit = new QLineEdit(this);
    gridYEdit = new QLineEdit(this);
    du.Place(valueMode, 15, 208, 32, 10);
    du.Place(percentMode, 54, 208, 40, 10);
    du.Place(scaleLowEdit, 16, 223, 28, 14);
    du.Place(new QLabel(U("~"), this), 49, 229, 8, 8);
    du.Place(scaleHighEdit, 61, 223, 28, 14);
    du.Place(longTime, 15, 263, 40, 10);
    du.Place(shortTime, 54, 263, 40, 10);
    du.Place(gridXEdit, 16, 298, 28, 14);
    du.Place(new QLabel(U("X"), this), 50, 301, 8, 8);
    du.Place(gridYEdit, 61, 298, 28, 14);
    peakEnvelope = new QCheckBox(UiText(texts::kPanelPeakEnvelope), this);
    du.Place(peakEnvelope, 8, 326, 96, 10);
    connect(peakEnvelope, &QCheckBox::clicked, this, [this](bool on) {
        if (ds_ == nullptr) return;
        (spanShown_ ? ds_->SpanPeakEnvelope : ds_->PeakEnvelope) = on ? 1 : 0;
        Changed();
    });
    yGroup_->addButton(valueMode, 0);
    yGroup_->addButton(percentMode, 1);
    xGroup_->addButton(longTime, 0);
    xGroup_->addButton(shortTime, 1);

    connect(yGroup_, &QButtonGroup::idClicked, this, &CSetPanel::OnYMode);
    connect(xGroup_, &QButtonGroup::idClicked, this, &CSetPanel::OnXMode);
    connect(gridXEdit, &QLineEdit::textEdited, this, &CSetPanel::OnGridXChanged);
    connect(gridYEdit, &QLineEdit::textEdited, this, &CSetPanel::OnGridYChanged);
    connect(scaleLowEdit, &QLineEdit::textEdited, this, &CSetPanel::OnScaleLowChanged);
    connect(scaleHighEdit, &QLineEdit::textEdited, this, &CSetPanel::OnScaleHighChanged);
    connect(selectCurves, &QPushButton::clicked, this, &CSetPanel::OnSelectCurves);
    list->SetChangeHandler([this] { Changed(); });
    WriteControls();
}

bool CSetPanel::event(QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab) return true;
    }
    return QWidget::event(e);
}

void CSetPanel::LoadFrom(DisplaySettings& ds) {
    ds_ = &ds;
    gridX = ds.XLines;
    gridY = ds.YLines;
    scaleHigh = ds.YLarge;
    scaleLow = ds.YSmall;
    xMode = ds.XMode;
    yMode = ds.YMode;
    WriteControls();
    RefreshChannels();
    scaleLowEdit->setEnabled(ds.YMode != 1);
    scaleHighEdit->setEnabled(ds.YMode != 1);
    SetSpanShown(spanShown_);
}

void CSetPanel::SetSpanShown(bool span) {
    spanShown_ = span;
    if (ds_ != nullptr)
        peakEnvelope->setChecked((span ? ds_->SpanPeakEnvelope : ds_->PeakEnvelope) != 0);
}

void CSetPanel::RefreshChannels() {
    if (ds_ == nullptr) return;
    list->SetChannels(&ds_->channelColors, &ds_->channelChecks, ds_->Chnls);
}

bool CSetPanel::ReadControls() {
    std::pair<QLineEdit*, int*> fields[] = {{gridXEdit, &gridX},
                                            {gridYEdit, &gridY},
                                            {scaleHighEdit, &scaleHigh},
                                            {scaleLowEdit, &scaleLow}};
    int values[4] = {};
    for (std::size_t k = 0; k < std::size(fields); ++k) {
        const std::optional<int> v = ParseDialogInteger(fields[k].first->text().toStdString());
        if (!v) {
            reporter_.ShowMessage(texts::kEnterInteger, MessageIcon::Information);
            fields[k].first->setText(QString::number(*fields[k].second));
            return false;
        }
        values[k] = *v;
    }
    for (std::size_t k = 0; k < std::size(fields); ++k) *fields[k].second = values[k];
    xMode = xGroup_->checkedId();
    yMode = yGroup_->checkedId();
    return true;
}

void CSetPanel::WriteControls() {
    const std::pair<QLineEdit*, int> fields[] = {{gridXEdit, gridX},
                                                 {gridYEdit, gridY},
                                                 {scaleHighEdit, scaleHigh},
                                                 {scaleLowEdit, scaleLow}};
    // Only a field whose number changed is rewritten, so the caret stays where it was typed.
    for (const auto& [edit, value] : fields)
        if (ParseDialogInteger(edit->text().toStdString()) != value)
            edit->setText(QString::number(value));
    ShowMode(xGroup_, xMode);
    ShowMode(yGroup_, yMode);
}

void CSetPanel::Changed() {
    if (onChanged) onChanged();
}

void CSetPanel::OnYMode() {
    if (ds_ == nullptr || !ReadControls()) return;
    ds_->YMode = yMode;
    scaleLowEdit->setEnabled(ds_->YMode != 1);
    scaleHighEdit->setEnabled(ds_->YMode != 1);
    Changed();
}

void CSetPanel::OnXMode() {
    if (ds_ == nullptr || !ReadControls()) return;
    ds_->XMode = xMode;
    Changed();
}

void CSetPanel::NumberChanged(int& variable, int (*clamp)(int), int DisplaySettings::*target) {
    if (ds_ == nullptr || !ReadControls()) return;
    variable = clamp(variable);
    ds_->*target = variable;
    WriteControls();
    Changed();
}

void CSetPanel::OnGridXChanged() {
    NumberChanged(gridX, ClampGridLines, &DisplaySettings::XLines);
}

void CSetPanel::OnGridYChanged() {
    NumberChanged(gridY, ClampGridLines, &DisplaySettings::YLines);
}

// A minus sign on its own is a number still being typed.
void CSetPanel::OnScaleLowChanged() {
    if (scaleLowEdit->text() == QStringLiteral("-")) return;
    NumberChanged(scaleLow, ClampScaleEnd, &DisplaySettings::YSmall);
}

void CSetPanel::OnScaleHighChanged() {
    if (scaleHighEdit->text() == QStringLiteral("-")) return;
    NumberChanged(scaleHigh, ClampScaleEnd, &DisplaySettings::YLarge);
}

void CSetPanel::OnSelectCurves() {
    if (ds_ == nullptr) return;
    const std::vector<int> checks = ChecksForVisibleRows(ds_->Chnls, list->TopRow());
    for (std::size_t i = 0; i < checks.size() && i < ds_->channelChecks.size(); ++i)
        ds_->channelChecks[i] = checks[i];
    list->viewport()->repaint();
    Changed();
}

}  // namespace vardo
