// Series of races: the scoring rules as a table, and the real series of five
// races scored through the command line exactly as its organisers published it.

#include "app/seriessession.h"
#include "cli/commandline.h"
#include "core/csv.h"
#include "core/series.h"
#include "core/texts.h"
#include "core/texts_series.h"
#include "data/database.h"
#include "testutil.h"
#include "ui/frmkelvora.h"
#include "ui/frmkup.h"
#include "ui/messagebox.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>
#include <tuple>

using testutil::find;
using testutil::readText;
using testutil::runCli;

namespace {

// A race in finishing order: "Name/Club/Sex/Category" per runner, apart by
// ";"; a "!" before the name is an entry with a status (no place).
series::RaceEntries race(qint64 id, const QString& finishers)
{
    QList<standings::StandingsRow> overall;
    int place = 0;
    qint64 key = id * 1000;
    for (const QString& runner : finishers.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList f = runner.split(QLatin1Char('/'));
        standings::StandingsRow row;
        const bool status = f.value(0).startsWith(QLatin1Char('!'));
        row.ime = status ? f.value(0).mid(1) : f.value(0);
        row.klub = f.value(1);
        row.spol = f.value(2, QStringLiteral("M"));
        row.kategorija = f.value(3);
        row.idtakmicara = ++key;
        row.state = status ? RunState::Dnf : RunState::None;
        row.finished = !status;
        row.place = status ? 0 : ++place;
        overall.append(row);
    }
    CategoryScheme categories({{QStringLiteral("A"), RuleSex::Both, 0, 39}, {QStringLiteral("B"), RuleSex::Both, 40, 150}});
    return series::raceEntries(id, QStringLiteral("Utrka %1").arg(id), overall, categories);
}

// The standings as "place name total (points per race)" rows apart by " | ".
QString shown(const series::Standings& s)
{
    QStringList rows;
    for (const series::Row& r : s.rows) {
        QStringList points;
        for (const auto& p : r.points)
            points.append(p ? QString::number(*p) : QStringLiteral("-"));
        rows.append(series::placeText(r) + QLatin1Char(' ') + r.name + QLatin1Char(' ') + QString::number(r.total) +
                    QStringLiteral(" (") + points.join(QLatin1Char(',')) + QLatin1Char(')'));
    }
    return rows.join(QStringLiteral(" | "));
}

QString realSeriesDir()
{
    for (QDir dir(QStringLiteral(KVR_SOURCE_DIR));;) {
        const QString candidate = dir.filePath(QStringLiteral("../shared/data/real-series"));
        if (QFileInfo(candidate).isDir())
            return QDir::cleanPath(candidate);
        if (!dir.cdUp())
            return {};
    }
}

QList<QStringList> readRows(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QList<QStringList> rows;
    for (const io::CsvRow& row : io::readCsv(f.readAll()).rows)
        rows.append(row.fields);
    return rows;
}


} // namespace

