#include "gui/app/TrackTableModel.h"

#include <QCoreApplication>

namespace korvida::gui {

TrackTableModel::TrackTableModel(TrackList& rows, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows) {}

int TrackTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_.size();
}

int TrackTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant TrackTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size())
        return {};
    const TrackList::Row& row = rows_.row(index.row());
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(row.texts[static_cast<std::size_t>(index.column())]);
        case Qt::CheckStateRole:
            if (index.column() == kNumber)
                return row.checked ? Qt::Checked : Qt::Unchecked;
            return {};
        case Qt::TextAlignmentRole:
            return index.column() == kTitle ? int(Qt::AlignLeft | Qt::AlignVCenter)
                                            : int(Qt::AlignCenter);
        case kTrackIndexRole:
            return row.trackIndex;
        default:
            return {};
    }
}

QVariant TrackTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole)
        return section == kTitle ? int(Qt::AlignLeft | Qt::AlignVCenter) : int(Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
        case kNumber:
            return tr("编号");
        case kTitle:
            return tr("标题");
        case kLength:
            return tr("长度(分钟)");
        case kSize:
            return tr("大小(MB)");
        default:
            return {};
    }
}

Qt::ItemFlags TrackTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == kNumber)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

bool TrackTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != kNumber || role != Qt::CheckStateRole ||
        index.row() >= rows_.size())
        return false;
    rows_.row(index.row()).checked = value.toInt() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

void TrackTableModel::resetWith(const std::function<void()>& change) {
    beginResetModel();
    change();
    endResetModel();
}

void TrackTableModel::rowsChanged() {
    if (rows_.empty())
        return;
    emit dataChanged(index(0, 0), index(rows_.size() - 1, kColumnCount - 1));
}

}  // namespace korvida::gui
