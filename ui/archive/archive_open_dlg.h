#pragma once
// "打开档案": the archive's recorders, each with its coverage as a bar over its time where gaps
// show, the adds that brought the selected one's records, and the span to open; OK hands the
// store and the span to the document.

#include <QDialog>
#include <array>
#include <memory>
#include <vector>

#include "app/vardo_doc.h"
#include "archive/archive_store.h"
#include "datalist/date_time_pair.h"

class QPushButton;
class QTableWidget;

namespace vardo {

class CArchiveOpenDlg : public QDialog {
  public:
    CArchiveOpenDlg(CVardoDoc& doc, QWidget* parent = nullptr);

    // Opens the archive [Archive] Url names and lists it; false (the archive's message told)
    // when it cannot be read.
    [[nodiscard]] bool Load();
    // The command: the dialog, and the span opened on OK. Without an archive it only says so.
    static void Run(CVardoDoc& doc, QWidget* parent);

    QTableWidget* Table() const { return table_; }
    // The selected recorder's adds: time, how, records, path.
    QTableWidget* Sources() const { return sources_; }
    QPushButton* ShortcutButton(SpanShortcut which) const {
        return shortcuts_[static_cast<std::size_t>(which)];
    }
    QPushButton* OkButton() const { return ok_; }
    DateTimePair& StartPicker() { return start_; }
    DateTimePair& EndPicker() { return end_; }
    const std::vector<RecorderSummary>& Recorders() const { return recorders_; }

  protected:
    void accept() override;

  private:
    void SelectRow(int row);
    void ApplyShortcut(SpanShortcut which);

    CVardoDoc& doc_;
    std::unique_ptr<ArchiveStore> store_;
    std::string url_;
    std::vector<RecorderSummary> recorders_;
    std::vector<SourceInfo> allSources_;
    QTableWidget* table_ = nullptr;
    QTableWidget* sources_ = nullptr;
    DateTimePair start_;
    DateTimePair end_;
    std::array<QPushButton*, 4> shortcuts_{};
    QPushButton* ok_ = nullptr;
};

}  // namespace vardo
