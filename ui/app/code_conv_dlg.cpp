#include "app/code_conv_dlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/code_lookup.h"
#include "app/dialog_units.h"
#include "app/ui_text.h"
#include "base/texts.h"

namespace vardo {

namespace {

// A field is written only when its text differs: each write runs the other conversion, and the
// exchange settles once neither changes.
void WriteBack(QLineEdit* edit, const QString& text) {
    if (edit->text() != text) edit->setText(text);
}

}  // namespace

CCodeConvDlg::CCodeConvDlg(QWidget* parent)
    : QDialog(parent),
      characterEdit(new QLineEdit(this)),
      codeEdit(new QLineEdit(this)),
      closeButton(new QPushButton(UiText(texts::kClose), this)) {
    setWindowTitle(UiText(texts::kCodeConvTitle));
    const DialogUnits du(this);
    setFixedSize(du.Size(162, 55));
    du.Place(new QLabel(UiText(texts::kCodeConvCharacter), this), 7, 10);
    du.Place(characterEdit, 35, 7, 60, 14);
    du.Place(new QLabel(UiText(texts::kCodeConvCode), this), 7, 32);
    du.Place(codeEdit, 35, 29, 60, 14);
    du.Place(closeButton, 105, 7, 50, 14);
    closeButton->setDefault(true);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(characterEdit, &QLineEdit::textChanged, this, &CCodeConvDlg::CharacterChanged);
    connect(codeEdit, &QLineEdit::textChanged, this, &CCodeConvDlg::CodeChanged);
}

void CCodeConvDlg::CharacterChanged() {
    const std::string text = characterEdit->text().toStdString();
    if (text.empty()) return;
    // A character without a code leaves the code empty rather than showing "?" (3F) as its code.
    const auto code = CodeOfText(text);
    WriteBack(codeEdit, code ? QString::fromStdString(FormatCode(*code)) : QString());
}

void CCodeConvDlg::CodeChanged() {
    const std::string code = codeEdit->text().toStdString();
    if (code.empty()) return;
    // Bytes that are no character (half a code while it is typed) leave the character alone.
    const auto text = TextOfCode(code);
    if (!text) return;
    WriteBack(characterEdit, QString::fromStdString(*text));
    // The code then becomes the character's own, as when the character was typed: "4142" stands
    // for "A" and reads "41".
    CharacterChanged();
}

}  // namespace vardo
