#include "testutil.h"
#include "app/listmodels.h"
#include "app/racesession.h"
#include "data/database.h"
#include "core/dates.h"
#include "ui/listdelegate.h"
#include "ui/listview.h"
#include "core/texts.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

using testutil::TempDb;

namespace {

QTreeView* startList(frmkelvora& w)
{
    return testutil::find<QTreeView>(&w, "lsv1");
}

// Shows the window wide enough for every column header to be clicked.
void showWide(frmkelvora& w)
{
    w.resize(1400, 700);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
}

void clickHeader(QTreeView* list, int column)
{
    QHeaderView* header = list->header();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

QPoint rowCentre(QTreeView* list, int row)
{
    return testutil::rowRect(list, row).center();
}

// The right button as the window system reports it: a context-menu event.
void rightClick(QTreeView* list, const QPoint& at)
{
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &event);
}

// A double click as the window system delivers it: a click, then the
// double-click event in place of the second press.
void doubleClick(QTreeView* list, const QPoint& at)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// How a cell's text shows against the background at its right edge: the
// sum of the colour differences (lighter counts positive, darker negative)
// and their mean column, as "mass at x".
QPointF inkOf(const QImage& cell)
{
    const QRgb back = cell.pixel(cell.width() - 3, cell.height() / 2);
    double mass = 0, weight = 0, at = 0;
    for (int y = 0; y < cell.height(); ++y) {
        for (int x = 0; x < cell.width(); ++x) {
            const QRgb c = cell.pixel(x, y);
            const double d = qRed(c) - qRed(back) + qGreen(c) - qGreen(back) + qBlue(c) - qBlue(back);
            mass += d;
            weight += std::abs(d);
            at += std::abs(d) * x;
        }
    }
    return {mass, weight > 0 ? at / weight : 0};
}

QStringList reversed(QStringList texts)
{
    std::reverse(texts.begin(), texts.end());
    return texts;
}

} // namespace

class TestStartView : public QObject {
    Q_OBJECT

private slots:
    void init() { MessageBox::clearShown(); }

    void refillNumbersRowsInRegistrationOrder()
    {
        TempDb tmp;
        frmkelvora w(tmp.path());
        testutil::makeCurrentRace(w, QStringLiteral("Utrka"), QDate(2010, 6, 1));
        const qint64 first = testutil::addCompetitor(w, QStringLiteral("12"), QStringLiteral("Ana Babić"),
                                                     QStringLiteral("Ž"), QDate(1980, 3, 7));
        const qint64 second = testutil::addCompetitor(w, QString(), QStringLiteral("Ivo Zec"), QStringLiteral("M"),
                                                      QDate(1975, 11, 30));
        QTreeView* list = startList(w);
        QCOMPARE(testutil::columnTexts(list, 0), (QStringList{"1", "2"}));
        QCOMPARE(testutil::columnTexts(list, 1), (QStringList{"12", ""}));
        QCOMPARE(testutil::columnTexts(list, 6), (QStringList{"07.03.1980", "30.11.1975"}));
        QCOMPARE(testutil::columnTexts(list, 7), (QStringList{QString::number(first), QString::number(second)}));
        QVERIFY(list->isColumnHidden(7));
    }

    void sortByColumn_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QStringList>("ascending");

