#include "app/track_list_model.h"

namespace valmuri {

TrackListModel::TrackListModel(Compilation& compilation, QObject* parent)
    : QAbstractTableModel(parent), compilation_(compilation)
{
    compilation_.add_observer(this);
}

TrackListModel::~TrackListModel()
{
    compilation_.remove_observer(this);
}

void TrackListModel::set_headers(const QStringList& headers)
{
    headers_ = headers;
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

int TrackListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : compilation_.row_count();
}

int TrackListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 4;
}

QVariant TrackListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= compilation_.row_count())
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromStdString(row_field(compilation_.row(index.row()), index.column() + 1));
    // The track number and the size are centred.
    if (role == Qt::TextAlignmentRole && (index.column() == 0 || index.column() == 2))
        return int(Qt::AlignCenter);
    return {};
}

QVariant TrackListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return headers_.value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void TrackListModel::rows_about_to_be_inserted(int first, int last)
{
    beginInsertRows({}, first, last);
}

void TrackListModel::rows_inserted()
{
    endInsertRows();
}

void TrackListModel::rows_about_to_be_removed(int first, int last)
{
    beginRemoveRows({}, first, last);
}

void TrackListModel::rows_removed()
{
    endRemoveRows();
}

void TrackListModel::rows_changed(int first, int last)
{
    emit dataChanged(index(first, 0), index(last, columnCount() - 1));
}

void TrackListModel::rows_about_to_be_reset()
{
    beginResetModel();
}

void TrackListModel::rows_reset()
{
    endResetModel();
}

} // namespace valmuri
