#include "app/listmodels.h"

#include "app/racesession.h"

#include <QHash>

#include <algorithm>
#include <limits>
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

namespace {

// Places of values given as ids of distinct values: the distinct values
// ordered by their heads, and where heads are equal by tie (a three-way
// comparison of two distinct values); equal values share a place. Heads
// sorted beside the ids keep most comparisons within one array.
template<typename Tie>
QList<int> placesOf(const std::vector<int>& idOf, const std::vector<qint64>& heads, Tie tie)
{
    struct Entry {
        qint64 head;
        int id;
    };
    std::vector<Entry> sorted(heads.size());
    for (size_t i = 0; i < heads.size(); ++i)
        sorted[i] = {heads[i], int(i)};
    const auto compare = [&](const Entry& a, const Entry& b) {
        return a.head != b.head ? (a.head < b.head ? -1 : 1) : tie(a.id, b.id);
    };
    std::sort(sorted.begin(), sorted.end(), [&](const Entry& a, const Entry& b) { return compare(a, b) < 0; });
    std::vector<int> placeOf(heads.size());
    int place = 0;
    for (size_t i = 0; i < sorted.size(); ++i) {
        if (i > 0 && compare(sorted[i - 1], sorted[i]) != 0)
            ++place;
        placeOf[sorted[i].id] = place;
    }
    QList<int> ranks(qsizetype(idOf.size()));
    for (size_t row = 0; row < idOf.size(); ++row)
        ranks[qsizetype(row)] = placeOf[idOf[row]];
    return ranks;
}

} // namespace

QList<int> StartListModel::ranks(int column) const
{
    const QList<Competitor>& list = m_session.startList();
    const int rows = int(list.size());
    std::vector<int> idOf(rows);
    if (column == lists::StartBirthDate) {
        // An empty date first, as its empty cell sorts.
        QHash<qint64, int> ids;
        std::vector<qint64> days;
        for (int row = 0; row < rows; ++row) {
            const QDate& date = list.at(row).datum;
            const qint64 day = date.isValid() ? date.toJulianDay() : std::numeric_limits<qint64>::min();
            auto it = ids.constFind(day);
            if (it == ids.constEnd()) {
                it = ids.insert(day, int(days.size()));
                days.push_back(day);
            }
            idOf[row] = it.value();
        }
        return placesOf(idOf, days, [](int, int) { return 0; });
    }
    QHash<QString, int> ids;
    ids.reserve(rows);
    QList<QString> texts;
    for (int row = 0; row < rows; ++row) {
        const QString text = cell(row, column);
        auto it = ids.constFind(text);
        if (it == ids.constEnd()) {
            it = ids.insert(text, int(texts.size()));
            texts.append(text);
        }
        idOf[row] = it.value();
    }
    std::vector<listsort::SortKey> keys;
    std::vector<qint64> heads;
    keys.reserve(texts.size());
    heads.reserve(texts.size());
    for (const QString& text : std::as_const(texts)) {
        keys.emplace_back(columns().at(column).kind, text);
        heads.push_back(keys.back().head());
    }
    return placesOf(idOf, heads, [&](int a, int b) { return keys[a].compare(keys[b]); });
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

StartListShownModel::StartListShownModel(StartListModel* source, QObject* parent)
    : QAbstractProxyModel(parent)
    , m_source(source)
{
    setSourceModel(source);
    // The source's own key handlers are connected before these, so the keys
    // follow the rows before the rows are placed by them.
    connect(source, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { sourceRowsInserted(first, last); });
    connect(source, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) { sourceRowsAboutToBeRemoved(first, last); });
    connect(source, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex&, int first, int last) { sourceRowsRemoved(first, last); });
    connect(source, &QAbstractItemModel::dataChanged, this, &StartListShownModel::sourceDataChanged);
    connect(source, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
    connect(source, &QAbstractItemModel::modelReset, this, [this] {
        m_rank.clear();
        rebuild();
        endResetModel();
    });
    // The session may go before the window that shows its list.
    connect(source, &QObject::destroyed, this, [this] {
        beginResetModel();
        m_source = nullptr;
        m_order.clear();
        m_found.clear();
        m_rank.clear();
        forgetPlaces();
        endResetModel();
    });
    rebuild();
}

QModelIndex StartListShownModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || row < 0 || row >= shown().size() || column < 0 || column >= columnCount())
        return {};
    return createIndex(row, column);
}

QModelIndex StartListShownModel::parent(const QModelIndex&) const
{
    return {};
}

QModelIndex StartListShownModel::sibling(int row, int column, const QModelIndex&) const
{
    return index(row, column);
}

int StartListShownModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(shown().size());
}

int StartListShownModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_source ? 0 : m_source->columnCount();
}

bool StartListShownModel::hasChildren(const QModelIndex& parent) const
{
    return !parent.isValid() && !shown().isEmpty();
}

QVariant StartListShownModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    return m_source ? m_source->headerData(section, orientation, role) : QVariant();
}

QModelIndex StartListShownModel::mapToSource(const QModelIndex& proxyIndex) const
{
    if (!proxyIndex.isValid() || proxyIndex.model() != this)
        return {};
    return m_source->index(shown().at(proxyIndex.row()), proxyIndex.column());
}

QModelIndex StartListShownModel::mapFromSource(const QModelIndex& sourceIndex) const
{
    if (!sourceIndex.isValid() || sourceIndex.model() != m_source)
        return {};
    const int place = places(shown()).value(sourceIndex.row(), -1);
    return place < 0 ? QModelIndex() : createIndex(place, sourceIndex.column());
}

namespace {

// The flags of every row of the lists: selectable, never a parent.
Qt::ItemFlags rowFlags(const QModelIndex& index)
{
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

} // namespace

Qt::ItemFlags StartListShownModel::flags(const QModelIndex& index) const
{
    return rowFlags(index);
}

void StartListShownModel::sort(int column, Qt::SortOrder order)
{
    relayout([&] {
        m_column = column;
        m_sortOrder = order;
        rebuild();
    });
}

void StartListShownModel::setSearch(const QString& typed)
{
    search::Query query(typed);
    if (query.number == m_query.number)
        return;
    relayout([&] {
        m_query = std::move(query);
        refind();
    });
}

void StartListShownModel::refind()
{
    m_found.clear();
    if (!m_query.isEmpty()) {
        for (const int row : std::as_const(m_order)) {
            if (found(row))
                m_found.append(row);
        }
    }
}

bool StartListShownModel::sortsByKey() const
{
    return m_column >= 0 && m_column < columnCount() && m_column != lists::StartRunning;
}

bool StartListShownModel::before(int a, int b) const
{
    if (sortsByKey()) {
        const int c = m_source->sortKey(a, m_column).compare(m_source->sortKey(b, m_column));
        if (c != 0)
            return m_sortOrder == Qt::AscendingOrder ? c < 0 : c > 0;
        return a < b;
    }
    // Running numbers are the rows' positions.
    return m_column == lists::StartRunning && m_sortOrder == Qt::DescendingOrder ? a > b : a < b;
}

bool StartListShownModel::found(int row) const
{
    return m_source->matches(row, m_query);
}

const QList<int>& StartListShownModel::places(const QList<int>& rows) const
{
    Places& known = &rows == &m_order ? m_orderPlaces : m_foundPlaces;
    if (!known.valid) {
        known.place.fill(-1, m_source->rowCount());
        for (int i = 0; i < rows.size(); ++i)
            known.place[rows.at(i)] = i;
        known.valid = true;
    }
    return known.place;
}

void StartListShownModel::forgetPlaces()
{
    m_orderPlaces.valid = false;
    m_foundPlaces.valid = false;
}

void StartListShownModel::relayout(const std::function<void()>& change)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList from = persistentIndexList();
    QList<std::pair<int, int>> kept;
    kept.reserve(from.size());
    for (const QModelIndex& index : from)
        kept.append({shown().at(index.row()), index.column()});
    change();
    forgetPlaces();
    QModelIndexList to;
    to.reserve(kept.size());
    for (const auto& [row, column] : std::as_const(kept)) {
        const int place = places(shown()).at(row);
        to.append(place < 0 ? QModelIndex() : createIndex(place, column));
    }
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void StartListShownModel::rebuild()
{
    const int rows = m_source->rowCount();
    forgetPlaces();
    m_order.resize(rows);
    if (!sortsByKey()) {
        std::iota(m_order.begin(), m_order.end(), 0);
        if (m_column == lists::StartRunning && m_sortOrder == Qt::DescendingOrder)
            std::reverse(m_order.begin(), m_order.end());
    } else {
        if (m_rankColumn != m_column || m_rank.size() != rows) {
            m_rank = m_source->ranks(m_column);
            m_rankColumn = m_column;
        }
        // Rows counted into their places by rank, in registration order
        // within a place, either way.
        const int ranks = rows == 0 ? 0 : *std::max_element(m_rank.cbegin(), m_rank.cend()) + 1;
        const bool descending = m_sortOrder == Qt::DescendingOrder;
        std::vector<int> next(ranks + 1, 0);
        for (const int rank : std::as_const(m_rank))
            ++next[(descending ? ranks - 1 - rank : rank) + 1];
        std::partial_sum(next.begin(), next.end(), next.begin());
        for (int row = 0; row < rows; ++row)
            m_order[next[descending ? ranks - 1 - m_rank[row] : m_rank[row]]++] = row;
    }
    refind();
}

void StartListShownModel::insertPlaced(int row)
{
    const auto less = [this](int a, int b) { return before(a, b); };
    const int at = int(std::lower_bound(m_order.cbegin(), m_order.cend(), row, less) - m_order.cbegin());
    if (m_query.isEmpty()) {
        beginInsertRows({}, at, at);
        m_order.insert(at, row);
        forgetPlaces();
        endInsertRows();
        return;
    }
    m_order.insert(at, row);
    forgetPlaces();
    if (!found(row))
        return;
    const int shownAt = int(std::lower_bound(m_found.cbegin(), m_found.cend(), row, less) - m_found.cbegin());
    beginInsertRows({}, shownAt, shownAt);
    m_found.insert(shownAt, row);
    forgetPlaces();
    endInsertRows();
}

void StartListShownModel::removePlaced(int row)
{
    const int at = places(m_order).at(row);
    if (m_query.isEmpty()) {
        beginRemoveRows({}, at, at);
        m_order.remove(at);
        forgetPlaces();
        endRemoveRows();
        return;
    }
    const int shownAt = places(m_found).at(row);
    m_order.remove(at);
    forgetPlaces();
    if (shownAt < 0)
        return;
    beginRemoveRows({}, shownAt, shownAt);
    m_found.remove(shownAt);
    forgetPlaces();
    endRemoveRows();
}

namespace {

// Moves the source rows at and after first by count, in a list of them.
void shiftRows(QList<int>& rows, int first, int count)
{
    for (int& row : rows) {
        if (row >= first)
            row += count;
    }
}

} // namespace

void StartListShownModel::sourceRowsInserted(int first, int last)
{
    m_rank.clear();
    shiftRows(m_order, first, last - first + 1);
    shiftRows(m_found, first, last - first + 1);
    forgetPlaces();
    for (int row = first; row <= last; ++row)
        insertPlaced(row);
}

void StartListShownModel::sourceRowsAboutToBeRemoved(int first, int last)
{
    m_rank.clear();
    for (int row = last; row >= first; --row)
        removePlaced(row);
}

void StartListShownModel::sourceRowsRemoved(int first, int last)
{
    shiftRows(m_order, last + 1, first - last - 1);
    shiftRows(m_found, last + 1, first - last - 1);
    forgetPlaces();
}

void StartListShownModel::sourceDataChanged(const QModelIndex& from, const QModelIndex& to, const QList<int>& roles)
{
    if (!from.isValid() || !to.isValid())
        return;
    m_rank.clear();
    // The changed rows whose key or match no longer fits their place.
    QList<int> moved;
    for (int row = from.row(); row <= to.row(); ++row) {
        const int at = places(m_order).at(row);
        const bool misplaced = sortsByKey()
            && ((at > 0 && !before(m_order.at(at - 1), row))
                || (at + 1 < m_order.size() && !before(row, m_order.at(at + 1))));
        const bool refound = !m_query.isEmpty() && found(row) != (places(m_found).at(row) >= 0);
        if (misplaced || refound)
            moved.append(row);
    }
    if (moved.size() > 64) {
        relayout([this] { rebuild(); });
    } else if (!moved.isEmpty()) {
        relayout([&] {
            for (const int row : std::as_const(moved)) {
                m_order.removeOne(row);
                m_found.removeOne(row);
            }
            const auto less = [this](int a, int b) { return before(a, b); };
            for (const int row : std::as_const(moved)) {
                m_order.insert(std::lower_bound(m_order.cbegin(), m_order.cend(), row, less) - m_order.cbegin(), row);
                if (!m_query.isEmpty() && found(row))
                    m_found.insert(std::lower_bound(m_found.cbegin(), m_found.cend(), row, less) - m_found.cbegin(),
                                   row);
            }
        });
    }
    // Few rows are told one by one; many, as the whole list.
    const int lastColumn = columnCount() - 1;
    if (to.row() - from.row() >= 64) {
        if (rowCount() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, lastColumn), roles);
        return;
    }
    for (int row = from.row(); row <= to.row(); ++row) {
        const int place = places(shown()).at(row);
        if (place >= 0)
            emit dataChanged(index(place, from.column()), index(place, to.column()), roles);
    }
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
