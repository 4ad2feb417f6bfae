#pragma once

#include "core/series.h"

#include <QAbstractTableModel>

// lsvkup: a series' standings, one column per race; the cells are made as
// the view asks for them, so that a season of many thousand runners is
// shown without a text of every cell made first.
class SeriesModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit SeriesModel(QObject* parent = nullptr);

    void setRows(const QStringList& raceNames, QList<series::Row> rows);
    const QList<series::Row>& rows() const { return m_rows; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QStringList m_columns;
    int m_races = 0;
    QList<series::Row> m_rows;
};
