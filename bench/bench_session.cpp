// The judges' path through the window with a large race: one finish entry
// and one competitor add (typed into the fields, the button pressed), the
// workload "open the race, show Rezultati, run Obrada for overall, each sex
// and every category" against a bare SQLite read of the same rows, and the
// memory the process holds. Sizes: 20,000 and 100,000 competitors, or the
// sizes given as arguments.

#include "app/racesession.h"
#include "measure.h"
#include "ui/frmkelvora.h"
#include "ui/messagebox.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QUuid>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>

using kvrbench::cpuMs;
using kvrbench::median;
using kvrbench::rssMiB;

namespace {


// The bare read of what the workload shows: the race's start list and
// finish list, every column.
double bareReadMs(const QString& path, qint64 raceId)
{
    const QString name = QUuid::createUuid().toString();
    double ms = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.open();
        const double start = cpuMs();
        QSqlQuery q(db);
        q.setForwardOnly(true);
        qint64 sum = 0;
        q.prepare(QStringLiteral("select id, sbroj, idutrke, ime, drzava, klub, spol, datum from startna where idutrke = ?"));
        q.addBindValue(raceId);
        q.exec();
        while (q.next()) {
            for (int i = 0; i < 8; ++i)
                sum += q.value(i).toString().size();
        }
        q.prepare(QStringLiteral("select id, idtakmicara, idutrke, sbroj, vrijeme from rezultati where idutrke = ?"));
        q.addBindValue(raceId);
        q.exec();
        while (q.next()) {
            for (int i = 0; i < 5; ++i)
                sum += q.value(i).toString().size();
        }
        ms = cpuMs() - start;
        if (sum == 0)
            ms = -1;
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ms;
}

template <typename T>
T* child(QWidget& w, const char* name)
{
    return w.findChild<T*>(QString::fromLatin1(name));
}

void run(int n)
{
    const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    QTemporaryDir dir(base + QStringLiteral("/kvr-bench-XXXXXX"));
    const QString path = dir.filePath(QStringLiteral("kvr.mdb"));
    qint64 raceId = 0;
    {
        frmkelvora creator(path); // creates the file
        if (!creator.databaseReady())
            return;
    }
    raceId = kvrbench::fillRace(path, n);

    const double rssBefore = rssMiB();
    auto w = std::make_unique<frmkelvora>(path);
    auto* tabs = child<QTabWidget>(*w, "SSTab1");

    // The workload: open, Rezultati, Obrada for every selection.
    const double workStart = cpuMs();
    w->openRaceById(raceId);
    tabs->setCurrentIndex(1);
    tabs->setCurrentIndex(2);
    auto* category = child<QComboBox>(*w, "cbokateg");
    auto* process = child<QPushButton>(*w, "cmdobrada");
    for (const char* option : {"optsvi", "optmuski", "optzene"}) {
        child<QRadioButton>(*w, option)->setChecked(true);
        category->setCurrentIndex(0);
        process->click();
    }
    child<QRadioButton>(*w, "optsvi")->setChecked(true);
    for (int i = 1; i < category->count(); ++i) {
        category->setCurrentIndex(i);
        process->click();
    }
    const double workMs = cpuMs() - workStart;
    const double bareMs = bareReadMs(path, raceId);

    // Competitor adds on the start list page.
    tabs->setCurrentIndex(0);
    QList<double> adds;
    for (int i = 0; i < 21; ++i) {
        child<QLineEdit>(*w, "txtime")->setText(QStringLiteral("Novi Takmičar %1").arg(i));
        child<QLineEdit>(*w, "txtsbroj")->setText(QString::number(n + 1 + i));
        child<QLineEdit>(*w, "txtdrzava")->setText(QStringLiteral("HRV"));
        child<QLineEdit>(*w, "txtklub")->setText(QStringLiteral("AK Zadar"));
        child<QLineEdit>(*w, "txtdatumrod")->setText(QStringLiteral("12.3.1980"));
        const double start = cpuMs();
        child<QPushButton>(*w, "cmddodaj")->click();
        // Stored on the writer's thread: done when the lists show it.
        while (w->session().storing())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        adds.append(cpuMs() - start);
    }

    // Finish entries on the results page, for competitors not yet finished.
    tabs->setCurrentIndex(1);
    QList<double> entries;
    for (int i = 0; i < 21; ++i) {
        child<QLineEdit>(*w, "txtsbrojr")->setText(QString::number(2 + 2 * i * (n / 50)));
        child<QLineEdit>(*w, "txtvrijeme")->setText(QStringLiteral("01:%1:00").arg(10 + i));
        const double start = cpuMs();
        auto* unos = child<QPushButton>(*w, "cmdunos");
        unos->click();
        // Stored on the writer's thread: done when the fields take input again.
        while (!unos->isEnabled())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        entries.append(cpuMs() - start);
    }
    const double rssAfter = rssMiB();
    const int messages = int(MessageBox::shown().size());
    MessageBox::clearShown();

    std::printf("%d competitors (%d finished)\n", n, (n + 1) / 2);
    std::printf("  finish entry, median:          %8.1f ms CPU\n", median(entries));
    std::printf("  competitor add, median:        %8.1f ms CPU\n", median(adds));
    std::printf("  workload (open, Rezultati, %d x Obrada): %8.1f ms CPU\n", 3 + category->count() - 1, workMs);
    std::printf("  bare SQLite read of its rows:  %8.1f ms CPU (workload %.1fx)\n", bareMs, workMs / bareMs);
    std::printf("  memory: %.0f MiB before the window, %.0f MiB after (%d message boxes)\n", rssBefore, rssAfter,
                messages);
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
    for (int n : sizes)
        run(n);
    return 0;
}
