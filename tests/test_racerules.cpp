// A race's own categories and prizes: the lookup and the checks of the two
// tables, the award rule, the standard rules giving the standings of
// before, the tables stored on both engines, the prize list of a real race
// worked out by hand, and the rules and prize-list commands.

#include "app/exports.h"
#include "app/imports.h"
#include "app/racerules.h"
#include "app/racesession.h"
#include "cli/cmd_rules.h"
#include "core/age.h"
#include "core/csv.h"
#include "core/prizes.h"
#include "core/texts_rules.h"
#include "data/database.h"
#include "pgserver.h"
#include "testutil.h"
#include "ui/frmkelvora.h"
#include "ui/messagebox.h"

#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeView>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>

using namespace testutil;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString dataFile(const QString& name)
{
    return QStringLiteral(KVR_SOURCE_DIR "/tests/data/") + name;
}

// The categories the five real races use (sexes apart, juniors, seniors,
// ten-year bands from 40).
const CategoryScheme& realCategories()
{
    static const CategoryScheme scheme = schemes::readCategories(readAll(dataFile("realrace_categories.csv"))).value();
    return scheme;
}

standings::StandingsRow ranked(const QString& number, const QString& spol, std::optional<int> age,
                               const QString& category = {})
{
    standings::StandingsRow row;
    row.sbroj = number;
    row.spol = spol;
    row.age = age;
    row.kategorija = category;
    return row;
}

QString realRacesDir()
{
    const QString dir = QStringLiteral(KVR_SOURCE_DIR "/../shared/data/real-races");
    return QDir(dir).exists() ? dir : QString();
}

} // namespace

class TestRaceRules : public QObject {
    Q_OBJECT

private slots:
    // Ages, sexes and labels to the row of the scheme; -1 is none.
    void lookup_data()
    {
        QTest::addColumn<bool>("real");
        QTest::addColumn<QString>("spol");
        QTest::addColumn<QVariant>("age");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("shown");
        QTest::newRow("standard 18 is do 18") << false << "M" << QVariant(18) << "" << "do 18";
        QTest::newRow("standard negative age clamps") << false << "Ž" << QVariant(-2) << "" << "do 18";
        QTest::newRow("standard 200 clamps to 150") << false << "M" << QVariant(200) << "" << "70 i više";
        QTest::newRow("standard no age, no label") << false << "M" << QVariant() << "" << "";
        QTest::newRow("real man 45") << true << "M" << QVariant(45) << "" << "M40";
        QTest::newRow("real woman 45") << true << "Ž" << QVariant(45) << "" << "F40";
        QTest::newRow("real 12 in the gap") << true << "M" << QVariant(12) << "" << "";
        QTest::newRow("real sex unknown takes no sex row") << true << "X" << QVariant(30) << "" << "";
        QTest::newRow("known label, synonym, case") << true << "Ž" << QVariant() << "fsen" << "FS";
        QTest::newRow("known label wins only without age") << true << "Ž" << QVariant(45) << "FS" << "F40";
        QTest::newRow("known label of the other sex") << true << "M" << QVariant() << "F50" << "F50";
        QTest::newRow("unknown label") << true << "M" << QVariant() << "V45" << "";
    }

    void lookup()
    {
        QFETCH(bool, real);
        QFETCH(QString, spol);
        QFETCH(QVariant, age);
        QFETCH(QString, label);
        QFETCH(QString, shown);
        const CategoryScheme& scheme = real ? realCategories() : CategoryScheme::standard();
        const std::optional<int> a = age.isValid() ? std::optional<int>(age.toInt()) : std::nullopt;
        QCOMPARE(scheme.labelFor(spol, a, label), shown);
    }

    void standardIsTheBandRule()
    {
        for (int age = -5; age <= 160; ++age)
            QCOMPARE(CategoryScheme::standard().labelFor(QStringLiteral("M"), age), standings::starosnagrupa(age));
        QCOMPARE(CategoryScheme::standard().labels(), tx::categoryLabels());
    }

