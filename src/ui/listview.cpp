#include "ui/listview.h"

#include "app/racesession.h"
#include "core/columnfit.h"
#include "ui/listdelegate.h"

#include <QAbstractProxyModel>
#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QSet>
#include <QTimer>
#include <memory>
#include <utility>

namespace ui {

namespace {

// Rows measured for a column's content by a header's own fit.
constexpr int measuredRows = 300;

// Fits the widths of a list's columns to their content and to the list's
// width, once per turn of the event loop however many rows changed. Only the
// rows that changed and the rows in sight are measured, so that an entry in
// a list of 100,000 rows measures one row. A column's content width only
// grows while the list holds the same rows, so that scrolling never narrows
// a column; the user's own drag of a column edge stops the fitting.
class ColumnFitter : public QObject {
public:
    ColumnFitter(QTreeView* view, QList<int> preset)
        : QObject(view)
        , m_view(view)
        , m_preset(std::move(preset))
        , m_needed(m_preset.size(), 0)
    {
        m_view->header()->setResizeContentsPrecision(measuredRows);
        QAbstractItemModel* model = view->model();
        connect(model, &QAbstractItemModel::modelReset, this, [this] {
            m_needed.fill(0);
            scheduleInSight();
        });
        connect(model, &QAbstractItemModel::rowsInserted, this,
                [this](const QModelIndex&, int first, int last) { scheduleRows(first, last); });
        connect(model, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex& from, const QModelIndex& to) { scheduleRows(from.row(), to.row()); });
        connect(model, &QAbstractItemModel::layoutChanged, this, &ColumnFitter::scheduleInSight);
        connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this, &ColumnFitter::scheduleInSight);
        connect(view->header(), &QHeaderView::sectionResized, this, [this] {
            if (!m_fitting && QGuiApplication::mouseButtons() != Qt::NoButton)
                m_userWidths = true;
        });
        view->installEventFilter(this);
        scheduleInSight();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Resize || event->type() == QEvent::Show)
            scheduleInSight();
        return false;
    }

private:
    void scheduleInSight()
    {
        m_inSight = true;
        schedule();
    }

    void scheduleRows(int first, int last)
    {
        // Many rows at once (an import) are measured as the rows in sight.
        if (last - first >= measuredRows)
            m_inSight = true;
        else
            m_rows.append({first, last});
        schedule();
    }

    void schedule()
    {
        if (m_scheduled || m_userWidths)
            return;
        m_scheduled = true;
        QTimer::singleShot(0, this, [this] {
            m_scheduled = false;
            fit();
        });
    }

    // Widens the needed width of each shown column to the rows' content.
    void measure(int first, int last)
    {
        const QAbstractItemModel* model = m_view->model();
        last = qMin(last, model->rowCount() - 1);
        for (int row = qMax(first, 0); row <= last; ++row) {
            for (int column = 0; column < m_preset.size(); ++column) {
                if (!m_view->isColumnHidden(column))
                    m_needed[column] = qMax(m_needed[column], m_view->sizeHintForIndex(model->index(row, column)).width());
            }
        }
    }

    void fit()
    {
        const QList<std::pair<int, int>> rows = std::exchange(m_rows, {});
        const bool inSight = std::exchange(m_inSight, false);
        if (m_userWidths || !m_view->isVisible())
            return;
        QHeaderView* header = m_view->header();
        for (int column = 0; column < m_preset.size(); ++column) {
            if (!m_view->isColumnHidden(column))
                m_needed[column] = qMax(m_needed[column], header->sectionSizeHint(column));
        }
        for (const auto& [first, last] : rows)
            measure(first, last);
        if (inSight) {
            const int top = m_view->indexAt(QPoint(0, 0)).row();
            const int rowHeight = qMax(1, m_view->sizeHintForRow(qMax(top, 0)));
            measure(qMax(top, 0), qMax(top, 0) + m_view->viewport()->height() / rowHeight + 1);
        }
        const QList<int> widths = lists::fitWidths(m_preset, m_needed, m_view->viewport()->width());
        m_fitting = true;
        for (int column = 0; column < widths.size(); ++column) {
            if (!m_view->isColumnHidden(column) && m_view->columnWidth(column) != widths.at(column))
                m_view->setColumnWidth(column, widths.at(column));
        }
        m_fitting = false;
    }

    QTreeView* m_view;
    QList<int> m_preset;
    QList<int> m_needed;
    QList<std::pair<int, int>> m_rows; // changed rows not yet measured
    bool m_inSight = false;
    bool m_scheduled = false;
    bool m_fitting = false;
    bool m_userWidths = false;
};