class TestSeries : public QObject {
    Q_OBJECT

private slots:
    void scoring_data()
    {
        QTest::addColumn<QString>("rules");
        QTest::addColumn<QStringList>("races");
        QTest::addColumn<QString>("choices");
        QTest::addColumn<QString>("expected");

        // Points: a countdown from P never below 0, or a list with further places 0.
        QTest::newRow("countdown, places by sex")
            << "p=3" << QStringList{"Ana//Ž;Ivo;Eva//Ž;Jan;Mak"} << ""
            << "1= Ana 3 (3) | 1= Ivo 3 (3) | 3= Eva 2 (2) | 3= Jan 2 (2) | 5 Mak 1 (1)";
        QTest::newRow("countdown stops at 0")
            << "p=2" << QStringList{"Ivo;Jan;Mak"} << "" << "1 Ivo 2 (2) | 2 Jan 1 (1) | 3 Mak 0 (0)";
        QTest::newRow("points list, further places 0")
            << "list=5,3 place=overall" << QStringList{"Ana//Ž;Ivo;Jan"} << "" << "1 Ana 5 (5) | 2 Ivo 3 (3) | 3 Jan 0 (0)";
        QTest::newRow("place in the category")
            << "p=10 place=category" << QStringList{"Ivo///A;Jan///B;Mak///A"} << ""
            << "1= Ivo 10 (10) | 1= Jan 10 (10) | 3 Mak 9 (9)";
        // A finisher with no category (no birth date) ran the race: 0 points, not "-".
        QTest::newRow("no category, ran for 0")
            << "p=10 place=category min=2" << QStringList{"Ivo///A;Jan", "Jan;Ivo///A"} << ""
            << "1 Ivo 20 (10,10) | 2 Jan 0 (0,0)";
        // A status scores nothing and takes no place from anybody.
        QTest::newRow("status scores nothing")
            << "p=10" << QStringList{"!Ivo;Jan", "Ivo;Jan"} << "" << "1 Jan 19 (10,9) | 2 Ivo 10 (-,10)";
        // Best K count; M races complete; fewer counted races rank lower whatever the points.
        QTest::newRow("best two of three")
            << "p=10 best=2" << QStringList{"Ivo;Jan", "Jan;Ivo", "Jan;Ivo"} << "" << "1 Jan 20 (9,10,10) | 2 Ivo 19 (10,9,9)";
        QTest::newRow("minimum ranks races first")
            << "p=10 min=2 planned=3" << QStringList{"Ivo;Jan;Mak", "Jan;Mak"} << ""
            << "1 Jan 19 (9,10) | 2 Mak 17 (8,9) | 3 Ivo 10 (10,-)";
        QTest::newRow("no place once M is out of reach")
            << "p=10 min=3 planned=3" << QStringList{"Ivo;Jan", "Jan"} << "" << "1 Jan 19 (9,10) | - Ivo 10 (10,-)";
        QTest::newRow("a race not yet held still counts as to come")
            << "p=10 min=2" << QStringList{"Ivo;Jan", ""} << "" << "1 Ivo 10 (10,-) | 2 Jan 9 (9,-)";
        // Equal totals share a place, the next is skipped; then surname in Croatian order.
        QTest::newRow("shared place, by surname")
            << "p=10 place=overall" << QStringList{"Zoran Čolić;Ana Babić", "Ana Babić;Zoran Čolić"} << ""
            << "1= Ana Babić 19 (9,10) | 1= Zoran Čolić 19 (10,9)";
        // Who is who: case, marks and blanks do not count; clubs must agree.
        QTest::newRow("names match without marks")
            << "p=10" << QStringList{"Šime Ćosić/AK", "sime  cosic/ak "} << "" << "1 Šime Ćosić 20 (10,10)";
        QTest::newRow("another club is another runner")
            << "p=10" << QStringList{"Ivo/AK", "Ivo/BK"} << "" << "1= Ivo 10 (10,-) | 1= Ivo 10 (-,10)";
        QTest::newRow("unknown club takes the only other")
            << "p=10" << QStringList{"Ivo/?", "Ivo/AK"} << "" << "1 Ivo 20 (10,10)";
        QTest::newRow("unknown club stays when two clubs have the name")
            << "p=10" << QStringList{"Ivo/?;Jan", "Ivo/AK;Ivo/BK"} << ""
            << "1= Ivo 10 (10,-) | 1= Ivo 10 (-,10) | 3= Ivo 9 (-,9) | 3= Jan 9 (9,-)";
        QTest::newRow("series' own no-club text")
            << "p=10 noclub=Unatt." << QStringList{"Ivo/unatt.", "Ivo/AK"} << "" << "1 Ivo 20 (10,10)";
        QTest::newRow("split keeps an entry apart")
            << "p=10" << QStringList{"Ivo/AK", "Ivo/AK"} << "s:2:2001" << "1= Ivo 10 (10,-) | 1= Ivo 10 (-,10)";
        QTest::newRow("join puts two names together")
            << "p=10" << QStringList{"Ivo Ivić/AK", "Ivan Ivić/AK"} << "j:2:2001:1:1001" << "1 Ivo Ivić 20 (10,10)";
    }

