#include "app/listmodels.h"

#include "app/racesession.h"

#include <algorithm>
#include <numeric>
#include <vector>

ListModel::ListModel(const QList<lists::ColumnDef>& columns, QObject* parent)
    : QAbstractTableModel(parent)
    , m_columns(columns)
{
}

int ListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant ListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    return cell(index.row(), index.column());
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= m_columns.size())
        return {};
    return m_columns.at(section).heading;
}

QStringList ListModel::rowTexts(int row) const
{
    QStringList texts;
    texts.reserve(m_columns.size());
    for (int column = 0; column < m_columns.size(); ++column)
        texts.append(cell(row, column));
    return texts;
}

void ListModel::changed(int from, int to)
{
    emit dataChanged(index(from, 0), index(to, int(m_columns.size()) - 1));
}

// ---- Start list ---------------------------------------------------------------

StartListModel::StartListModel(const RaceSession& session, QObject* parent)
    : ListModel(lists::startColumns(), parent)
    , m_session(session)
{
    // Connected before any view or proxy, so the keys follow the rows
    // before anybody compares them.
    connect(this, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first, int last) {
        if (m_keyColumn >= 0)
            m_keys.insert(first, last - first + 1, std::nullopt);
        if (!m_folded.isEmpty())
            m_folded.insert(first, last - first + 1, std::nullopt);
    });
    connect(this, &QAbstractItemModel::rowsRemoved, this, [this](const QModelIndex&, int first, int last) {
        if (m_keyColumn >= 0)
            m_keys.remove(first, last - first + 1);
        if (!m_folded.isEmpty())
            m_folded.remove(first, last - first + 1);
    });
    connect(this, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex& from, const QModelIndex& to) {
        if (m_keyColumn >= 0) {
            for (int row = from.row(); row <= to.row() && row < m_keys.size(); ++row)
                m_keys[row].reset();
        }
        for (int row = from.row(); row <= to.row() && row < m_folded.size(); ++row)
            m_folded[row].reset();
    });
    connect(this, &QAbstractItemModel::modelReset, this, [this] { forgetKeys(); });
}

int StartListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_session.startList().size());
}

QString StartListModel::cell(int row, int column) const
{
    const Competitor& c = m_session.startList().at(row);
    if (column == lists::StartStatus)
        return lists::stateText(m_session.runState(c.id));
    return lists::startCell(c, row + 1, column);
}

const listsort::SortKey& StartListModel::sortKey(int row, int column) const
{
    if (column != m_keyColumn) {
        forgetKeys();
        m_keyColumn = column;
    }
    if (m_keys.size() != rowCount())
        m_keys.resize(rowCount());
    std::optional<listsort::SortKey>& key = m_keys[row];
    if (!key)
        key.emplace(columns().at(column).kind, cell(row, column));
    return *key;
}

bool StartListModel::matches(int row, const search::Query& query) const
{
    if (query.isEmpty())
        return true;
    if (m_folded.size() != rowCount())
        m_folded.resize(rowCount());
    const Competitor& c = m_session.startList().at(row);
    std::optional<Folded>& folded = m_folded[row];
    if (!folded)
        folded = Folded{search::fold(c.ime), search::fold(c.klub)};
    return search::matches(query, c.sbroj, folded->name, folded->club);
}

void StartListModel::forgetKeys() const
{
    m_keyColumn = -1;
    m_keys.clear();
    m_folded.clear();
}

StartListSortModel::StartListSortModel(StartListModel* source, QObject* parent)
    : QSortFilterProxyModel(parent)
    , m_source(source)
{
    // Connected before the proxy's own handlers, so that a changed list is
    // never placed by the places of the list before it.
    const auto forgetRanks = [this] { m_rank.clear(); };
    connect(source, &QAbstractItemModel::rowsAboutToBeInserted, this, forgetRanks);
    connect(source, &QAbstractItemModel::rowsAboutToBeRemoved, this, forgetRanks);
    connect(source, &QAbstractItemModel::dataChanged, this, forgetRanks);
    connect(source, &QAbstractItemModel::layoutAboutToBeChanged, this, forgetRanks);
    connect(source, &QAbstractItemModel::modelAboutToBeReset, this, forgetRanks);
    setSourceModel(source);
    setDynamicSortFilter(true);
}

