#pragma once

// Table models of the four lists of the main window, over the rows the race
// session holds. The session changes its rows only between a model's
// begin...() and end...() calls, row by row, so that a view redraws what
// changed and never rebuilds a whole list for one entry.

#include "core/lists.h"
#include "core/search.h"
#include "core/standings.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <functional>
#include <optional>

class RaceSession;

class ListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    ListModel(const QList<lists::ColumnDef>& columns, QObject* parent);

    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const QList<lists::ColumnDef>& columns() const { return m_columns; }
    // The text of one cell, as the list shows it.
    virtual QString cell(int row, int column) const = 0;
    // Every column of one row.
    QStringList rowTexts(int row) const;

    // For the session: announce a change of its rows.
    void beginInsert(int row) { beginInsertRows({}, row, row); }
    void endInsert() { endInsertRows(); }
    void beginRemove(int row) { beginRemoveRows({}, row, row); }
    void endRemove() { endRemoveRows(); }
    void beginReset() { beginResetModel(); }
    void endReset() { endResetModel(); }
    // Rows from..to changed in every column.
    void changed(int from, int to);

private:
    QList<lists::ColumnDef> m_columns;
};

// lsv1: the start list in registration order; the running number is the
// row's position. Keeps the sort key of each cell of the sorted column, so
// that sorting and every later insertion compare keys worked out once.
class StartListModel : public ListModel {
    Q_OBJECT

public:
    explicit StartListModel(const RaceSession& session, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    QString cell(int row, int column) const override;
    const listsort::SortKey& sortKey(int row, int column) const;
    // Whether the row's competitor is found by the query; names and clubs
    // are folded once and kept, as the sort keys are.
    bool matches(int row, const search::Query& query) const;

private:
    void forgetKeys() const;

    struct Folded {
        QString name;
        QString club;
    };

    const RaceSession& m_session;
    mutable int m_keyColumn = -1;
    mutable QList<std::optional<listsort::SortKey>> m_keys;
    mutable QList<std::optional<Folded>> m_folded;
};

// The start list as the view shows it: sorted by the kind of the chosen
// column, ties in registration order.
class StartListSortModel : public QSortFilterProxyModel {
    Q_OBJECT

public:
    explicit StartListSortModel(StartListModel* source, QObject* parent = nullptr);

    // Every row's flags are the same: no mapping to the source for them,
    // since a tree view asks for them of every row at each layout.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Orders the rows by the column's keys once, directly over the keys,
    // and hands the proxy each row's place in that order to sort by.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    StartListModel* m_source;
    // Each source row's place among the keys of m_rankColumn (equal keys,
    // equal place, so that ties keep registration order either way), from
    // the last sort until the list changes; empty otherwise.
    QList<int> m_rank;
    int m_rankColumn = -1;
};

// The sorted start list with only the competitors a search finds (see
// search::matches), over StartListSortModel. Rows keep their running
// numbers: they are the competitors' own, whatever is left out.
class StartListFilterModel : public QSortFilterProxyModel {
    Q_OBJECT

public:
    StartListFilterModel(StartListSortModel* sorted, StartListModel* list, QObject* parent = nullptr);
    void setSearch(const QString& typed);
    const search::Query& query() const { return m_query; }
    // Sorts the list under the search, which keeps its order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    StartListSortModel* m_sorted;
    StartListModel* m_list;
    search::Query m_query;
};

// lsv2: the finish list in time order; the place is the row's position.
class FinishListModel : public ListModel {
    Q_OBJECT

public:
    explicit FinishListModel(const RaceSession& session, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    QString cell(int row, int column) const override;

private:
    const RaceSession& m_session;
};

// lsv3: the finish list with each finisher's details from the start list.
class FinishDetailModel : public ListModel {
    Q_OBJECT

public:
    explicit FinishDetailModel(const RaceSession& session, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    QString cell(int row, int column) const override;

private:
    const RaceSession& m_session;
};

// lsv4: the standings last built.
class StandingsModel : public ListModel {
    Q_OBJECT

public:
    explicit StandingsModel(QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    QString cell(int row, int column) const override;

    void setRows(QList<standings::StandingsRow> rows);
    const QList<standings::StandingsRow>& rows() const { return m_rows; }

private:
    QList<standings::StandingsRow> m_rows;
};