// Moves the current row off rows about to be removed and, once they are
// gone, onto the row the selection model itself would have chosen: the row
// above them, or with none above the row below. Left to the selection
// model, the move comes between the two signals, when the view's row layout
// is already cleared, and the view lays out every row once more than the
// removal needs: a second pass over 100,000 rows for each delete. The first
// connection is made before the view's own, the second after.
class CurrentRowKeeper : public QObject {
public:
    CurrentRowKeeper(QTreeView* view, QAbstractItemModel* model)
        : QObject(view)
        , m_view(view)
    {
        connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
                [this](const QModelIndex& parent, int first, int last) {
                    QItemSelectionModel* selection = m_view->selectionModel();
                    const QModelIndex current = selection ? selection->currentIndex() : QModelIndex();
                    if (parent.isValid() || !current.isValid() || current.row() < first || current.row() > last)
                        return;
                    m_place = qMax(first - 1, 0);
                    m_column = current.column();
                    selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
                });
    }

    void afterTheView(QAbstractItemModel* model)
    {
        connect(model, &QAbstractItemModel::rowsRemoved, this, [this](const QModelIndex& parent) {
            if (m_place < 0 || parent.isValid())
                return;
            const int row = std::exchange(m_place, -1);
            if (row < m_view->model()->rowCount())
                m_view->selectionModel()->setCurrentIndex(m_view->model()->index(row, m_column),
                                                          QItemSelectionModel::NoUpdate);
        });
    }

private:
    QTreeView* m_view;
    int m_place = -1;
    int m_column = 0;
};

} // namespace

