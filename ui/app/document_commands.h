#pragma once
// The commands that the document handles, with the dialogs they need: the core CVardoDoc knows
// no widgets, so its open command's file dialog lives here.

#include <QString>
#include <functional>
#include <string>

#include "app/command_target.h"
#include "app/vardo_doc.h"

class QWidget;

namespace vardo {

// The open dialog's filter "a|b|c|d||" as Qt writes it: "a (b);;c (d)".
QString QtFileFilter(const std::string& mfcFilter);

class DocumentCommands : public CommandTarget {
  public:
    explicit DocumentCommands(CVardoDoc& doc);

    // "打开历史文件": choose a file in Data and make it the current file.
    void OpenCommand();

    // Asks for a file to open: title, initial directory, filter, initial name; an empty result
    // is a cancel. Tests replace it.
    std::function<QString(const QString&, const QString&, const QString&, const QString&)>
        chooseFile;
    QWidget* dialogParent = nullptr;

  private:
    CVardoDoc& doc_;
};

}  // namespace vardo
