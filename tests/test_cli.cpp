// The command line, run as a separate program the way a user or a script
// runs it: exit codes, what is stored, and several programs at once on one
// race, on an SQLite file and on a PostgreSQL server.

#include "pgserver.h"
#include "testutil.h"

#include "core/csv.h"
#include "core/clitexts.h"
#include "core/texts.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>

#include <cerrno>

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

Run kelvora(const QStringList& arguments, const QString& workDir = {},
           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(environment);
    if (!workDir.isEmpty())
        p.setWorkingDirectory(workDir);
    p.start(QStringLiteral(KVR_PROGRAM), arguments);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// The --db text of a PostgreSQL test database: the server's socket folder
// as the host.
QString url(const DbLocation& l)
{
    return QStringLiteral("postgresql://%1@/%2?host=%3").arg(l.user, l.dbname, l.host);
}

QString write(const QString& path, const QString& text)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(text.toUtf8());
    return path;
}

QString entriesCsv(int from, int to)
{
    QString text = QStringLiteral("St. br.;Ime i prezime;Država;Klub;Spol;Datum rođenja\n");
    for (int n = from; n <= to; ++n)
        text += QStringLiteral("%1;Takmičar %1;HRV;AK Split;%2;1.2.1980\n").arg(n).arg(n % 2 ? "M" : "Ž");
    return text;
}

QString timesFile(int from, int to)
{
    QString text;
    for (int n = from; n <= to; ++n)
        text += QStringLiteral("%1\t%2\n").arg(n).arg(QTime(0, 30).addSecs(n).toString(QStringLiteral("h:mm:ss")));
    return text;
}

