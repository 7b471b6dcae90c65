#pragma once
// The data list's table: the rows of a record walk of the document's open file, each cell made
// when the view asks for it, so that a range of the whole file shows at once.

#include <QAbstractTableModel>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "app/vardo_doc.h"
#include "base/local_time_text.h"
#include "datalist/row_texts.h"
#include "datalist/row_walk.h"

namespace vardo {

class DListModel : public QAbstractTableModel {
  public:
    explicit DListModel(const CVardoDoc& doc, QObject* parent = nullptr);

    // "编号", "时间" and "通道%d" for every channel with data, from the document's record.
    void InsertColumns();
    void DeleteColumns();
    void DeleteRows();
    // Rows of the walk of [start, end] every step records; the walk tells the snapped range.
    RowWalkResult Fill(VTime start, VTime end, int step, int ascending);

    // Cell text as the list shows it; empty outside the table.
    std::string CellText(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    const CVardoDoc& doc_;
    QStringList headers_;
    std::unique_ptr<CRowTexts> cells_;  // of columns 2, 3, ...
    mutable LocalTimeText times_;
    RowWalkResult walk_;
    int step_ = 1;
    int ascending_ = 0;
};

}  // namespace vardo
