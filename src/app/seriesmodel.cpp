#include "app/seriesmodel.h"

#include "core/texts_series.h"


SeriesModel::SeriesModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void SeriesModel::setRows(const QStringList& raceNames, QList<series::Row> rows)
{
    beginResetModel();
    m_columns = series::columns(raceNames);
    m_races = int(raceNames.size());
    m_rows = std::move(rows);
    endResetModel();
}

int SeriesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int SeriesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant SeriesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const series::Row& row = m_rows.at(index.row());
    const int column = index.column();
    const bool race = column >= 4 && column < 4 + m_races;
    switch (role) {
    case Qt::DisplayRole: {
        if (column == 0)
            return series::placeText(row);
        if (column == 1)
            return row.name;
        if (column == 2)
            return row.club;
        if (column == 3)
            return row.category;
        if (race) {
            const auto& p = row.points.at(column - 4);
            return p ? QString::number(*p) : tx::seriesNotRun();
        }
        if (column == 4 + m_races)
            return QString::number(row.total);
        return row.completed ? tx::seriesYes() : tx::seriesNo();
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(column == 0 || race || column == 4 + m_races ? Qt::AlignRight | Qt::AlignVCenter
                                                                              : Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::ToolTipRole:
        // Points of a race beyond the best that count say so.
        if (race && row.points.at(column - 4) && !row.counted.at(column - 4))
            return tx::seriesNotCounted();
        return {};
    default:
        return {};
    }
}

QVariant SeriesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return {};
    // A race's heading may be cut to its column's width: its tooltip holds it whole.
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return m_columns.at(section);
    return {};
}