// A query's single number, through a connection of the test's own.
qint64 count(const QString& db, const QString& sql)
{
    const QString name = QUuid::createUuid().toString();
    qint64 value = -1;
    {
        const auto location = parseDbLocation(db).value();
        QSqlDatabase c = QSqlDatabase::addDatabase(location.isPostgres() ? "QPSQL" : "QSQLITE", name);
        if (location.isPostgres()) {
            c.setHostName(location.host);
            c.setUserName(location.user);
            c.setDatabaseName(location.dbname);
        } else {
            c.setDatabaseName(location.filePath);
        }
        if (c.open()) {
            QSqlQuery q(c);
            if (q.exec(sql) && q.next())
                value = q.value(0).toLongLong();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return value;
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_race; // the key of the race freshDatabase() made
    QString file(const QString& name) const { return m_dir.filePath(name); }

    // A database of the given engine with one race; its --db text.
    QString freshDatabase(const QString& engine)
    {
        QString db;
        if (engine == QLatin1String("postgresql")) {
            testutil::PgServer* server = testutil::PgServer::instance();
            if (!server)
                return {};
            db = url(server->newDatabase());
        } else {
            db = file(QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral(".mdb"));
        }
        const Run made = kelvora({"new-race", "--db", db, "--name", "Utrka", "--org", "AK", "--date", "1.6.2010"});
        // The key of the race; on PostgreSQL the checks at open may have used up the first.
        m_race = made.out.trimmed();
        return made.status == 0 && m_race.toInt() > 0 ? db : QString();
    }

    static void engines()
    {
        QTest::addColumn<QString>("engine");
        QTest::newRow("sqlite") << QStringLiteral("sqlite");
        QTest::newRow("postgresql") << QStringLiteral("postgresql");
    }

private slots:
    void exitCodes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::newRow("help") << QStringList{"--help"} << 0;
        QTest::newRow("command help") << QStringList{"export", "--help"} << 0;
        QTest::newRow("unknown command") << QStringList{"rase"} << 2;
        QTest::newRow("unknown option") << QStringList{"races", "--bd", "x"} << 2;
        QTest::newRow("option without value") << QStringList{"races", "--db"} << 2;
        QTest::newRow("no such database") << QStringList{"races", "--db", "nema.mdb"} << 1;
        QTest::newRow("race refused") << QStringList{"new-race", "--db", "DB", "--name", "Utrka", "--org", "AK",
                                                     "--date", "1.6.2010"}
                                      << 1;
        QTest::newRow("bad date") << QStringList{"new-race", "--db", "DB", "--name", "Nova", "--org", "AK",
                                                 "--date", "31.2.2010"}
                                  << 1;
        QTest::newRow("no such race") << QStringList{"export", "--db", "DB", "--race", "9", "--list", "start",
                                                     "--format", "csv"}
                                      << 1;
        QTest::newRow("bad category") << QStringList{"export", "--db", "DB", "--race", "1", "--list", "standings",
                                                     "--category", "36-39", "--format", "csv"}
                                      << 2;
        QTest::newRow("import without file") << QStringList{"import-times", "--db", "DB", "--race", "1"} << 2;
    }

    void exitCodes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        const QString db = freshDatabase(QStringLiteral("sqlite"));
        QVERIFY(!db.isEmpty());
        arguments.replaceInStrings(QRegularExpression(QStringLiteral("^DB$")), db);
        const Run run = kelvora(arguments, m_dir.path());
        QCOMPARE(run.status, status);
        // Whatever went wrong says so on standard error, in Croatian.
        QCOMPARE(run.err.trimmed().isEmpty(), status == 0);
        QVERIFY(!QFile::exists(file(QStringLiteral("nema.mdb"))));
    }

    // "status" and "check" on one race: the check's exit code follows its
    // errors, and the standings export shows the status.
    void statusAndCheck_data()
    {
        QTest::addColumn<QStringList>("status");
        QTest::addColumn<int>("statusExit");
        QTest::addColumn<int>("checkExit");
        QTest::addColumn<QString>("inStandings");
        QTest::newRow("warnings only exit 0") << QStringList{"--number", "3", "--set", "dnf"} << 0 << 0 << "DNF";
        QTest::newRow("finish of a DNS exits 1") << QStringList{"--number", "1", "--set", "dns"} << 0 << 1 << "DNS";
        QTest::newRow("DSQ with reason") << QStringList{"--number", "2", "--set", "dsq", "--reason", "skratio stazu"}
                                         << 0 << 0 << "DSQ: skratio stazu";
        QTest::newRow("DSQ without reason refused") << QStringList{"--number", "2", "--set", "dsq"} << 1 << 0 << "";
        QTest::newRow("unknown number") << QStringList{"--number", "77", "--set", "dnf"} << 1 << 0 << "";
        QTest::newRow("unknown state") << QStringList{"--number", "2", "--set", "out"} << 2 << 0 << "";
    }

    void statusAndCheck()
    {
        QFETCH(QStringList, status);
        QFETCH(int, statusExit);
        QFETCH(int, checkExit);
        QFETCH(QString, inStandings);
        const QString db = freshDatabase(QStringLiteral("sqlite"));
        QVERIFY(!db.isEmpty());
        QCOMPARE(kelvora({"import-entries", "--db", db, "--race", m_race, write(file("e.csv"), entriesCsv(1, 3))}).status, 0);
        QCOMPARE(kelvora({"import-times", "--db", db, "--race", m_race, write(file("t.txt"), timesFile(1, 2))}).status, 0);
        const Run set = kelvora(QStringList{"status", "--db", db, "--race", m_race} + status);
        QCOMPARE(set.status, statusExit);
        const Run check = kelvora({"check", "--db", db, "--race", m_race, "--format", "csv"});
        QCOMPARE(check.status, checkExit);
        QVERIFY(check.out.contains(tx::columnsCheck().last()));
        const Run standings = kelvora({"export", "--db", db, "--race", m_race, "--list", "standings", "--format", "csv"});
        QCOMPARE(standings.status, 0);
        QCOMPARE(standings.out.contains(tx::columnStatus()), !inStandings.isEmpty());
        QVERIFY(standings.out.contains(inStandings));
    }

    // An import with a refused row stores nothing, unless told to skip it;
    // a dry run stores nothing.
    void importStoresAllOrNothing_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("clean"); // no refused row in the file
        QTest::addColumn<QStringList>("flags");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("stored");
        const QString entries = QStringLiteral("import-entries");
        QTest::newRow("refused row") << entries << false << QStringList{} << 1 << 0;
        QTest::newRow("dry run") << entries << false << QStringList{"--dry-run"} << 1 << 0;
        QTest::newRow("skip refused") << entries << false << QStringList{"--skip-refused"} << 0 << 3;
        QTest::newRow("dry run, nothing refused") << entries << true << QStringList{"--dry-run"} << 0 << 0;
        QTest::newRow("times, dry run, nothing refused")
            << QStringLiteral("import-times") << true << QStringList{"--dry-run"} << 0 << 0;
    }

    void importStoresAllOrNothing()
    {
        QFETCH(QString, command);
        QFETCH(bool, clean);
        QFETCH(QStringList, flags);
        QFETCH(int, status);
        QFETCH(int, stored);
        const QString db = freshDatabase(QStringLiteral("sqlite"));
        const bool times = command == QLatin1String("import-times");
        const QString entries = write(file(QStringLiteral("e.csv")),
                                      entriesCsv(1, 3) + (clean ? "" : "3;Dvojnik;HRV;AK;M;1.1.1990\n"));
        if (times)
            QCOMPARE(kelvora({"import-entries", "--db", db, "--race", m_race, entries}).status, 0);
        const QString input = times ? write(file(QStringLiteral("t.txt")), timesFile(1, 3)) : entries;
        const Run run = kelvora(QStringList{command, "--db", db, "--race", m_race, input} + flags);
        QCOMPARE(run.status, status);
        if (!clean)
            QVERIFY(run.err.contains(QStringLiteral("redak 5: ") + tx::startNumberTaken()));
        QCOMPARE(count(db, times ? QStringLiteral("select count(*) from rezultati")
                                 : QStringLiteral("select count(*) from startna")),
                 stored);
    }

    // CSV separators (a semicolon unless told); file failures told in Croatian.
    void separatorsAndFileFailures_data()
    {
        QTest::addColumn<QStringList>("arguments"); // after --db DB --race R
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said"); // on standard error; for a CSV export the separator read back
        const QStringList csv{"export", "--list", "registered", "--format", "csv"};
        QTest::newRow("CSV: semicolon by default") << csv << 0 << ";";
        QTest::newRow("CSV: tab") << csv + QStringList{"--separator", "tab"} << 0 << "\t";
        QTest::newRow("CSV: unknown separator") << csv + QStringList{"--separator", "pipe"} << 2
                                                << tx::cliBadValue(QStringLiteral("--separator"), QStringLiteral("pipe"));
        QTest::newRow("missing file") << QStringList{"import-entries", "nema.csv"} << 1
                                      << QString(tx::fileProblemText(kvr::FileProblem::MissingFile) + QStringLiteral("; "));
    }

    void separatorsAndFileFailures()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, said);
        const QString db = freshDatabase(QStringLiteral("sqlite"));
        QCOMPARE(kelvora({"import-entries", "--db", db, "--race", m_race, write(file("s.csv"), entriesCsv(1, 3))}).status, 0);
        const Run run = kelvora(arguments.mid(0, 1) + QStringList{"--db", db, "--race", m_race} + arguments.mid(1), m_dir.path());
        QCOMPARE(run.status, status);
        if (status == 0) {
            const io::CsvResult read = io::readCsv(run.out.toUtf8());
            QCOMPARE(QString(read.separator), said);
            QCOMPARE(read.rows.size(), 4);
        } else {
            QVERIFY2(run.err.contains(said), qPrintable(run.err + QStringLiteral(" / ") + said));
        }
    }

    // The standings of one sex hold that sex only.
    void exportOfOneSex_data()
    {
        QTest::addColumn<QString>("sex");
        QTest::addColumn<QString>("letter");
        QTest::newRow("z: women") << QStringLiteral("z") << QStringLiteral("Ž");
        QTest::newRow("m: men") << QStringLiteral("m") << QStringLiteral("M");
    }

    void exportOfOneSex()
    {
        QFETCH(QString, sex);
        QFETCH(QString, letter);
        const QString db = freshDatabase(QStringLiteral("sqlite"));
        QCOMPARE(kelvora({"import-entries", "--db", db, "--race", m_race, write(file("s.csv"), entriesCsv(1, 6))}).status, 0);
        QCOMPARE(kelvora({"import-times", "--db", db, "--race", m_race, write(file("s.txt"), timesFile(1, 6))}).status, 0);
        const Run run = kelvora({"export", "--db", db, "--race", m_race, "--list", "standings", "--category", "Svi",
                                 "--sex", sex, "--format", "csv"});
        QCOMPARE(run.status, 0);
        const io::CsvResult csv = io::readCsv(run.out.toUtf8());
        QCOMPARE(csv.rows.size(), 4); // the heading and three runners
        for (qsizetype i = 1; i < csv.rows.size(); ++i)
            QCOMPARE(csv.rows.at(i).fields.at(5), letter);
    }

    // Entries out to a file and in again: a new race gets the same start list.
    void entriesRoundTrip()
    {
        const QString db = freshDatabase(QStringLiteral("sqlite"));
        const QString entries = write(file(QStringLiteral("r.csv")),
                                      "Prezime;Ime;Spol;Država;Klub;Datum rođenja;Bib\n"
                                      "Šarić;Đuro;M;HRV;AK \"Split\";5.5.1990;7\n"
                                      "O'Neill;Ana;Ž;IRL;=SUM(A1);1980-02-03;\n"
                                      "Babić;Iva;Z;HRV;AK, Zagreb;3.4.75;07\n");
        QCOMPARE(kelvora({"import-entries", "--db", db, "--race", m_race, entries}).status, 0);
        const QString exported = file(QStringLiteral("out.csv"));
        QCOMPARE(kelvora({"export", "--db", db, "--race", m_race, "--list", "registered", "--format", "csv", "--out",
                          exported})
                     .status,
                 0);
        QCOMPARE(kelvora({"new-race", "--db", db, "--name", "Druga", "--org", "AK", "--date", "1.6.2010"}).out.trimmed(),
                 QStringLiteral("2"));
        const Run again = kelvora({"import-entries", "--db", db, "--race", "2", exported});
        QCOMPARE(again.status, 0);
        const QString columns = QStringLiteral("sbroj || '|' || ime || '|' || drzava || '|' || klub || '|' || spol "
                                               "|| '|' || datum");
        // Row by row, every column equal.
        const QString name = QStringLiteral("roundtrip");
        {
            QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            c.setDatabaseName(db);
            QVERIFY(c.open());
            QSqlQuery q(c);
            QStringList first;
            QStringList second;
            QVERIFY(q.exec(QStringLiteral("select idutrke, %1 from startna order by id").arg(columns)));
            while (q.next())
                (q.value(0).toInt() == 1 ? first : second).append(q.value(1).toString());
            QCOMPARE(second, first);
            QVERIFY(first.contains(QStringLiteral("|O'Neill Ana|IRL|=SUM(A1)|Ž|1980-02-03")));
        }
        QSqlDatabase::removeDatabase(name);
    }

    // Three programs import 1,000 times each into one race at once, then
    // the same three files again: 3,000 records, none doubled, every second
    // attempt refused.
    void threeStationsImportTimesAtOnce_data() { engines(); }

    void threeStationsImportTimesAtOnce()
    {
        QFETCH(QString, engine);
        const QString db = freshDatabase(engine);
        if (db.isEmpty() && engine == QLatin1String("postgresql"))
            QSKIP(qPrintable(testutil::PgServer::unavailableReason()));
        QVERIFY(!db.isEmpty());
        const QString entries = write(file(engine + QStringLiteral("-e.csv")), entriesCsv(1, 3000));
        QCOMPARE(kelvora({"import-entries", "--db", db, "--race", m_race, entries}).status, 0);
        QStringList files;
        for (int i = 0; i < 3; ++i)
            files << write(file(QStringLiteral("%1-t%2.txt").arg(engine).arg(i)), timesFile(1 + 1000 * i, 1000 * (i + 1)));

        for (int round = 0; round < 2; ++round) {
            QList<QProcess*> running;
            for (const QString& times : files) {
                auto* p = new QProcess(this);
                p->start(QStringLiteral(KVR_PROGRAM), {"import-times", "--db", db, "--race", m_race, times});
                running.append(p);
            }
            for (QProcess* p : running) {
                QVERIFY(p->waitForFinished(120000));
                QCOMPARE(p->exitCode(), round == 0 ? 0 : 1);
                delete p;
            }
        }
        QCOMPARE(count(db, QStringLiteral("select count(*) from rezultati")), 3000);
        QCOMPARE(count(db, QStringLiteral("select count(distinct idtakmicara) from rezultati")), 3000);
    }

    // Two programs register overlapping start numbers at once: each number
    // is stored once.
    void twoStationsRegisterAtOnce_data() { engines(); }

    void twoStationsRegisterAtOnce()
    {
        QFETCH(QString, engine);
        const QString db = freshDatabase(engine);
        if (db.isEmpty() && engine == QLatin1String("postgresql"))
            QSKIP(qPrintable(testutil::PgServer::unavailableReason()));
        QVERIFY(!db.isEmpty());
        const QStringList files{write(file(engine + QStringLiteral("-a.csv")), entriesCsv(1, 600)),
                                write(file(engine + QStringLiteral("-b.csv")), entriesCsv(400, 1000))};
        QList<QProcess*> running;
        for (const QString& entries : files) {
            auto* p = new QProcess(this);
            p->start(QStringLiteral(KVR_PROGRAM), {"import-entries", "--db", db, "--race", m_race, entries});
            running.append(p);
        }
        int stored = 0;
        for (QProcess* p : running) {
            QVERIFY(p->waitForFinished(120000));
            stored += p->exitCode() == 0;
            delete p;
        }
        QVERIFY(stored >= 1);
        QCOMPARE(count(db, QStringLiteral("select count(*) from startna")),
                 count(db, QStringLiteral("select count(distinct sbroj) from startna")));
    }

    // Another program's transaction in progress, its journal beside the
    // file: the command waits for it, and calls nothing applied, also when
    // the wait runs out.
    void liveWritersJournalIsWaitedFor_data()
    {
        QTest::addColumn<int>("heldMs");
        QTest::newRow("lock let go within the wait") << 1500;
        QTest::newRow("lock held past the wait") << 7000;
    }

    void liveWritersJournalIsWaitedFor()
    {
        QFETCH(int, heldMs);
        const QString db = freshDatabase(QStringLiteral("sqlite"));
        QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("writer"));
        c.setDatabaseName(db);
        QVERIFY(c.open());
        QVERIFY(c.transaction() && QSqlQuery(c).exec("insert into utrke (ime, da) values ('Druga', 'y')"));
        QVERIFY(QFile::exists(db + QStringLiteral("-journal")));
        QProcess other;
        other.start(QStringLiteral(KVR_PROGRAM), {"races", "--db", db});
        QTest::qWait(heldMs);
        QVERIFY(c.commit());
        QVERIFY(other.state() == QProcess::NotRunning || other.waitForFinished(30000));
        const QString err = QString::fromUtf8(other.readAllStandardError());
        QVERIFY2(!err.contains(QStringLiteral("-journal")), qPrintable(err));
        QCOMPARE(other.exitCode() == 0, heldMs < 5000);
        if (heldMs < 5000)
            QVERIFY(QString::fromUtf8(other.readAllStandardOutput()).contains(QStringLiteral("Druga")));
    }

    // On a server: its database is no "datoteka", and the password comes
    // from libpq's environment or the command says where it goes; a wrong
    // one is told as wrong, never printed.
    void passwordFromTheEnvironment_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("told"); // empty: the command passes
        QTest::newRow("PGPASSWORD") << QStringLiteral("PGPASSWORD") << "Tajna-77" << QString();
        QTest::newRow("PGPASSFILE") << QStringLiteral("PGPASSFILE") << "Tajna-77" << QString();
        QTest::newRow("none") << QString() << QString() << tx::cliPasswordHint();
        QTest::newRow("wrong PGPASSWORD") << QStringLiteral("PGPASSWORD") << "Kriva-55" << tx::dbPasswordRefused();
        QTest::newRow("wrong PGPASSFILE") << QStringLiteral("PGPASSFILE") << "Kriva-55" << tx::dbPasswordRefused();
    }

    void passwordFromTheEnvironment()
    {
        QFETCH(QString, source);
        QFETCH(QString, password);
        QFETCH(QString, told);
        if (!testutil::PgServer::instance())
            QSKIP(qPrintable(testutil::PgServer::unavailableReason()));
        const DbLocation where = testutil::PgServer::instance()->newDatabaseWithPassword("zapisnicar", "Tajna-77");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("PGPASSWORD"));
        environment.insert(QStringLiteral("PGPASSFILE"), file(QStringLiteral("nema")));
        if (source == QLatin1String("PGPASSWORD"))
            environment.insert(source, password);
        if (source == QLatin1String("PGPASSFILE")) {
            QFile::remove(file(source));
            environment.insert(source, write(file(source), QStringLiteral("*:*:*:zapisnicar:%1\n").arg(password)));
            QFile::setPermissions(file(source), QFile::ReadOwner);
        }
        const Run run = kelvora({"races", "--db", url(where)}, {}, environment);
        QCOMPARE(run.status, told.isEmpty() ? 0 : 1);
        QVERIFY2(told.isEmpty() || run.err.contains(told), qPrintable(run.err));
        QCOMPARE(run.err.contains(tx::cliPasswordHint()), source.isEmpty());
        QCOMPARE(run.err.contains(QStringLiteral("atotek")), false);
        QVERIFY(!run.err.contains(QStringLiteral("Kriva")) && !run.err.contains(QStringLiteral("authentication")));
    }
};

KVR_TEST_MAIN(TestCli)
#include "test_cli.moc"