    // Cells of the categories table: refusal, or the row count taken.
    void categoryChecks_data()
    {
        QTest::addColumn<QList<QStringList>>("cells");
        QTest::addColumn<QString>("refusal");
        using L = QList<QStringList>;
        QTest::newRow("sexes apart may share ages") << L{{"MS", "M", "20", "39"}, {"FS", "Ž", "20", "39"}} << "";
        QTest::newRow("a gap is allowed") << L{{"A", "", "0", "10"}, {"B", "", "20", "30"}} << "";
        QTest::newRow("synonyms of ten each") << L{{"FSen|FSenior123", "F", "20", "39"}} << "";
        QTest::newRow("overlap names both rows") << L{{"A", "M", "0", "20"}, {"B", "", "30", "40"}, {"C", "m", "20", "25"}}
                                                 << tx::categoriesOverlap(3, 1, "C", "A");
        QTest::newRow("both sexes overlap one") << L{{"A", "Ž", "0", "20"}, {"B", "", "20", "30"}}
                                                << tx::categoriesOverlap(2, 1, "B", "A");
        QTest::newRow("label of 11") << L{{"12345678901", "M", "0", "20"}} << tx::categoryLabelBad(1);
        QTest::newRow("one synonym of 11") << L{{"A|12345678901", "M", "0", "20"}} << tx::categoryLabelBad(1);
        QTest::newRow("empty synonym") << L{{"A|", "M", "0", "20"}} << tx::categoryLabelBad(1);
        QTest::newRow("label Svi") << L{{"svi", "M", "0", "20"}} << tx::categoryLabelBad(1);
        QTest::newRow("from above to") << L{{"A", "M", "0", "5"}, {"B", "M", "30", "20"}} << tx::rulesAgeBad(2);
        QTest::newRow("age 151") << L{{"A", "M", "0", "151"}} << tx::rulesAgeBad(1);
        QTest::newRow("age not a number") << L{{"A", "M", "x", "15"}} << tx::rulesAgeBad(1);
        QTest::newRow("sex K") << L{{"A", "K", "0", "15"}} << tx::rulesSexBad(1);
        QTest::newRow("no row") << L{} << tx::categoriesEmpty();
        QTest::newRow("one label for two bands of a sex") << L{{"A", "M", "0", "20"}, {"B", "", "21", "30"}, {"a|C", "M", "40", "50"}}
                                                          << tx::categoryLabelTwice(3, 1, "a");
        QTest::newRow("one label for each sex") << L{{"M40", "M", "40", "49"}, {"M40", "Ž", "40", "49"}} << "";
        QTest::newRow("a direction mark in a label") << L{{QString::fromUtf8("A\u202E"), "M", "0", "20"}}
                                                     << tx::rulesTextControl(1);
    }

    void categoryChecks()
    {
        QFETCH(QList<QStringList>, cells);
        QFETCH(QString, refusal);
        const auto checked = schemes::categoriesFromCells(cells);
        QCOMPARE(checked.ok() ? QString() : checked.refusal().message, refusal);
        if (checked)
            QCOMPARE(schemes::categoryCells(checked.value()).size(), cells.size());
    }

