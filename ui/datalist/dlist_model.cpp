#include "datalist/dlist_model.h"

#include "app/ui_text.h"
#include "base/texts.h"

namespace vardo {

DListModel::DListModel(const CVardoDoc& doc, QObject* parent)
    : QAbstractTableModel(parent), doc_(doc) {}

void DListModel::InsertColumns() {
    beginResetModel();
    headers_ = {UiText(texts::kColumnNumber), UiText(texts::kColumnTime)};
    cells_ = std::make_unique<CRowTexts>(doc_.history);
    times_ = {};
    for (int ch : cells_->Channels())
        headers_ << QString::asprintf(UiFormat(texts::kColumnChannel), ch + 1);
    endResetModel();
}

void DListModel::DeleteColumns() {
    beginResetModel();
    headers_.clear();
    cells_.reset();
    walk_ = {};
    endResetModel();
}

void DListModel::DeleteRows() {
    beginResetModel();
    walk_.rows = 0;
    endResetModel();
}

RowWalkResult DListModel::Fill(VTime start, VTime end, int step, int ascending) {
    beginResetModel();
    step_ = step;
    ascending_ = ascending;
    walk_ = WalkRows(doc_.history, start, end, step, ascending, [](const WalkedRow&) {});
    endResetModel();
    return walk_;
}

std::string DListModel::CellText(int row, int column) const {
    if (row < 0 || row >= walk_.rows || column < 0 || column >= headers_.size()) return {};
    const HistoryData& h = doc_.history;
    if (h.file.empty()) return {};
    const WalkedRow r = RowOfWalk(h, walk_, step_, ascending_, row);
    if (column == 0) return std::to_string(r.number);
    if (column == 1) {
        char time[LocalTimeText::kMaxSize];
        return std::string(time, times_.Write(r.time, time));
    }
    return std::string(cells_->Value(static_cast<std::size_t>(column - 2), r.slot));
}

int DListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : walk_.rows;
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