namespace {

// The flags of every row of the lists: selectable, never a parent.
Qt::ItemFlags rowFlags(const QModelIndex& index)
{
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

} // namespace

Qt::ItemFlags StartListSortModel::flags(const QModelIndex& index) const
{
    return rowFlags(index);
}

Qt::ItemFlags StartListFilterModel::flags(const QModelIndex& index) const
{
    return rowFlags(index);
}

void StartListSortModel::sort(int column, Qt::SortOrder order)
{
    m_rank.clear();
    const int rows = m_source->rowCount();
    if (column >= 0 && column < m_source->columnCount() && column != lists::StartRunning) {
        // The keys once in a plain array, then one sort over it: no model
        // index is made and no key looked up again per comparison.
        std::vector<const listsort::SortKey*> keys(rows);
        for (int row = 0; row < rows; ++row)
            keys[row] = &m_source->sortKey(row, column);
        std::vector<int> sorted(rows);
        std::iota(sorted.begin(), sorted.end(), 0);
        std::stable_sort(sorted.begin(), sorted.end(),
                         [&keys](int a, int b) { return keys[a]->compare(*keys[b]) < 0; });
        m_rank.resize(rows);
        int place = 0;
        for (int i = 0; i < rows; ++i) {
            if (i > 0 && keys[sorted[i - 1]]->compare(*keys[sorted[i]]) != 0)
                ++place;
            m_rank[sorted[i]] = place;
        }
        m_rankColumn = column;
    }
    QSortFilterProxyModel::sort(column, order);
}

bool StartListSortModel::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const int column = left.column();
    // Running numbers are the rows' positions.
    if (column == lists::StartRunning)
        return left.row() < right.row();
    if (column == m_rankColumn && m_rank.size() == m_source->rowCount())
        return m_rank[left.row()] < m_rank[right.row()];
    return m_source->sortKey(left.row(), column).compare(m_source->sortKey(right.row(), column)) < 0;
}

StartListFilterModel::StartListFilterModel(StartListSortModel* sorted, StartListModel* list, QObject* parent)
    : QSortFilterProxyModel(parent)
    , m_sorted(sorted)
    , m_list(list)
{
    setSourceModel(sorted);
    setDynamicSortFilter(true);
}

void StartListFilterModel::setSearch(const QString& typed)
{
    search::Query query(typed);
    if (query.number == m_query.number)
        return;
    m_query = std::move(query);
    invalidateRowsFilter();
}

void StartListFilterModel::sort(int column, Qt::SortOrder order)
{
    m_sorted->sort(column, order);
}

bool StartListFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex&) const
{
    if (m_query.isEmpty())
        return true;
    return m_list->matches(m_sorted->mapToSource(m_sorted->index(sourceRow, 0)).row(), m_query);
}

// ---- Finish list --------------------------------------------------------------

FinishListModel::FinishListModel(const RaceSession& session, QObject* parent)
    : ListModel(lists::finishColumns(), parent)
    , m_session(session)
{
}

int FinishListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_session.finishList().size());
}

QString FinishListModel::cell(int row, int column) const
{
    if (column == lists::FinishPlace)
        return m_session.finishPlaceText(row);
    return lists::finishCell(m_session.finishList().at(row), row + 1, column);
}

FinishDetailModel::FinishDetailModel(const RaceSession& session, QObject* parent)
    : ListModel(lists::detailColumns(), parent)
    , m_session(session)
{
}

int FinishDetailModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_session.finishList().size());
}

QString FinishDetailModel::cell(int row, int column) const
{
    const FinishRecord& r = m_session.finishList().at(row);
    if (column == lists::DetailPlace)
        return m_session.finishPlaceText(row);
    return lists::detailCell(r, m_session.competitor(r.idtakmicara), row + 1, m_session.raceDate(), column,
                             m_session.rules().categories);
}

// ---- Standings ----------------------------------------------------------------

StandingsModel::StandingsModel(QObject* parent)
    : ListModel(lists::standingsColumns(), parent)
{
}

int StandingsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QString StandingsModel::cell(int row, int column) const
{
    return lists::standingsCell(m_rows.at(row), column);
}

void StandingsModel::setRows(QList<standings::StandingsRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}
