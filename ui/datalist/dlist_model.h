#pragma once
// The data list's table: the rows of what the document shows (a file or a recorder's span),
// each cell made when the view asks for it.

#include <QAbstractTableModel>
#include <QStringList>
#include <memory>
#include <string>

#include "app/list_rows.h"
#include "app/vardo_doc.h"

namespace vardo {

class DListModel : public QAbstractTableModel {
  public:
    explicit DListModel(CVardoDoc& doc, QObject* parent = nullptr);

    // Takes the rows of what the document shows now; "编号", "时间" and "通道%d" per channel
    // column.
    void InsertColumns();
    void DeleteColumns();
    // The columns stay; the rows are taken again from what the document shows now.
    void DeleteRows();
    // The first view (the newest 200 records) and any range of them; nothing changes while
    // nothing can be read. The columns follow the rows: a span's are those of the records listed.
    ListFill FillNewest(int ascending);
    ListFill Fill(VTime start, VTime end, int step, int ascending);

    // What the rows come from; null before the first InsertColumns.
    ListRows* Rows() const { return rows_.get(); }
    // Cell text as the list shows it; empty outside the table.
    std::string CellText(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    void TakeHeaders();
    template <class Filling>
    ListFill Refill(Filling fill);

    CVardoDoc& doc_;
    QStringList headers_;
    std::unique_ptr<ListRows> rows_;
    int shown_ = 0;
};

}  // namespace vardo