    // A categories file: a refusal naming two rows counts file lines, blank
    // lines included.
    void categoryFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("overlap after a blank line")
            << QByteArray("oznaka,spol,od,do\nA,M,0,20\n\nB,,15,30\n") << tx::categoriesOverlap(4, 2, "B", "A", true);
        QTest::newRow("label twice after blank lines")
            << QByteArray("oznaka,spol,od,do\n\n\nA,M,0,20\nC,M,21,30\nC,M,31,40\n")
            << tx::categoryLabelTwice(6, 5, "C", true);
    }

    void categoryFiles()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, refusal);
        const auto read = schemes::readCategories(file);
        QCOMPARE(read.ok() ? QString() : read.refusal().message, refusal);
    }

    // A prizes file: separators, sex letters, counts; a refusal names the file line.
    void prizeFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("firstSex");
        QTest::newRow("semicolons, W") << QByteArray("naziv;spol;od;do;nagrade\nŽene;W;0;150;3\n") << "" << "Ž";
        QTest::newRow("tabs, f") << QByteArray("naziv\tspol\tod\tdo\tnagrade\nŽene\tf\t0\t150\t3\n") << "" << "Ž";
        QTest::newRow("header in capitals, Z") << QByteArray("NAZIV,Spol,od,do,nagrade\nA,Z,0,150,1\n") << "" << "Ž";
        QTest::newRow("both sexes") << QByteArray("naziv,spol,od,do,nagrade\nA,,0,150,100\n") << "" << "";
        // Written with the formula guard, read back as it was.
        QTest::newRow("names like formulas") << QByteArray("naziv,spol,od,do,nagrade\n+60,,0,150,1\n-19,,0,19,1\n") << "" << "";
        QTest::newRow("101 prizes") << QByteArray("naziv,spol,od,do,nagrade\nA,,0,150,1\n\nB,M,0,150,101\n")
                                    << tx::rulesFileLine(4, tx::prizeCountBad(2).mid(tx::rulesRow(2).size())) << "";
        QTest::newRow("0 prizes") << QByteArray("naziv,spol,od,do,nagrade\nA,,0,150,0\n")
                                  << tx::rulesFileLine(2, tx::prizeCountBad(1).mid(tx::rulesRow(1).size())) << "";
        QTest::newRow("name of 31") << QByteArray("naziv,spol,od,do,nagrade\n" + QByteArray(31, 'x') + ",,0,150,1\n")
                                    << tx::rulesFileLine(2, tx::prizeNameBad(1).mid(tx::rulesRow(1).size())) << "";
        QTest::newRow("categories header") << QByteArray("oznaka,spol,od,do\nA,,0,150\n")
                                           << tx::rulesFileColumns(tx::prizeFileColumns()) << "";
    }

    void prizeFiles()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, refusal);
        QFETCH(QString, firstSex);
        const auto read = schemes::readPrizes(file);
        QCOMPARE(read.ok() ? QString() : read.refusal().message, refusal);
        if (read) {
            QCOMPARE(schemes::sexText(read.value().rows().first().sex), firstSex);
            QCOMPARE(schemes::readPrizes(schemes::writePrizes(read.value())).value(), read.value());
        }
    }

    // The award over one overall order: each prize category in order, each
    // runner at most one prize, unranked entries none.
    void award_data()
    {
        QTest::addColumn<QList<PrizeRow>>("prizeRows");
        QTest::addColumn<QStringList>("winners"); // per prize category, numbers joined by " "
        const PrizeRow women{"Žene", RuleSex::Women, 13, 99, 2};
        const PrizeRow men{"Muški", RuleSex::Men, 13, 99, 2};
        const PrizeRow m40{"M40", RuleSex::Men, 40, 49, 1};
        const PrizeRow w40{"F40", RuleSex::Women, 40, 49, 2};
        const PrizeRow all{"Ukupno", RuleSex::Both, 0, 150, 3};
        const PrizeRow young{"Mladi", RuleSex::Both, 0, 19, 5};
        QTest::newRow("open then age") << QList<PrizeRow>{women, men, m40, w40}
                                       << QStringList{"3 5", "1 2", "4", "9"};
        QTest::newRow("age first takes them") << QList<PrizeRow>{m40, men} << QStringList{"2", "1 4"};
        QTest::newRow("overall of every age") << QList<PrizeRow>{all, w40} << QStringList{"1 2 3", "9"};
        QTest::newRow("unknown age, category inside") << QList<PrizeRow>{young} << QStringList{"7"};
        QTest::newRow("unknown age, category partly outside")
            << QList<PrizeRow>{{"Do 17", RuleSex::Both, 0, 17, 5}} << QStringList{""};
        QTest::newRow("unknown age, no category: only every age") << QList<PrizeRow>{all, all, all}
                                                                   << QStringList{"1 2 3", "4 5 6", "7 8 9"};
    }

    void award()
    {
        QFETCH(QList<PrizeRow>, prizeRows);
        QFETCH(QStringList, winners);
        // 1 M30, 2 M45, 3 Ž25, 4 M41, 5 Ž60, 6 a number without an entry,
        // 7 M known only as MU20, 8 M without a date and category, 9 Ž42; a DNF Ž40.
        QList<standings::StandingsRow> overall{
            ranked("1", "M", 30), ranked("2", "M", 45), ranked("3", "Ž", 25),      ranked("4", "M", 41),
            ranked("5", "Ž", 60), ranked("6", "", {}),  ranked("7", "M", {}, "MU20"), ranked("8", "M", {}),
            ranked("9", "Ž", 42)};
        standings::StandingsRow dnf = ranked("10", "Ž", 40);
        dnf.state = RunState::Dnf;
        overall.append(dnf);
        const RaceRules rules{realCategories(), PrizeScheme(prizeRows)};
        QStringList got;
        for (const prizes::Award& a : prizes::award(overall, rules)) {
            QStringList numbers;
            for (int i : a.winners)
                numbers.append(overall.at(i).sbroj);
            got.append(numbers.join(QLatin1Char(' ')));
        }
        QCOMPARE(got, winners);
    }

    // Two roads: the standard rules leave out of every category exactly the
    // first five ranked, as the standings always did.
    void standardPrizesAreTheFirstFive()
    {
        QRandomGenerator random(20);
        for (int round = 0; round < 20; ++round) {
            QList<standings::StandingsRow> overall;
            for (int i = 0; i < 40; ++i) {
                standings::StandingsRow row = ranked(QString::number(i), random.bounded(2) ? "M" : "Ž", 15 + i % 60);
                row.kategorija = CategoryScheme::standard().labelFor(row.spol, row.age);
                row.state = random.bounded(8) == 0 ? RunState::Dsq : RunState::None;
                overall.append(row);
            }
            std::stable_partition(overall.begin(), overall.end(),
                                  [](const auto& r) { return r.state == RunState::None; });
            for (const QString& label : tx::categoryLabels()) {
                const standings::Selection selection{label, standings::Sex::All};
                QCOMPARE(standings::process(selection, overall, {}, QDate(2025, 1, 1)).rows.size(),
                         standings::byCategory(overall, label, standings::Sex::All).size());
            }
        }
    }

    void engines_data()
    {
        QTest::addColumn<bool>("postgres");
        QTest::newRow("sqlite") << false;
        QTest::newRow("postgresql") << true;
    }

    // Stored per race, read by a new session; the standard rules store no row.
    void storedPerRace_data() { engines_data(); }
    void storedPerRace()
    {
        QFETCH(bool, postgres);
        TempDb tmp;
        DbLocation where = DbLocation::sqliteFile(tmp.path());
        if (postgres) {
            PgServer* server = PgServer::instance();
            if (!server)
                QSKIP(qPrintable(PgServer::unavailableReason()));
            where = server->newDatabase();
        }
        RaceSession session(where);
        QVERIFY(session.database().open().ok());
        QVERIFY(session.createRace(QStringLiteral("Druga"), QStringLiteral("O"), QStringLiteral("1.5.2025")).ok());
        const qint64 other = session.race().id;
        QVERIFY(session.createRace(QStringLiteral("Prva"), QStringLiteral("O"), QStringLiteral("1.6.2025")).ok());
        QCOMPARE(session.rules(), RaceRules::standard());
        const auto set = racerules::setFromFiles(session, readAll(dataFile("realrace_categories.csv")),
                                                 readAll(dataFile("realrace_prizes.csv")));
        QVERIFY2(set.ok(), qPrintable(set.refusal().message + set.dbError()));

        RaceSession again(where);
        QVERIFY(again.database().open().ok());
        QVERIFY(again.openRace(session.race().id).ok());
        QCOMPARE(again.rules().categories, realCategories());
        QCOMPARE(again.rules().prizes.rows().size(), 14);
        QCOMPARE(again.categories().value().first(), QStringLiteral("MU20"));
        QVERIFY(again.openRace(other).ok());
        QCOMPARE(again.rules(), RaceRules::standard());
        // All or nothing: a bad prizes file leaves the categories too.
        QVERIFY(!racerules::setFromFiles(again, readAll(dataFile("realrace_categories.csv")), QByteArray("x")).ok());
        QCOMPARE(again.rules(), RaceRules::standard());
        // A template copied, then the standard put back: no row is left.
        QVERIFY(racerules::copyFrom(again, session.race().id).ok());
        QCOMPARE(again.rules().categories, realCategories());
        QVERIFY(again.setRules(RaceRules::standard()).ok());
        QCOMPARE(again.database().raceRules(other).value(), RaceRules::standard());
    }

    // Balmullo 2025 by its organisers' rules. Worked out by hand from the
    // published overall results: the first three women and men, then per
    // category the first finisher not yet awarded (the only MU20 finisher
    // won an open prize, no runner is 80 or older).
    void realRacePrizeList()
    {
        const QString dir = realRacesDir();
        if (dir.isEmpty())
            QSKIP("the real race files are not on this machine");
        const QString base = dir + QStringLiteral("/balmullo_2025");
        QList<QStringList> rows;
        for (const io::CsvRow& row : io::parseCsv(QString::fromUtf8(readAll(base + "_entries.tsv")), '\t').rows) {
            QStringList f = row.fields;
            for (QString& s : f)
                s = s.trimmed();
            const QString category = f.last();
            const QString band = category.mid(1);
            const int age = band.startsWith(QLatin1Char('U')) ? 17 : band.toInt() > 0 ? band.toInt() : 30;
            const QString club = f.at(f.size() - 2).isEmpty() ? QStringLiteral("Unattached") : f.at(f.size() - 2);
            rows.append({f[0], (f.size() == 5 ? f[1] + ' ' + f[2] : f[1]).left(25), "GBR", club.left(15),
                         category.startsWith('F') ? "Ž" : "M", QStringLiteral("1.1.%1").arg(2025 - age)});
        }
        TempDb tmp;
        RaceSession session(tmp.path());
        QVERIFY(session.database().open().ok());
        QVERIFY(session.createRace(QStringLiteral("Balmullo"), QStringLiteral("O"), QStringLiteral("1.6.2025")).ok());
        const QStringList header{"startni broj", "ime i prezime", "država", "klub", "spol", "datum rođenja"};
        QVERIFY(imports::importEntries(session, imports::previewEntries(session, io::writeCsv(header, rows))).ok());
        QVERIFY(imports::importTimes(session, imports::previewTimes(session, readAll(base + "_rawtimes.tsv"))).ok());
        QVERIFY(racerules::setFromFiles(session, readAll(dataFile("realrace_categories.csv")),
                                        readAll(dataFile("realrace_prizes.csv")))
                    .ok());

        const auto list = racerules::prizeList(session);
        QStringList got;
        for (const prizes::PrizeGroup& g : list.value()) {
            QStringList numbers;
            for (const auto& w : g.winners)
                numbers.append(w.sbroj);
            got.append(g.name + QLatin1Char(':') + numbers.join(QLatin1Char(' ')));
        }
        QCOMPARE(got, (QStringList{"Women Open:26 72 33", "Men Open:60 64 67", "MU20:", "FU20:15", "M40:71", "F40:25",
                                   "M50:1", "F50:56", "M60:13", "F60:39", "M70:40", "F70:2", "M80:", "F80:"}));
        // The category standings keep the open winners: 64 heads MU20.
        const auto mu20 = session.standings({QStringLiteral("mu20"), standings::Sex::All});
        QCOMPARE(mu20.value().rows.first().sbroj, QStringLiteral("64"));

        // The export: one row per winner, the name first; a category without one, its name alone.
        const auto data = exports::buildExport(session, exports::ExportList::Prizes);
        const io::CsvResult csv = io::readCsv(exports::exportCsv(data.value(), io::Separator::Comma));
        QCOMPARE(csv.rows.first().fields, tx::prizeCsvColumns());
        const auto first = std::find_if(rows.cbegin(), rows.cend(), [](const QStringList& r) { return r[0] == "26"; });
        QCOMPARE(csv.rows.at(1).fields,
                 (QStringList{"Women Open", "1", "26", first->at(1), first->at(3), "FS", "00:34:58"}));
        QCOMPARE(csv.rows.at(7).fields.mid(0, 2), (QStringList{"MU20", ""}));
        QVERIFY(prizes::shownRows(list.value()).contains(
            QStringList{"", "", tx::prizeListNone(), "", "", ""}));
    }

    // A new race date moves runners between age bands: the category prizes
    // follow at once, as a fresh load gives them. The first three win the
    // open prizes; 5 (41) wins the forties until two years later 4 is 40.
    void newRaceDateMovesPrizes()
    {
        TempDb tmp;
        RaceSession session(tmp.path());
        QVERIFY(session.database().open().ok());
        QVERIFY(session.createRace(QStringLiteral("Utrka"), QStringLiteral("O"), QStringLiteral("1.6.2025")).ok());
        QList<QStringList> rows;
        QByteArray times;
        for (const int born : {1980, 1981, 1982, 1987, 1984}) {
            const QString number = QString::number(rows.size() + 1);
            rows.append({number, "Trkač " + number, "HRV", "AK", "M", QStringLiteral("1.1.%1").arg(born)});
            times += number.toLatin1() + "\t30:1" + number.toLatin1() + "\n";
        }
        const QStringList header{"startni broj", "ime i prezime", "država", "klub", "spol", "datum rođenja"};
        QVERIFY(imports::importEntries(session, imports::previewEntries(session, io::writeCsv(header, rows))).ok());
        QVERIFY(imports::importTimes(session, imports::previewTimes(session, times)).ok());
        QVERIFY(racerules::setFromFiles(session, readAll(dataFile("realrace_categories.csv")),
                                        readAll(dataFile("realrace_prizes.csv")))
                    .ok());
        const auto winners = [](RaceSession& s) {
            QStringList got;
            const auto list = racerules::prizeList(s);
            for (const prizes::PrizeGroup& g : list.value())
                got.append(g.name + QLatin1Char(':') + (g.winners.isEmpty() ? QString() : g.winners.first().sbroj));
            return got.filter(QRegularExpression(QStringLiteral(":\\d")));
        };
        QCOMPARE(winners(session), (QStringList{"Men Open:1", "M40:5"}));
        QVERIFY(session.editRace(QStringLiteral("Utrka"), QStringLiteral("O"), QStringLiteral("1.6.2027")).ok());
        RaceSession fresh(tmp.path());
        QVERIFY(fresh.database().open().ok() && fresh.openRace(session.race().id).ok());
        QCOMPARE(winners(fresh), (QStringList{"Men Open:1", "M40:4"}));
        QCOMPARE(winners(session), winners(fresh));
    }

    // kelvora rules: prints; a bad file sets nothing and says why.
    void rulesCommand()
    {
        TempDb tmp;
        RaceSession session(tmp.path());
        QVERIFY(session.database().open().ok());
        QVERIFY(session.createRace(QStringLiteral("R"), QStringLiteral("O"), QStringLiteral("1.6.2025")).ok());
        QString out;
        QString err;
        QTextStream o(&out);
        QTextStream e(&err);
        QCOMPARE(cli::runRules(session, {}, {}, o, e), 0);
        QVERIFY(out.contains(QStringLiteral("70 i više\t\t70\t150\n")));
        QVERIFY(out.endsWith(QStringLiteral("Ukupno\t\t0\t150\t5\n")));
        QCOMPARE(cli::runRules(session, dataFile("realrace_prizes.csv"), {}, o, e), 1);
        QCOMPARE(err.trimmed(), tx::rulesFileColumns(tx::categoryFileColumns()));
        QCOMPARE(session.rules(), RaceRules::standard());
    }

    // The settings window: an overlap refused with the window kept open and
    // the typed rows kept; then stored, and "Obrada" with "Popis
    // nagrađenih" shows the prize list in the standings list.
    void windowTablesAndPrizeList()
    {
        TempDb tmp;
        frmkelvora w(tmp.path());
        makeCurrentRace(w, QStringLiteral("Utrka"), QDate(2025, 6, 1));
        const qint64 ana = addCompetitor(w, "1", "Ana", "Ž", QDate(1980, 1, 1));
        const qint64 ivo = addCompetitor(w, "2", "Ivo", "M", QDate(2000, 1, 1));
        addFinish(w, ivo, "2", "00:30:00");
        addFinish(w, ana, "1", "00:31:00");
        bool keptOpen = false;
        onNextDialog([&](QDialog* d) {
            auto* categories = find<QTableWidget>(d, "tblkategorije");
            QCOMPARE(categories->rowCount(), 12);
            categories->setRowCount(2);
            const QList<QStringList> typed{{"Mladi", "", "0", "30"}, {"Stari", "Ž", "30", "150"}};
            for (int r = 0; r < 2; ++r)
                for (int c = 0; c < 4; ++c)
                    categories->setItem(r, c, new QTableWidgetItem(typed[r][c]));
            auto* prizes = find<QTableWidget>(d, "tblnagrade");
            prizes->item(0, 4)->setText(QStringLiteral("1"));
            find<QPushButton>(d, "cmdspremi")->click();
            keptOpen = d->isVisible();
            QCOMPARE(categories->item(1, 0)->text(), QStringLiteral("Stari"));
            categories->item(1, 2)->setText(QStringLiteral("31"));
            find<QPushButton>(d, "cmdspremi")->click();
        });
        trigger(&w, "mnupostavke");
        QVERIFY(keptOpen);
        QCOMPARE(MessageBox::shown().first().text, tx::rulesTabCategories() + ": " + tx::categoriesOverlap(2, 1, "Stari", "Mladi"));
        QCOMPARE(w.session().rules().categories.labels(), (QStringList{"Mladi", "Stari"}));

        w.selectPage(frmkelvora::PageReports);
        find<QCheckBox>(&w, "optnagrade")->setChecked(true);
        find<QPushButton>(&w, "cmdobrada")->click();
        auto* lsv4 = find<QTreeView>(&w, "lsv4");
        QCOMPARE(columnTexts(lsv4, lists::StandName), (QStringList{"Ukupno", "Ivo"}));
        QCOMPARE(cell(lsv4, 1, lists::StandCategory), QStringLiteral("Mladi"));
    }
};

KVR_TEST_MAIN(TestRaceRules)
#include "test_racerules.moc"
