// The whole of "open the race, Rezultati, 15 standings" as a process, against
// the floor a bare program sets for the same work (floor_standings). Both run
// as child processes on a race of 20,000 runners (or the size given), five
// times each; the CPU time of each whole process is reported, startup and
// exit included, and their ratio.
//
//   bench_process [N]                 the comparison
//   bench_process --window FILE RACE  one run of the program's window

#include "measure.h"
#include "ui/frmkelvora.h"
#include "ui/messagebox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeView>
#include <QUuid>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// A race of n runners, every second one finished.
qint64 makeRace(const QString& path, int n)
{
    {
        frmkelvora creator(path);
        if (!creator.databaseReady())
            return 0;
    }
    return kvrbench::fillRace(path, n);
}

// The program as the user drives it: the window shown, the race opened,
// "Rezultati", then each of the 15 standings processed and shown.
int runWindow(int argc, char** argv, const QString& path, qint64 raceId)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    MessageBox::setTestMode(true);
    frmkelvora w(path);
    w.resize(1024, 700);
    w.show();
    QApplication::processEvents();
    if (!w.openRaceById(raceId))
        return 1;
    QApplication::processEvents();
    auto* tabs = w.findChild<QTabWidget*>(QStringLiteral("SSTab1"));
    tabs->setCurrentIndex(frmkelvora::PageResults);
    QApplication::processEvents();
    tabs->setCurrentIndex(frmkelvora::PageReports);
    QApplication::processEvents();
    auto* categories = w.findChild<QComboBox*>(QStringLiteral("cbokateg"));
    auto* process = w.findChild<QPushButton*>(QStringLiteral("cmdobrada"));
    for (const char* sex : {"optsvi", "optmuski", "optzene"}) {
        w.findChild<QRadioButton*>(QString::fromLatin1(sex))->setChecked(true);
        for (int k = 0; k < 5 && k < categories->count(); ++k) {
            categories->setCurrentIndex(k);
            process->click();
            QApplication::processEvents();
        }
    }
    const int refused = int(MessageBox::shown().size());
    return refused == 0 ? 0 : 2;
}

// Runs a program with the arguments as a child and returns its CPU time in
// ms, or a negative number when it failed.
double childCpuMs(const std::string& program, const std::vector<std::string>& args)
{
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3 + usage.ru_stime.tv_sec * 1e3
        + usage.ru_stime.tv_usec / 1e3;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--window") == 0)
        return runWindow(argc, argv, QString::fromLocal8Bit(argv[2]), std::atoll(argv[3]));

    const int n = argc > 1 ? std::atoi(argv[1]) : 20000;
    std::string file;
    qint64 raceId = 0;
    const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    QTemporaryDir dir(base + QStringLiteral("/kvr-bench-XXXXXX"));
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        raceId = makeRace(dir.filePath(QStringLiteral("kvr.mdb")), n);
        file = dir.filePath(QStringLiteral("kvr.mdb")).toStdString();
    }
    if (!raceId)
        return 1;
    // The floor is a program of its own beside this one, linked with SQLite
    // and the C++ library only.
    char self[4096] = {};
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    const std::string here = length > 0 ? std::string(self, size_t(length)) : std::string(argv[0]);
    const std::string floorProgram = here.substr(0, here.rfind('/') + 1) + "floor_standings";
    QList<double> window;
    QList<double> floor;
    for (int i = 0; i < 5; ++i) {
        window.append(childCpuMs(here, {here, "--window", file, std::to_string(raceId)}));
        floor.append(childCpuMs(floorProgram, {floorProgram, file, std::to_string(raceId)}));
    }
    if (*std::min_element(window.cbegin(), window.cend()) < 0 || *std::min_element(floor.cbegin(), floor.cend()) < 0) {
        std::printf("a run failed\n");
        return 1;
    }
    const double w = kvrbench::median(window);
    const double f = kvrbench::median(floor);
    std::printf("%d runners: open the race, \"Rezultati\", 15 standings\n", n);
    std::printf("  the program's window, whole process  %8.1f ms CPU\n", w);
    std::printf("  bare C floor, whole process          %8.1f ms CPU\n", f);
    std::printf("  ratio                                %8.1fx\n", w / f);
    return 0;
}