QTreeView* listView(const char* name, QAbstractItemModel* model, const QList<lists::ColumnDef>& columns)
{
    auto* list = new QTreeView;
    list->setObjectName(QString::fromLatin1(name));
    auto* keeper = new CurrentRowKeeper(list, model);
    list->setModel(model);
    keeper->afterTheView(model);
    list->setItemDelegate(new ListDelegate(list));
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setAlternatingRowColors(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSortingEnabled(false);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionResizeMode(QHeaderView::Interactive);
    QList<int> preset;
    for (int column = 0; column < columns.size(); ++column) {
        const lists::ColumnDef& def = columns.at(column);
        if (def.hidden)
            list->setColumnHidden(column, true);
        else
            list->setColumnWidth(column, def.width);
        preset.append(def.hidden ? 0 : def.width);
    }
    new ColumnFitter(list, preset);
    return list;
}

namespace {

QString rowKey(const QAbstractItemModel* model, int row, const QList<int>& columns)
{
    QString key;
    for (const int column : columns)
        key += model->index(row, column).data().toString() + QChar(0x1f);
    return key;
}

} // namespace

void showColumnWhenUsed(QTreeView* view, int column, RaceSession& session, const std::function<bool()>& used)
{
    const auto follow = [view, column, used] {
        const bool shown = used();
        if (view->isColumnHidden(column) != shown)
            return;
        view->setColumnHidden(column, !shown);
        // A column hidden from the start has no width of its own yet.
        if (shown && view->columnWidth(column) < 20)
            view->setColumnWidth(column, view->fontMetrics().horizontalAdvance(QStringLiteral("MSen|MSenM")));
    };
    QObject::connect(&session, &RaceSession::listsChanged, view, follow);
    QObject::connect(&session, &RaceSession::raceChanged, view, follow);
    follow();
}

void showStatusColumnWhenUsed(QTreeView* view, int column, RaceSession& session)
{
    showColumnWhenUsed(view, column, session, [&session] { return !session.runStates().isEmpty(); });
}

void showCategoryColumnWhenUsed(QTreeView* view, int column, RaceSession& session)
{
    showColumnWhenUsed(view, column, session, [&session] {
        const QList<Competitor>& list = session.startList();
        return std::any_of(list.cbegin(), list.cend(), [](const Competitor& c) { return !c.kategorija.isEmpty(); });
    });
}

void keepSelectionAcrossResets(QTreeView* view, const QList<int>& keyColumns)
{
    struct Kept {
        QSet<QString> selected;
        QString current;
        int scroll = 0;
    };
    auto kept = std::make_shared<Kept>();
    QAbstractItemModel* model = view->model();
    QObject::connect(model, &QAbstractItemModel::modelAboutToBeReset, view, [view, kept, keyColumns] {
        const QAbstractItemModel* m = view->model();
        kept->selected.clear();
        for (const QModelIndex& index : view->selectionModel()->selectedRows())
            kept->selected.insert(rowKey(m, index.row(), keyColumns));
        const QModelIndex current = view->selectionModel()->currentIndex();
        kept->current = current.isValid() ? rowKey(m, current.row(), keyColumns) : QString();
        kept->scroll = view->verticalScrollBar()->value();
    });
    QObject::connect(model, &QAbstractItemModel::modelReset, view, [view, kept, keyColumns] {
        if (kept->selected.isEmpty() && kept->current.isEmpty())
            return;
        const QAbstractItemModel* m = view->model();
        const int last = m->columnCount() - 1;
        QItemSelection selection;
        QModelIndex current;
        for (int row = 0; row < m->rowCount(); ++row) {
            const QString key = rowKey(m, row, keyColumns);
            if (kept->selected.contains(key))
                selection.select(m->index(row, 0), m->index(row, last));
            if (!kept->current.isEmpty() && key == kept->current)
                current = m->index(row, 0);
        }
        if (current.isValid())
            view->selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
        view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
        view->verticalScrollBar()->setValue(kept->scroll);
    });
}

int lastSelectedRow(const QTreeView* view)
{
    // The selection is kept as ranges of rows, so this stays quick when
    // thousands of rows are selected.
    int last = -1;
    for (const QItemSelectionRange& range : view->selectionModel()->selection()) {
        if (!range.parent().isValid())
            last = qMax(last, range.bottom());
    }
    return last;
}

namespace {

// The row under every proxy of the view's model.
int sourceRow(const QTreeView* view, int row)
{
    QModelIndex index = view->model()->index(row, 0);
    while (const auto* proxy = qobject_cast<const QAbstractProxyModel*>(index.model()))
        index = proxy->mapToSource(index);
    return index.row();
}

} // namespace

int lastSelectedSourceRow(const QTreeView* view)
{
    const int row = lastSelectedRow(view);
    return row < 0 ? -1 : sourceRow(view, row);
}

QList<int> sourceRowsInViewOrder(const QTreeView* view)
{
    const int count = view->model()->rowCount();
    QList<int> rows;
    rows.reserve(count);
    for (int row = 0; row < count; ++row)
        rows.append(sourceRow(view, row));
    return rows;
}

QModelIndex viewIndexOfSourceRow(const QTreeView* view, int sourceRow)
{
    QList<const QAbstractProxyModel*> proxies;
    const QAbstractItemModel* model = view->model();
    while (const auto* proxy = qobject_cast<const QAbstractProxyModel*>(model)) {
        proxies.prepend(proxy);
        model = proxy->sourceModel();
    }
    QModelIndex index = model->index(sourceRow, 0);
    for (const QAbstractProxyModel* proxy : proxies)
        index = proxy->mapFromSource(index);
    return index;
}

} // namespace ui
