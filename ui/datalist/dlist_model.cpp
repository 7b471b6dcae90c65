#include "datalist/dlist_model.h"

#include "app/ui_text.h"
#include "base/texts.h"

namespace vardo {

DListModel::DListModel(CVardoDoc& doc, QObject* parent) : QAbstractTableModel(parent), doc_(doc) {}

void DListModel::TakeHeaders() {
    headers_ = {UiText(texts::kColumnNumber), UiText(texts::kColumnTime)};
    if (!rows_) return;
    for (int ch : rows_->Channels())
        headers_ << QString::asprintf(UiFormat(texts::kColumnChannel), ch + 1);
}

void DListModel::InsertColumns() {
    beginResetModel();
    rows_ = MakeListRows(doc_);
    shown_ = 0;
    TakeHeaders();
    endResetModel();
}

void DListModel::DeleteColumns() {
    beginResetModel();
    headers_.clear();
    rows_.reset();
    shown_ = 0;
    endResetModel();
}

void DListModel::DeleteRows() {
    beginResetModel();
    // The rows may be those of a span the document has let go of.
    rows_ = MakeListRows(doc_);
    shown_ = 0;
    endResetModel();
}

template <class Filling>
ListFill DListModel::Refill(Filling fill) {
    if (!rows_ || !rows_->Readable()) return {};
    beginResetModel();
    const ListFill result = fill(*rows_);
    shown_ = result.rows;
    TakeHeaders();
    endResetModel();
    return result;
}

ListFill DListModel::FillNewest(int ascending) {
    return Refill([ascending](ListRows& rows) { return rows.FillNewest(ascending); });
}

ListFill DListModel::Fill(VTime start, VTime end, int step, int ascending) {
    return Refill([=](ListRows& rows) { return rows.Fill(start, end, step, ascending); });
}

std::string DListModel::CellText(int row, int column) const {
    if (!rows_ || row < 0 || row >= shown_) return {};
    return rows_->Cell(row, column);
}

int DListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shown_;
}

int DListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant DListModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::DisplayRole)
        return QString::fromStdString(CellText(index.row(), index.column()));
    if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

QVariant DListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= headers_.size()) return {};
    if (role == Qt::DisplayRole) return headers_[section];
    if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

}  // namespace vardo