    // Each rule of the season's standings, one row each.
    void scoring()
    {
        QFETCH(QString, rules);
        QFETCH(QStringList, races);
        QFETCH(QString, choices);
        QFETCH(QString, expected);
        series::Rules r;
        for (const QString& part : rules.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString key = part.section(QLatin1Char('='), 0, 0);
            const QString value = part.section(QLatin1Char('='), 1);
            if (key == QLatin1String("p"))
                r.firstPoints = value.toInt();
            else if (key == QLatin1String("list"))
                r.points = series::PointsKind::List, r.pointsList = *series::readPointsList(value);
            else if (key == QLatin1String("best"))
                r.best = value.toInt();
            else if (key == QLatin1String("min"))
                r.minimum = value.toInt();
            else if (key == QLatin1String("planned"))
                r.planned = value.toInt();
            else if (key == QLatin1String("noclub"))
                r.noClub = {value};
            else if (key == QLatin1String("place"))
                r.place = value == QLatin1String("overall") ? series::PlaceScope::Overall : series::PlaceScope::Category;
        }
        QList<series::Choice> made;
        for (const QString& c : choices.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QStringList f = c.split(QLatin1Char(':'));
            made.append({f.at(0) == QLatin1String("j") ? series::Choice::Kind::Join : series::Choice::Kind::Split,
                         {f.at(1).toLongLong(), f.at(2).toLongLong()},
                         {f.value(3).toLongLong(), f.value(4).toLongLong()}});
        }
        QList<series::RaceEntries> entries;
        for (int i = 0; i < races.size(); ++i)
            entries.append(race(i + 1, races.at(i)));
        QCOMPARE(shown(series::score(entries, r, made)), expected);
    }

    // What differs across races is told: the matches not exact, a sex or
    // category that changes; prizes go by category ages, one per runner.
    void matchesNotesAndPrizes()
    {
        const QList<series::RaceEntries> races{race(1, "Sime Cosic/?/Ž/A;Ivo/AK/M/A"),
                                               race(2, "Šime Ćosić/AK/Ž/B;Ivo/AK/Ž/A")};
        const series::Standings s = series::score(races, series::Rules{});
        QStringList matches;
        for (const series::Match& m : s.matches)
            matches.append(tx::seriesMatched(m.entryText, m.raceIndex + 1, m.runnerText));
        QCOMPARE(matches, QStringList{"Spojeno: Sime Cosic, ? (utrka 1) = Šime Ćosić, AK"});
        QCOMPARE(s.notes.size(), 2);
        QVERIFY(s.notes.at(0).startsWith(QStringLiteral("Šime Ćosić: kategorija")));
        QVERIFY(s.notes.at(1).startsWith(QStringLiteral("Ivo: spol")));

        // Mercè's series category is A (0-39): the 40+ prize is not hers.
        const PrizeScheme prizes({{"Stariji", RuleSex::Both, 40, 150, 1}, {"Mlađi", RuleSex::Women, 0, 39, 2}});
        const auto groups = series::award(s.rows, prizes);
        QCOMPARE(groups.at(0).winners.size(), 0);
        QCOMPARE(groups.at(1).winners.size(), 1);
        QCOMPARE(s.rows.at(groups.at(1).winners.at(0)).name, QStringLiteral("Šime Ćosić"));
    }