        QStringList twelve;
        QStringList numbers;
        for (int i = 1; i <= 12; ++i) {
            twelve << QStringLiteral("Takmičar %1").arg(i);
            numbers << QString::number(i);
        }
        QTest::newRow("R.br. by number") << 0 << twelve << numbers;
        QTest::newRow("St. br. in natural order")
            << 1 << QStringList{"10", "2", "07", "7", "", "1", "100"}
            << QStringList{"", "1", "2", "7", "07", "10", "100"};
        QTest::newRow("Ime i prezime by Croatian alphabet")
            << 2 << QStringList{"Žagar Ivo", "Zec Ana", "Čop Marko", "Cvitan Ante", "Ćorić Luka", "Đurić Ema",
                                "Dujam Ivo", "Šimić Ana", "Sabol Tin"}
            << QStringList{"Cvitan Ante", "Čop Marko", "Ćorić Luka", "Dujam Ivo", "Đurić Ema", "Sabol Tin",
                           "Šimić Ana", "Zec Ana", "Žagar Ivo"};
        QTest::newRow("Klub by Croatian alphabet")
            << 4 << QStringList{"AK Zagreb", "AK Čakovec", "AK Split", "AK Šibenik", "AK Cres"}
            << QStringList{"AK Cres", "AK Čakovec", "AK Split", "AK Šibenik", "AK Zagreb"};
        QTest::newRow("Datum rođ. by date")
            << 6 << QStringList{"01.02.1990", "31.12.1989", "", "31.01.1990", "02.01.2001", "15.06.1955"}
            << QStringList{"", "15.06.1955", "31.12.1989", "31.01.1990", "01.02.1990", "02.01.2001"};
    }

    // One click sorts ascending by the column's kind, a second click on the
    // same header sorts descending.
    void sortByColumn()
    {
        QFETCH(int, column);
        QFETCH(QStringList, values);
        QFETCH(QStringList, ascending);
        TempDb tmp;
        frmkelvora w(tmp.path());
        showWide(w);
        testutil::makeCurrentRace(w, QStringLiteral("Utrka"), QDate(2010, 6, 1));
        for (const QString& value : values) {
            const QString number = column == 1 ? value : QString();
            const QString name = column == 0 || column == 2 ? value : QStringLiteral("Ime");
            const QDate born = column == 6 ? kvr::parseDayMonthYear(value).value_or(QDate()) : QDate(1980, 1, 1);
            const QString club = column == 4 ? value : QStringLiteral("AK Split");
            testutil::addCompetitor(w, number, name, QStringLiteral("M"), born, QStringLiteral("HRV"), club);
        }
        QTreeView* list = startList(w);

        clickHeader(list, column);
        QCOMPARE(testutil::columnTexts(list, column), ascending);
        QCOMPARE(list->header()->sortIndicatorSection(), column);
        QCOMPARE(list->header()->sortIndicatorOrder(), Qt::AscendingOrder);
        clickHeader(list, column);
        QCOMPARE(testutil::columnTexts(list, column), reversed(ascending));
        QCOMPARE(list->header()->sortIndicatorOrder(), Qt::DescendingOrder);
    }

    void anotherColumnSortsAscendingAndSortSurvivesRefill()
    {
        TempDb tmp;
        frmkelvora w(tmp.path());
        showWide(w);
        testutil::makeCurrentRace(w, QStringLiteral("Utrka"), QDate(2010, 6, 1));
        const QDate born(1980, 1, 1);
        testutil::addCompetitor(w, "3", "Ana", "Ž", born, "HRV", "AK Zagreb");
        testutil::addCompetitor(w, "1", "Ivo", "M", born, "HRV", "AK Osijek");
        testutil::addCompetitor(w, "2", "Šime", "M", born, "HRV", "AK Split");
        QTreeView* list = startList(w);

        clickHeader(list, 2);
        clickHeader(list, 2);
        QCOMPARE(testutil::columnTexts(list, 2), (QStringList{"Šime", "Ivo", "Ana"}));
        clickHeader(list, 4);
        QCOMPARE(testutil::columnTexts(list, 4), (QStringList{"AK Osijek", "AK Split", "AK Zagreb"}));

        // A refill keeps the chosen order; the running numbers follow
        // registration whatever the display order.
        clickHeader(list, 1);
        clickHeader(list, 1);
        testutil::addCompetitor(w, "10", "Luka", "M", born, "HRV", "AK Cres");
        QCOMPARE(testutil::columnTexts(list, 1), (QStringList{"10", "3", "2", "1"}));
        QCOMPARE(testutil::columnTexts(list, 0), (QStringList{"4", "1", "3", "2"}));
    }

    void rightButtonSelectsRowAndOpensMenu()
    {
        TempDb tmp;
        frmkelvora w(tmp.path());
        showWide(w);
        testutil::makeCurrentRace(w, QStringLiteral("Utrka"), QDate(2010, 6, 1));
        QTreeView* list = startList(w);
        auto* menu = testutil::find<QMenu>(&w, "mnustartnalista");

        rightClick(list, QPoint(20, 20));
        QVERIFY(!menu->isVisible());

        for (const char* name : {"Ana", "Ivo", "Luka"})
            testutil::addCompetitor(w, QString(), name, "M", QDate(1980, 1, 1));
        testutil::selectRow(list, 0);
        testutil::selectRow(list, 2);
        rightClick(list, rowCentre(list, 1));
        QVERIFY(menu->isVisible());
        QCOMPARE(testutil::selectedRows(list), (QList<int>{1}));
        QCOMPARE(ui::lastSelectedRow(list), 1);
        menu->hide();
    }

    void doubleClickEditsSelectedRow()
    {
        TempDb tmp;
        frmkelvora w(tmp.path());
        showWide(w);
        testutil::makeCurrentRace(w, QStringLiteral("Utrka"), QDate(2010, 6, 1));
        QTreeView* list = startList(w);
        QSignalSpy edits(testutil::find<QAction>(&w, "mnuizmjenatakmicara"), &QAction::triggered);
        // Closes whatever the editing command opens.
        QTimer closer;
        connect(&closer, &QTimer::timeout, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
        });
        closer.start(5);

        doubleClick(list, QPoint(20, 20));
        QCOMPARE(MessageBox::last().text, tx::emptyListDoubleClick());

        for (const char* name : {"Ana", "Ivo"})
            testutil::addCompetitor(w, QString(), name, "M", QDate(1980, 1, 1));
        MessageBox::clearShown();
        const QPoint below(20, testutil::rowRect(list, 1).bottom() + 40);
        doubleClick(list, below);
        QVERIFY(testutil::selectedRows(list).isEmpty());
        QCOMPARE(MessageBox::last().text, tx::selectRowToEdit());
        QCOMPARE(edits.count(), 0);

        MessageBox::clearShown();
        doubleClick(list, rowCentre(list, 1));
        QCOMPARE(edits.count(), 1);
        for (const MessageBox::Shown& message : MessageBox::shown())
            QVERIFY(message.text != tx::selectRowToEdit() && message.text != tx::emptyListDoubleClick());
    }

    // Commands act on the last selected row in the order shown.
    void lastSelectedRowFollowsDisplayOrder()
    {
        TempDb tmp;
        frmkelvora w(tmp.path());
        showWide(w);
        testutil::makeCurrentRace(w, QStringLiteral("Utrka"), QDate(2010, 6, 1));
        for (const char* name : {"Ana", "Boris", "Cvijeta", "Darko"})
            testutil::addCompetitor(w, QString(), name, "M", QDate(1980, 1, 1));
        QTreeView* list = startList(w);
        QCOMPARE(ui::lastSelectedRow(list), -1);
        QCOMPARE(ui::lastSelectedSourceRow(list), -1);

        clickHeader(list, 2);
        clickHeader(list, 2);
        testutil::selectRow(list, 3);
        testutil::selectRow(list, 1);
        QCOMPARE(ui::lastSelectedRow(list), 3);
        QCOMPARE(testutil::cell(list, ui::lastSelectedRow(list), 2), QStringLiteral("Ana"));
    }

    // The lists' own delegate paints and measures a cell as the style does.
    void listCellsPaintAsTheStyleDoes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("role"); // set on the cell, with the value below
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("selected");
        const QString name = QStringLiteral("Kovačević Šime");
        QFont bold;
        bold.setBold(true);
        QTest::newRow("plain") << name << -1 << QVariant() << false;
        QTest::newRow("selected") << name << -1 << QVariant() << true;
        QTest::newRow("too long: elided") << "Kovačević-Šimunović Marija Ana Đurđa" << -1 << QVariant() << false;
        QTest::newRow("aligned right") << "1:02:03" << int(Qt::TextAlignmentRole)
                                       << QVariant(int(Qt::AlignRight | Qt::AlignVCenter)) << false;
        QTest::newRow("coloured") << name << int(Qt::ForegroundRole) << QVariant(QColor(0xc00000)) << false;
        QTest::newRow("a font of its own") << name << int(Qt::FontRole) << QVariant(bold) << false;
    }

    void listCellsPaintAsTheStyleDoes()
    {
        QFETCH(QString, text);
        QFETCH(int, role);
        QFETCH(QVariant, value);
        QFETCH(bool, selected);
        // A plain row first, as most of a list is, then the row to paint.
        QStandardItemModel model(2, 1);
        model.setItem(0, 0, new QStandardItem(QStringLiteral("Horvat Ana")));
        model.setItem(1, 0, new QStandardItem(text));
        if (role >= 0)
            model.setData(model.index(1, 0), value, role);
        QWidget window;
        QTreeView ours(&window);
        QTreeView styles(&window);
        for (QTreeView* view : {&ours, &styles}) {
            view->setModel(&model);
            view->setFocusPolicy(Qt::NoFocus);
            view->setItemDelegate(view == &ours ? new ui::ListDelegate(view) : new QStyledItemDelegate(view));
            view->setColumnWidth(0, 120);
            view->setGeometry(0, view == &ours ? 0 : 100, 180, 80);
            if (selected)
                view->selectionModel()->select(model.index(1, 0), QItemSelectionModel::Select);
        }
        window.resize(200, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto ink = [&](QTreeView& view) { return inkOf(view.viewport()->grab(view.visualRect(model.index(1, 0))).toImage()); };
        const QPointF mine = ink(ours);
        const QPointF style = ink(styles);
        QVERIFY2(style.x() != 0 && std::abs(mine.x() - style.x()) < 0.05 * std::abs(style.x())
                     && std::abs(mine.y() - style.y()) < 1.5,
                 qPrintable(QString("ink %1 at %2, the style's %3 at %4").arg(mine.x()).arg(mine.y()).arg(style.x()).arg(style.y())));
        // Measured for the column's fit as the style measures it.
        const QSize measured = ours.sizeHintForIndex(model.index(1, 0));
        const QSize styleMeasured = styles.sizeHintForIndex(model.index(1, 0));
        QCOMPARE(measured.height(), styleMeasured.height());
        QVERIFY(std::abs(measured.width() - styleMeasured.width()) <= 1);
    }

    // Removing rows moves the current row as a plain view's selection does.
    void currentRowAfterRemoval_data()
    {
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::newRow("the current row") << 2 << 2 << 2;
        QTest::newRow("a block with it") << 2 << 1 << 3;
        QTest::newRow("the first row") << 0 << 0 << 0;
        QTest::newRow("the last row") << 4 << 4 << 4;
        QTest::newRow("every row") << 1 << 0 << 4;
        QTest::newRow("another row: it stays") << 3 << 0 << 0;
    }

    void currentRowAfterRemoval()
    {
        QFETCH(int, current);
        QFETCH(int, first);
        QFETCH(int, last);
        QStringList after;
        for (const bool ours : {true, false}) {
            QStandardItemModel model;
            for (int row = 0; row < 5; ++row)
                model.appendRow({new QStandardItem(QStringLiteral("r%1").arg(row)), new QStandardItem(QStringLiteral("c"))});
            std::unique_ptr<QTreeView> view(ours ? ui::listView("lsv", &model, {{QStringLiteral("R"), 80, false}, {QStringLiteral("C"), 80, false}})
                                                 : new QTreeView);
            if (!ours) {
                view->setModel(&model);
                view->setSelectionBehavior(QAbstractItemView::SelectRows);
                view->setSelectionMode(QAbstractItemView::ExtendedSelection);
            }
            view->show();
            view->selectionModel()->setCurrentIndex(model.index(current, 1), QItemSelectionModel::ClearAndSelect);
            model.removeRows(first, last - first + 1);
            const QModelIndex now = view->selectionModel()->currentIndex();
            after.append(now.isValid() ? QStringLiteral("%1 in column %2").arg(now.siblingAtColumn(0).data().toString()).arg(now.column())
                                       : QStringLiteral("none"));
        }
        QCOMPARE(after.first(), after.last());
    }

    void sortModelKeepsTiesAndFollowsEdits_data()
    {
        QTest::addColumn<int>("order");
        QTest::addColumn<QString>("numbers");
        QTest::addColumn<QString>("namesAfterEdit");
        QTest::newRow("ascending") << int(Qt::AscendingOrder) << "4 6 2 5 3 1" << "BBČČČĆ";
        QTest::newRow("descending") << int(Qt::DescendingOrder) << "1 3 2 5 4 6" << "ĆČČČBB";
    }

    // Through the sort model alone: names in Croatian order, ties in
    // registration order either way, an edit right after the sort followed.
    void sortModelKeepsTiesAndFollowsEdits()
    {
        QFETCH(int, order);
        QTemporaryDir dir;
        RaceSession session(dir.filePath(QStringLiteral("kvr.mdb")));
        QVERIFY(session.database().open().ok() && session.createRace("Utrka", "AK", "1.6.2010").ok());
        int number = 0;
        for (const char* name : {"Žagar Ivo", "Čović Ana", "Ćosić Ana", "Babić Ivo", "Čović Ana", "Babić Ivo"})
            QVERIFY(session.addCompetitor({name, QString::number(++number), "HRV", "AK", "M", "1.2.1980"}).ok());
        StartListShownModel sorted(session.startListModel());
        sorted.sort(lists::StartName, Qt::SortOrder(order));
        const auto shown = [&](int column, int letters) {
            QStringList cells;
            for (int row = 0; row < sorted.rowCount(); ++row)
                cells.append(sorted.index(row, column).data().toString().left(letters));
            return cells.join(letters == 1 ? "" : " ");
        };
        QTEST(shown(lists::StartNumber, 9), "numbers");
        // Edited right after the sort: moves among the rows of its new name.
        QVERIFY(session.editCompetitor(session.startList().first().id,
                                       {"Čović Ana", "1", "HRV", "AK", "M", "1.2.1980"}).ok());
        QTEST(shown(lists::StartName, 1), "namesAfterEdit");
    }

    void shownModelFollowsChanges_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("order");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("change"); // add NAME, edit NUMBER NAME, delete NUMBER
        QTest::addColumn<QString>("held");   // the number of a row held before the change
        QTest::addColumn<QString>("numbers");
        QTest::addColumn<QString>("heldAfter"); // empty: left out by the search
        const int name = lists::StartName, number = lists::StartNumber, running = lists::StartRunning;
        const int up = Qt::AscendingOrder, down = Qt::DescendingOrder;
        QTest::newRow("add, sorted") << name << up << "" << "add Anić Ana" << "5" << "7 4 6 2 5 3 1" << "5";
        QTest::newRow("add found, descending") << name << down << "ana" << "add Anić Ana" << "2" << "3 2 5 7" << "2";
        QTest::newRow("add not found") << name << up << "ana" << "add Babić Ivo" << "3" << "2 5 3" << "3";
        QTest::newRow("edit: now found") << name << up << "ana" << "edit 4 Babić Ana" << "5" << "4 2 5 3" << "5";
        QTest::newRow("edit: no longer found") << name << up << "ana" << "edit 2 Čović Iva" << "2" << "5 3" << "";
        QTest::newRow("edit: moves") << name << down << "" << "edit 1 Anić Ivo" << "1" << "3 2 5 4 6 1" << "1";
        QTest::newRow("edit: tie") << name << up << "" << "edit 1 Babić Ivo" << "4" << "1 4 6 2 5 3" << "4";
        QTest::newRow("delete") << name << up << "" << "delete 2" << "3" << "4 6 5 3 1" << "3";
        QTest::newRow("delete found") << number << down << "ivo" << "delete 6" << "1" << "4 1" << "1";
        QTest::newRow("delete not found") << number << up << "ivo" << "delete 2" << "6" << "1 4 6" << "6";
        QTest::newRow("running, descending") << running << down << "" << "add Anić Ana" << "6" << "7 6 5 4 3 2 1" << "6";
        QTest::newRow("unsorted, search") << -1 << up << "babić" << "add Babić Ivo" << "6" << "4 6 7" << "6";
    }

    // The shown start list after a change, sorted and searched: what a
    // fresh sort and search would show, and a row held (the selection, the
    // current row) still on its competitor.
    void shownModelFollowsChanges()
    {
        QFETCH(int, column);
        QFETCH(int, order);
        QFETCH(QString, search);
        QFETCH(QString, change);
        QFETCH(QString, held);
        QTemporaryDir dir;
        RaceSession session(dir.filePath(QStringLiteral("kvr.mdb")));
        QVERIFY(session.database().open().ok() && session.createRace("Utrka", "AK", "1.6.2010").ok());
        int count = 0;
        const auto entry = [](const QString& name, const QString& number) {
            return rules::CompetitorEntry{name, number, "HRV", "AK", "M", "1.2.1980"};
        };
        for (const char* name : {"Žagar Ivo", "Čović Ana", "Ćosić Ana", "Babić Ivo", "Čović Ana", "Babić Ivo"})
            QVERIFY(session.addCompetitor(entry(QString::fromUtf8(name), QString::number(++count))).ok());
        StartListShownModel shown(session.startListModel());
        shown.sort(column, Qt::SortOrder(order));
        shown.setSearch(search);
        const auto numberAt = [&](int row) { return shown.index(row, lists::StartNumber).data().toString(); };
        QPersistentModelIndex hold;
        for (int row = 0; row < shown.rowCount(); ++row) {
            if (numberAt(row) == held)
                hold = shown.index(row, lists::StartName);
        }
        QVERIFY(hold.isValid());

        const QStringList words = change.split(' ');
        const auto idOf = [&](const QString& number) { return session.startNumbers().first(number); };
        if (words[0] == "add")
            QVERIFY(session.addCompetitor(entry(words.mid(1).join(' '), QString::number(++count))).ok());
        else if (words[0] == "edit")
            QVERIFY(session.editCompetitor(idOf(words[1]), entry(words.mid(2).join(' '), words[1])).ok());
        else
            QVERIFY(session.deleteCompetitor(idOf(words[1]), false).ok());

        QStringList numbers;
        for (int row = 0; row < shown.rowCount(); ++row)
            numbers.append(numberAt(row));
        QTEST(numbers.join(' '), "numbers");
        QTEST(hold.isValid() ? numberAt(hold.row()) : QString(), "heldAfter");
    }
};

KVR_TEST_MAIN(TestStartView)
#include "test_startview.moc"
