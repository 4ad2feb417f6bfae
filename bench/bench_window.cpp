// Every step of race day through the shown window, driven by its own widgets
// as a user drives them, painting included: a finish entry, a competitor add
// and edit (on a file this version made and on one of an earlier version,
// without the unique indexes), the delete of a finisher, opening the race,
// "Rezultati" after another station stored one finish, the sort of the start
// list by name, and the process's peak memory (during each step, and in all).
// CPU and wall-clock medians.
// Sizes: 20,000 and 100,000 competitors, or the sizes given as arguments.

#include "app/racesession.h"
#include "measure.h"
#include "ui/frmkelvora.h"
#include "ui/messagebox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QUuid>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>

using kvrbench::cpuMs;
using kvrbench::fillRace;
using kvrbench::median;
using kvrbench::peakMiB;

namespace {

constexpr int kRepeats = 21;

// The highest peak seen, kept across resetPeak().
double g_peak = 0;

// Starts the process's peak anew at the memory in use now, so that the next
// reading is the peak of what runs in between.
void resetPeak()
{
    g_peak = std::max(g_peak, peakMiB());
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

// Runs statements on the file through a connection of its own, as another
// station or another program does.
void onFile(const QString& path, const std::function<void(QSqlDatabase&)>& work)
{
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.open();
        work(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// The unique indexes of this version dropped: a file of an earlier version.
// (Opening it gives it an ordinary index on the start numbers.)
void makeEarlierVersion(QSqlDatabase& db)
{
    QSqlQuery q(db);
    q.exec(QStringLiteral("drop index if exists startna_sbroj"));
    q.exec(QStringLiteral("drop index if exists rezultati_takmicar"));
    q.exec(QStringLiteral("create index rezultati_takmicar on rezultati (idutrke, idtakmicara)"));
}

template <typename T>
T* child(QWidget& w, const char* name)
{
    return w.findChild<T*>(QString::fromLatin1(name));
}

struct Timing {
    QList<double> cpu;
    QList<double> wall;
    double peak = 0; // MiB, the highest of the step's repeats
};

// One step as the user feels it: the action and the painting it causes.
void measure(Timing& timing, const std::function<void()>& step)
{
    resetPeak();
    QElapsedTimer wall;
    wall.start();
    const double start = cpuMs();
    step();
    QApplication::processEvents();
    timing.cpu.append(cpuMs() - start);
    timing.wall.append(double(wall.nsecsElapsed()) / 1e6);
    timing.peak = std::max(timing.peak, peakMiB());
}

void report(const char* what, const Timing& t)
{
    std::printf("  %-46s %8.1f ms CPU %8.1f ms wall  peak %5.0f MiB\n", what, median(t.cpu), median(t.wall), t.peak);
}

// Answers the next modal dialog by filling its fields and pressing its button.
void answerNextDialog(const std::function<void(QDialog*)>& fn)
{
    QTimer::singleShot(0, [fn] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            fn(d);
    });
}

// The steps on one file; earlier marks a file of an earlier version.
void runSteps(int n, bool earlier)
{
    const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    QTemporaryDir dir(base + QStringLiteral("/kvr-bench-XXXXXX"));
    const QString path = dir.filePath(QStringLiteral("kvr.mdb"));
    {
        frmkelvora creator(path); // creates the file
        if (!creator.databaseReady())
            return;
    }
    qint64 raceId = 0;
    onFile(path, [&](QSqlDatabase& db) {
        raceId = fillRace(db, n);
        if (earlier)
            makeEarlierVersion(db);
    });

    auto w = std::make_unique<frmkelvora>(path);
    w->resize(1024, 700);
    w->show();
    QApplication::processEvents();
    auto* tabs = child<QTabWidget>(*w, "SSTab1");
    auto* lsv1 = child<QTreeView>(*w, "lsv1");

    Timing open;
    measure(open, [&] { w->openRaceById(raceId); });

    // Competitor adds on the start list page.
    Timing adds;
    for (int i = 0; i < kRepeats; ++i) {
        child<QLineEdit>(*w, "txtime")->setText(QStringLiteral("Novi Takmičar %1").arg(i));
        // A start number has at most six characters.
        const QString number = QString::number(n + 1 + i);
        child<QLineEdit>(*w, "txtsbroj")->setText(number.size() <= 6 ? number : QStringLiteral("D%1").arg(i));
        child<QLineEdit>(*w, "txtdrzava")->setText(QStringLiteral("HRV"));
        child<QLineEdit>(*w, "txtklub")->setText(QStringLiteral("AK Zadar"));
        child<QLineEdit>(*w, "txtdatumrod")->setText(QStringLiteral("12.3.1980"));
        measure(adds, [&] {
            child<QPushButton>(*w, "cmddodaj")->click();
            // Stored on the writer's thread: done when the lists show it.
            while (w->session().storing())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        });
    }

    // Edits through the editing dialog: the club changed, the rest kept.
    Timing edits;
    for (int i = 0; i < kRepeats; ++i) {
        const QModelIndex row = lsv1->model()->index(1 + i * (n / 40), 0);
        lsv1->selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        answerNextDialog([i](QDialog* d) {
            d->findChild<QLineEdit*>(QStringLiteral("txtklub"))->setText(QStringLiteral("AK %1").arg(i));
            d->findChild<QPushButton*>(QStringLiteral("cmdizmjena"))->click();
        });
        measure(edits, [&] { w->findChild<QAction*>(QStringLiteral("mnuizmjenatakmicara"))->trigger(); });
    }

    // Finish entries on the results page, for competitors not yet finished.
    tabs->setCurrentIndex(1);
    QApplication::processEvents();
    Timing entries;
    for (int i = 0; i < kRepeats; ++i) {
        child<QLineEdit>(*w, "txtsbrojr")->setText(QString::number(2 + 2 * i * (n / 50)));
        child<QLineEdit>(*w, "txtvrijeme")->setText(QStringLiteral("01:%1:00").arg(10 + i));
        measure(entries, [&] {
            auto* unos = child<QPushButton>(*w, "cmdunos");
            unos->click();
            // Stored on the writer's thread: done when the fields take input again.
            while (!unos->isEnabled())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        });
    }

    // Deletes of finishers from the start list, the question answered yes.
    tabs->setCurrentIndex(0);
    QApplication::processEvents();
    Timing deletes;
    for (int i = 0; i < kRepeats; ++i) {
        // Odd start numbers are finishers, at even places of the first rows;
        // each delete moves the later rows up by one.
        const QModelIndex row = lsv1->model()->index(2 * i * (n / 50) - i, 0);
        lsv1->selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        MessageBox::setNextAnswer(QMessageBox::Yes);
        measure(deletes, [&] {
            w->findChild<QAction*>(QStringLiteral("mnubrisanjetakmicara"))->trigger();
            while (w->session().storing())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        });
    }

    // Another station stores one finish; the user opens "Rezultati".
    Timing other;
    for (int i = 0; i < 5; ++i) {
        onFile(path, [&](QSqlDatabase& db) {
            QSqlQuery q(db);
            q.prepare(QStringLiteral("insert into rezultati (idtakmicara, idutrke, sbroj, vrijeme) "
                                     "select id, idutrke, sbroj, '02:00:00' from startna where idutrke = ? and sbroj = ?"));
            q.addBindValue(raceId);
            q.addBindValue(QString::number(4 + 2 * i * (n / 50)));
            q.exec();
        });
        tabs->setCurrentIndex(0);
        QApplication::processEvents();
        measure(other, [&] { tabs->setCurrentIndex(1); });
    }

    // The start list sorted by name, by a click on its heading.
    tabs->setCurrentIndex(0);
    QApplication::processEvents();
    Timing sorts;
    for (int i = 0; i < 5; ++i)
        measure(sorts, [&] { emit lsv1->header()->sectionClicked(2); });
    // After a sort by another column, the names' keys are worked out anew.
    Timing firstSorts;
    for (int i = 0; i < 5; ++i) {
        emit lsv1->header()->sectionClicked(lists::StartClub);
        QApplication::processEvents();
        measure(firstSorts, [&] { emit lsv1->header()->sectionClicked(lists::StartName); });
    }

    const char* file = earlier ? "file of an earlier version" : "file of this version";
    // The delete questions aside, a message box means a step was refused.
    int refusals = 0;
    for (const MessageBox::Shown& m : MessageBox::shown())
        refusals += m.buttons == QMessageBox::Ok || m.buttons == QMessageBox::NoButton;
    std::printf("%d competitors, %s (%d steps refused)\n", n, file, refusals);
    MessageBox::clearShown();
    report("open a race", open);
    report("one competitor add", adds);
    report("one competitor edit", edits);
    report("one finish entry (\"Upiši\")", entries);
    report("delete a finisher", deletes);
    report("\"Rezultati\" after another station's finish", other);
    report("sort the start list by name", sorts);
    report("sort by name after another column (keys anew)", firstSorts);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    MessageBox::setTestMode(true);
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.append(QString::fromLatin1(argv[i]).toInt());
    if (sizes.isEmpty())
        sizes = {20000, 100000};
    for (int n : sizes) {
        runSteps(n, false);
        runSteps(n, true);
    }
    resetPeak();
    std::printf("peak memory of the process: %.0f MiB\n", g_peak);
    return 0;
}