    // The real series: five races imported as published, the organisers'
    // two corrections made in the races, scored 200 by sex, best 4 of at
    // least 4, five planned: the published standings and prize list row for
    // row; after three races, runners who can no longer reach four have no place.
    void realSeries()
    {
        const QString dir = realSeriesDir();
        if (dir.isEmpty())
            QSKIP("The real series lies beside the source tree; not here.");
        QTemporaryDir tmp;
        const QString db = tmp.filePath(QStringLiteral("kvr.mdb"));
        const QString season = dir + QStringLiteral("/midweek_2025");

        // The race categories as the organisers give them (women "Ž").
        QString categories = QStringLiteral("oznaka,spol,od,do\n");
        for (const QStringList& r : readRows(dir + QStringLiteral("/entry_categories.csv"))) {
            if (r.size() >= 5 && (r.at(2) == QLatin1String("Female") || r.at(2) == QLatin1String("Male")))
                categories += QStringLiteral("%1,%2,%3,%4\n").arg(r.at(1), r.at(2) == QLatin1String("Female") ? "Ž" : "M", r.at(3), r.at(4));
        }
        QString prizes = QStringLiteral("naziv,spol,od,do,nagrade\n");
        for (const QStringList& r : readRows(season + QStringLiteral("/prize_categories.csv")))
            prizes += QStringLiteral("%1,%2,%3,%4,%5\n").arg(r.at(0), r.at(2).startsWith(QLatin1String("Female")) ? "Ž" : "M", r.at(3), r.at(4), r.at(5));
        const auto write = [&](const QString& name, const QString& text) {
            QFile f(tmp.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(text.toUtf8());
        };
        write(QStringLiteral("categories.csv"), categories);
        write(QStringLiteral("prizes.csv"), prizes);

        QStringList files = QDir(season + QStringLiteral("/races")).entryList({QStringLiteral("*.csv")}, QDir::Files, QDir::Name);
        QCOMPARE(files.size(), 5);
        const QList<QStringList> corrections = readRows(season + QStringLiteral("/corrections.tsv"));
        QStringList raceNames;
        for (int i = 0; i < files.size(); ++i) {
            QList<QStringList> rows = readRows(season + QStringLiteral("/races/") + files.at(i));
            for (const QStringList& c : corrections.mid(1)) {
                for (QStringList& row : rows) {
                    if (c.value(0).toInt() == i + 1 && row.value(1) == c.value(1))
                        row[c.value(2) == QLatin1String("Club") ? 3 : 2] = c.value(3);
                }
            }
            QString entries;
            QString times;
            for (const QStringList& row : rows.mid(1)) {
                QStringList fields;
                for (const QString& field : row.mid(0, 5))
                    fields.append(io::csvField(field));
                entries += fields.join(QLatin1Char(',')) + QLatin1Char('\n');
                times += row.value(1) + QLatin1Char(',') + row.value(5) + QLatin1Char('\n');
            }
            write(QStringLiteral("e%1.csv").arg(i), entries);
            write(QStringLiteral("t%1.csv").arg(i), times);
            const QString name = files.at(i).section(QLatin1Char('_'), 1).chopped(4);
            raceNames.append(name);
            const QString id = QString::number(i + 1);
            QCOMPARE(runCli({"new-race", "--db", db, "--name", name, "--org", "Klub", "--date", QStringLiteral("0%1.06.2025").arg(i + 1)}), 0);
            QCOMPARE(runCli({"rules", "--db", db, "--race", id, "--categories", tmp.filePath("categories.csv")}), 0);
            QCOMPARE(runCli({"import-entries", "--db", db, "--race", id, tmp.filePath(QStringLiteral("e%1.csv").arg(i)),
                             "--columns", "-,startni_broj,ime_i_prezime,klub,kategorija", "--default", "drzava=GBR",
                             "--cut-long"}),
                     0);
            QCOMPARE(runCli({"import-times", "--db", db, "--race", id, tmp.filePath(QStringLiteral("t%1.csv").arg(i))}), 0);
        }
        QString key;
        QCOMPARE(runCli({"series", "--db", db, "--name", "Midweek", "--races", "1,2,3,4,5", "--points", "200", "--best",
                         "4", "--minimum", "4", "--planned", "5", "--prizes", tmp.filePath("prizes.csv")},
                        &key),
                 0);
        QCOMPARE(key.trimmed(), QStringLiteral("1"));

        // The standings row for row; clubs as the start list keeps them (15 characters).
        QCOMPARE(runCli({"export", "--db", db, "--series", "1", "--list", "series", "--format", "csv", "--separator",
                         "comma", "--out", tmp.filePath("series.csv")}),
                 0);
        const QList<QStringList> ours = readRows(tmp.filePath("series.csv"));
        const QList<QStringList> published = readRows(season + QStringLiteral("/published/midweek_overall_2025.csv"));
        QCOMPARE(ours.size(), published.size());
        QCOMPARE(ours.at(0), (QStringList{"Mjesto", "Ime i prezime", "Klub", "Kategorija"} + raceNames
                              + QStringList{"Ukupno", "Uvjet"}));
        for (int i = 1; i < published.size(); ++i) {
            QStringList expected = published.at(i);
            expected[2] = expected.at(2).left(15).trimmed();
            expected.last() = expected.last() == QLatin1String("Y") ? QStringLiteral("D") : QStringLiteral("N");
            QCOMPARE(ours.at(i), expected);
        }

        // The prize list as published: "N: Name (Club) points" under each category;
        // the whole list whatever sex the standings are asked for.
        QCOMPARE(runCli({"export", "--db", db, "--series", "1", "--list", "series-prizes", "--sex", "z", "--format",
                         "csv", "--separator", "comma", "--out", tmp.filePath("prizes-out.csv")}),
                 0);
        QFile text(season + QStringLiteral("/published/midweek_prizes_2025.txt"));
        QVERIFY(text.open(QIODevice::ReadOnly));
        QStringList expectedPrizes;
        QString category;
        for (const QString& line : QString::fromUtf8(text.readAll()).split(QLatin1Char('\n'))) {
            static const QRegularExpression winner(QStringLiteral("^(\\d+): (.+) \\((.+)\\) (\\d+)$"));
            if (line.startsWith(QLatin1String("Category: ")))
                category = line.mid(10);
            else if (line == QLatin1String("No results"))
                expectedPrizes.append(category);
            else if (const auto m = winner.match(line); m.hasMatch())
                expectedPrizes.append(QStringList{category, m.captured(1), m.captured(2), m.captured(3).left(15).trimmed(), m.captured(4)}.join('|'));
        }
        // The published list leaves out the categories nobody of the series is in (80 and over).
        QStringList ourPrizes;
        for (const QStringList& r : readRows(tmp.filePath("prizes-out.csv")).mid(1)) {
            if (r.value(1).isEmpty() && !expectedPrizes.contains(r.value(0)))
                continue;
            ourPrizes.append(r.value(1).isEmpty() ? r.value(0) : QStringList{r.value(0), r.value(1), r.value(3), r.value(4), r.value(6)}.join('|'));
        }
        QCOMPARE(ourPrizes, expectedPrizes);

        // After three races: who ran once can no longer reach four of five.
        QCOMPARE(runCli({"series", "--db", db, "--name", "Midweek", "--races", "1,2,3"}), 0);
        Database database(db);
        QVERIFY(database.open());
        SeriesSession seasons(database);
        const auto early = seasons.standings(1);
        QVERIFY(early.ok());
        int unplaced = 0;
        for (const series::Row& r : early.value().standings.rows) {
            QCOMPARE(r.place == 0, r.run < 2);
            unplaced += r.place == 0;
        }
        QVERIFY(unplaced > 10);
    }

    // The window: a series made from the form, its standings in lsvkup, two
    // rows of one runner joined, the join taken back, and a refusal in words
    // that keeps what was typed.
    void windowMakesJoinsAndTakesBack()
    {
        testutil::TempDb tmp;
        frmkelvora w(tmp.path());
        for (int r = 0; r < 2; ++r) {
            testutil::makeCurrentRace(w, QStringLiteral("Utrka %1").arg(r + 1), QDate(2025, 5, 1 + r));
            const qint64 ivo = testutil::addCompetitor(w, "1", r == 0 ? "Ivo Ivić" : "Ivan Ivić", "M", QDate(1980, 1, 1));
            const qint64 ana = testutil::addCompetitor(w, "2", "Ana Anić", "Ž", QDate(1990, 1, 1));
            testutil::addFinish(w, ivo, "1", "00:30:00");
            testutil::addFinish(w, ana, "2", "00:31:00");
        }
        QAction* menu = w.findChild<QAction*>(QStringLiteral("mnukup"));
        QVERIFY(menu && menu->isEnabled());
        frmkup dialog(w, &w);
        // Without a name the form is refused and keeps the races checked.
        auto* races = find<QListWidget>(&dialog, "lstutrke");
        QCOMPARE(races->count(), 2);
        for (int i = 0; i < races->count(); ++i)
            races->item(i)->setCheckState(Qt::Checked);
        QVERIFY(!dialog.storeSeries());
        QCOMPARE(MessageBox::shown().last().text, tx::seriesNeedsName());
        QCOMPARE(races->item(1)->checkState(), Qt::Checked);
        find<QLineEdit>(&dialog, "txtime")->setText(QStringLiteral("Proljetni kup"));
        find<QSpinBox>(&dialog, "txtbodovi")->setValue(10);
        QVERIFY(dialog.storeSeries());
        QVERIFY(dialog.currentId() > 0);

        auto* list = find<QTreeView>(&dialog, "lsvkup");
        QCOMPARE(testutil::columnTexts(list, 1), (QStringList{"Ana Anić", "Ivan Ivić", "Ivo Ivić"}));
        QCOMPARE(testutil::columnTexts(list, 0), (QStringList{"1", "2=", "2="}));
        testutil::selectRow(list, 1);
        testutil::selectRow(list, 2);
        QVERIFY(dialog.joinSelected());
        QCOMPARE(testutil::columnTexts(list, 1), (QStringList{"Ana Anić", "Ivan Ivić"}));
        QCOMPARE(testutil::columnTexts(list, 6), (QStringList{"20", "20"}));

        auto* matches = find<QTreeWidget>(&dialog, "lstspojevi");
        QCOMPARE(matches->topLevelItemCount(), 1);
        QCOMPARE(matches->topLevelItem(0)->text(0), tx::seriesJoined(QStringLiteral("Ivo Ivić"), 1, QStringLiteral("Ivan Ivić")));
        matches->setCurrentItem(matches->topLevelItem(0));
        QVERIFY(dialog.takeBackSelected());
        QCOMPARE(testutil::columnTexts(list, 1), (QStringList{"Ana Anić", "Ivan Ivić", "Ivo Ivić"}));

        // The same standings from a fresh session: the choices were stored.
        SeriesSession again(w.database());
        QCOMPARE(again.standings(dialog.currentId()).value().standings.rows.size(), 3);

        // Closing with the rules changed asks: No drops them, Yes stores them,
        // and a refused store keeps the window open with what was typed.
        const qint64 id = dialog.currentId();
        const auto best = [&] { return again.find(id).value().rules.best; };
        auto* bestField = find<QSpinBox>(&dialog, "txtnajbolji");
        dialog.show();
        MessageBox::clearShown();
        dialog.reject();
        QVERIFY(MessageBox::shown().isEmpty());
        for (const auto& [answer, name, stored, open] :
             {std::tuple{QMessageBox::No, "Proljetni kup", 0, false}, {QMessageBox::Yes, "", 0, true},
              {QMessageBox::Yes, "Proljetni kup", 1, false}}) {
            dialog.show();
            bestField->setValue(1);
            find<QLineEdit>(&dialog, "txtime")->setText(QLatin1String(name));
            MessageBox::setNextAnswer(answer);
            dialog.reject();
            QCOMPARE(MessageBox::shown().first().text, tx::seriesUnsavedAsk());
            MessageBox::clearShown();
            QCOMPARE(best(), stored);
            QCOMPARE(dialog.isVisible(), open);
        }
    }

    // One sex's list is placed again among itself, shared places and all;
    // a runner without a place keeps none.
    void oneSexPlacedAmongItself()
    {
        series::Rules r;
        r.firstPoints = 10;
        r.place = series::PlaceScope::Overall;
        r.minimum = 2;
        r.planned = 2;
        const series::Standings s = series::score(
            {race(1, "Ivo;Ana//Ž;Eva//Ž;Jan"), race(2, "Eva//Ž;Ana//Ž;Ivo")}, r);
        QStringList women;
        for (const series::Row& row : series::ofSex(s, standings::Sex::Women, r.minimum))
            women.append(series::placeText(row) + QLatin1Char(' ') + row.name);
        QCOMPARE(women, (QStringList{"1= Ana", "1= Eva"}));
        QCOMPARE(series::placeText(series::ofSex(s, standings::Sex::Men, r.minimum).last()), QStringLiteral("-"));
    }

    // The version, the manual page and the shell completion come from the
    // program's own texts: every command is in each.
    void versionManualAndCompletion()
    {
        QString out;
        QCOMPARE(runCli({"--version"}, &out), 0);
        QCOMPARE(out, tx::appVersionLine() + QLatin1Char('\n'));
        QString manual;
        QString completion;
        QCOMPARE(runCli({"--man"}, &manual), 0);
        QCOMPARE(runCli({"--bash-completion"}, &completion), 0);
        QVERIFY(manual.startsWith(QLatin1String(".TH KELVORA 1")));
        for (const char* command : {"races", "new-race", "import-entries", "import-times", "export", "status", "rules",
                                    "check", "serve", "log", "series", "start", "capture", "import-capture"}) {
            QVERIFY2(manual.contains(QStringLiteral(".SS %1\n").arg(QLatin1String(command))), command);
            QVERIFY2(completion.contains(QStringLiteral("        %1) ").arg(QLatin1String(command))), command);
        }
        QVERIFY(completion.contains(QLatin1String("--points-list")));
    }

    // A series is stored whole or refused in words, and a file without
    // series reads as none.
    void storedAllOrNothing()
    {
        QTemporaryDir tmp;
        const QString db = tmp.filePath(QStringLiteral("kvr.mdb"));
        QCOMPARE(runCli({"new-race", "--db", db, "--name", "Prva", "--org", "K", "--date", "01.05.2025"}), 0);
        QString out;
        QCOMPARE(runCli({"series", "--db", db}, &out), 0);
        QVERIFY(out.isEmpty());
        QCOMPARE(runCli({"series", "--db", db, "--name", "Kup", "--races", "1,7"}), 1);
        QCOMPARE(runCli({"series", "--db", db, "--name", "Kup", "--races", "1", "--minimum", "3"}), 1);
        // Points a total could overflow on.
        QCOMPARE(runCli({"series", "--db", db, "--name", "Kup", "--races", "1", "--points", "2000000000"}), 1);
        QCOMPARE(runCli({"series", "--db", db, "--name", "Kup", "--races", "1", "--points-list", "5,100001"}), 1);
        QCOMPARE(runCli({"series", "--db", db}, &out), 0);
        QVERIFY(out.isEmpty());
        QCOMPARE(runCli({"series", "--db", db, "--name", "Kup", "--races", "1", "--points-list", "25,20", "--no-club",
                         "neovisni", "--place", "category"}),
                 0);
        QCOMPARE(runCli({"series", "--db", db}, &out), 0);
        QCOMPARE(out, QStringLiteral("1\tKup\t1\n"));
        Database database(db);
        QVERIFY(database.open());
        const auto stored = database.seriesList();
        QVERIFY(stored);
        const series::Rules& r = stored.value().at(0).rules;
        QCOMPARE(r.pointsList, (QList<int>{25, 20}));
        QCOMPARE(r.noClub, QStringList{"neovisni"});
        QCOMPARE(r.place, series::PlaceScope::Category);
        QCOMPARE(r.prizes, PrizeScheme::standard());
    }
};

KVR_TEST_MAIN(TestSeries)
#include "test_series.moc"
