#pragma once

// Table models of the four lists of the main window, over the rows the race
// session holds. The session changes its rows only between a model's
// begin...() and end...() calls, row by row, so that a view redraws what
// changed and never rebuilds a whole list for one entry.

#include "core/lists.h"
#include "core/search.h"
#include "core/standings.h"

#include <QAbstractTableModel>
#include <QAbstractProxyModel>
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
    // Each row's place among the column's cells in sort order, equal cells
    // in equal places: a key is worked out once per distinct text (a club
    // of 3,000 runners once), birth dates straight from the dates.
    QList<int> ranks(int column) const;
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
// column, ties in registration order either way, and narrowed by a search
// (see search::matches). Rows keep their running numbers: they are the
// competitors' own, whatever is left out.
//
// One flat mapping of its own instead of a chain of QSortFilterProxyModel:
// a view asks for an index of every row at each layout, and a sort here
// orders plain row numbers by keys worked out once. An insertion is placed
// by a binary search over the keys; a removal leaves the others in place;
// a changed row moves only when its key or its match has changed.
class StartListShownModel : public QAbstractProxyModel {
    Q_OBJECT

public:
    explicit StartListShownModel(StartListModel* source, QObject* parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    QModelIndex sibling(int row, int column, const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;
    // Every row's flags are the same: selectable, never a parent.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // The source's headings, whether or not any row is shown.
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Orders the rows by the column (-1: registration order).
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    void setSearch(const QString& typed);
    const search::Query& query() const { return m_query; }
    // Every row of the start list in the sorted order, the search aside.
    const QList<int>& order() const { return m_order; }

private:
    struct Places {
        QList<int> place; // by source row: the place in the list, or -1
        bool valid = false;
    };

    bool sortsByKey() const;
    bool before(int a, int b) const;
    bool found(int row) const;
    // The rows of m_order the search finds, afresh.
    void refind();
    const QList<int>& shown() const { return m_query.isEmpty() ? m_order : m_found; }
    // The place of each source row in rows (m_order or m_found), worked out
    // again after a change when first asked for.
    const QList<int>& places(const QList<int>& rows) const;
    void forgetPlaces();
    // Runs a change of the order under one layout change, the views'
    // persistent indexes (selection, current row) following their rows.
    void relayout(const std::function<void()>& change);
    // Orders every row afresh by the column, its ranks kept while the rows
    // do not change.
    void rebuild();
    void insertPlaced(int row);
    void removePlaced(int row);
    void sourceRowsInserted(int first, int last);
    void sourceRowsAboutToBeRemoved(int first, int last);
    void sourceRowsRemoved(int first, int last);
    void sourceDataChanged(const QModelIndex& from, const QModelIndex& to, const QList<int>& roles);

    StartListModel* m_source;
    int m_column = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    search::Query m_query;
    QList<int> m_order; // source rows in the sorted order
    QList<int> m_found; // the rows of m_order a search finds, while there is one
    mutable Places m_orderPlaces;
    mutable Places m_foundPlaces;
    // Each source row's place among the keys of m_rankColumn (equal keys,
    // equal place), from the last sort until the list changes.
    QList<int> m_rank;
    int m_rankColumn = -1;
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
