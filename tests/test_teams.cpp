// Team results: the rule as a table, a real race's club ranking, and a race
// without team results left exactly as it was.

#include "app/racesession.h"
#include "cli/commandline.h"
#include "core/csv.h"
#include "core/teams.h"
#include "core/texts_teams.h"
#include "data/database.h"
#include "testutil.h"
#include "ui/frmkelvora.h"
#include "ui/messagebox.h"
#include "web/livepages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTreeWidget>
#include <QtTest>

using testutil::find;
using testutil::readText;
using testutil::runCli;

namespace {

// Finishers in order, "Name/Club/Sex[/time]"; a "!" before the name: a status.
QList<standings::StandingsRow> race(const QString& finishers)
{
    QList<standings::StandingsRow> rows;
    int place = 0;
    for (const QString& runner : finishers.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList f = runner.split(QLatin1Char('/'));
        standings::StandingsRow row;
        const bool status = f.at(0).startsWith(QLatin1Char('!'));
        row.ime = status ? f.at(0).mid(1) : f.at(0);
        row.klub = f.value(1);
        row.spol = f.value(2).isEmpty() ? QStringLiteral("M") : f.value(2);
        row.vrijeme = f.value(3, QStringLiteral("00:%1:00").arg(20 + place, 2, 10, QLatin1Char('0')));
        row.state = status ? RunState::Dsq : RunState::None;
        row.finished = true;
        row.place = status ? 0 : ++place;
        rows.append(row);
    }
    return rows;
}

QString shown(const QList<teams::Team>& ranked, const TeamRules& rules)
{
    QStringList out;
    for (const teams::Team& t : ranked) {
        QStringList cells = teams::rowCells(t, rules);
        cells.removeAt(2); // the sex: the rows say it when it matters
        cells.removeAll(QString());
        out.append(cells.join(QLatin1Char(' ')));
    }
    return out.join(QStringLiteral(" | "));
}



QString realRacesDir()
{
    for (QDir dir(QStringLiteral(KVR_SOURCE_DIR));;) {
        const QString candidate = dir.filePath(QStringLiteral("../shared/data/real-races"));
        if (QFileInfo(candidate).isDir())
            return QDir::cleanPath(candidate);
        if (!dir.cdUp())
            return {};
    }
}

} // namespace

class TestTeams : public QObject {
    Q_OBJECT

private slots:
    void init() { MessageBox::clearShown(); }

    void ranking_data()
    {
        QTest::addColumn<QString>("rules");
        QTest::addColumn<QString>("finishers");
        QTest::addColumn<int>("sex");
        QTest::addColumn<QString>("expected");

        QTest::newRow("places of the sex, lowest first")
            << "size=2" << "Ana/AK/Ž;Ivo/BK;Jan/AK;Eva/AK/Ž;Mak/BK;Tin/AK" << int(standings::Sex::Men)
            << "1 BK 4 Ivo (1), Mak (3) | 2 AK 6 Jan (2), Tin (4)";
        QTest::newRow("all together, overall places")
            << "size=2 together" << "Ana/AK/Ž;Ivo/BK;Jan/AK;Mak/BK" << int(standings::Sex::All)
            << "1 AK 4 Ana (1), Jan (3) | 2 BK 6 Ivo (2), Mak (4)";
        QTest::newRow("times, lowest sum first")
            << "size=2 times" << "Ivo/BK//00:10:00;Jan/AK//00:11:00;Tin/AK//00:12:00;Mak/BK//00:20:00"
            << int(standings::Sex::Men) << "1 AK 00:23:00 Jan (2), Tin (3) | 2 BK 00:30:00 Ivo (1), Mak (4)";
        // Nobody is taken out of the count: no club and incomplete teams keep their places.
        QTest::newRow("incomplete after, places kept")
            << "size=2" << "Ivo/neovisni;Jan/CK;Tin/AK;Mak/AK;Dan/BK;Leo/BK" << int(standings::Sex::Men)
            << "1 AK 7 Tin (3), Mak (4) | 2 BK 11 Dan (5), Leo (6) | - CK Jan (2)";
        QTest::newRow("incomplete, most finishers first")
            << "size=3" << "Ivo/CK;Jan/AK;Tin/AK;Mak/BK" << int(standings::Sex::Men)
            << "- AK Jan (2), Tin (3) | - CK Ivo (1) | - BK Mak (4)";
        QTest::newRow("a status never scores nor counts")
            << "size=2" << "!Ivo/AK;Jan/AK;Tin/BK;Mak/AK;Dan/BK" << int(standings::Sex::Men)
            << "1 AK 4 Jan (1), Mak (3) | 2 BK 6 Tin (2), Dan (4)";
        QTest::newRow("extra members for a complete team")
            << "size=1 extra=1" << "Ivo/AK;Jan/BK;Tin/BK" << int(standings::Sex::Men) << "1 BK 2 Jan (2) | - AK Ivo (1)";
        QTest::newRow("tie: the better last scorer")
            << "size=2" << "Ivo/AK;Jan/BK;Tin/BK;Mak/AK" << int(standings::Sex::Men)
            << "1 BK 5 Jan (2), Tin (3) | 2 AK 5 Ivo (1), Mak (4)";
        QTest::newRow("equal times: the better placed last scorer")
            << "size=2 times" << "Ivo/AK//00:10:00;Jan/BK//00:10:00;Tin/BK//00:11:00;Mak/AK//00:11:00"
            << int(standings::Sex::Men) << "1 BK 00:21:00 Jan (2), Tin (3) | 2 AK 00:21:00 Ivo (1), Mak (4)";
        QTest::newRow("clubs and no-club texts without case and marks")
            << "size=2" << "Ivo/Šibenik;Jan/BEZ KLUBA;Tin/sibenik ;Mak/Bez kluba" << int(standings::Sex::Men)
            << "1 Šibenik 4 Ivo (1), Tin (3)";
        QTest::newRow("both sexes, men first")
            << "size=1" << "Ana/AK/Ž;Ivo/BK" << int(standings::Sex::All) << "1 BK 1 Ivo (1) | 1 AK 1 Ana (1)";
        QTest::newRow("off: nothing") << "size=0" << "Ivo/AK;Jan/AK" << int(standings::Sex::All) << "";
    }

    // Each part of the team rule, one row each.
    void ranking()
    {
        QFETCH(QString, rules);
        QFETCH(QString, finishers);
        QFETCH(int, sex);
        QFETCH(QString, expected);
        TeamRules r;
        for (const QString& part : rules.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString key = part.section(QLatin1Char('='), 0, 0);
            const int value = part.section(QLatin1Char('='), 1).toInt();
            if (key == QLatin1String("size"))
                r.size = value;
            else if (key == QLatin1String("extra"))
                r.extra = value;
            r.together = r.together || key == QLatin1String("together");
            r.byTimes = r.byTimes || key == QLatin1String("times");
        }
        QCOMPARE(shown(teams::standings(race(finishers), r, standings::Sex(sex)), r), expected);
    }

    // The team prizes follow the race's prize categories on its prize list.
    void prizesFollowTheRaceCategories()
    {
        TeamRules r;
        r.size = 1;
        r.prizes = 2;
        const auto overall = race("Ana/AK/Ž;Ivo/BK;Jan/AK;Eva/CK/Ž");
        const QList<prizes::PrizeGroup> groups = teams::prizeGroups(overall, r);
        QCOMPARE(groups.size(), 2);
        QCOMPARE(groups.at(0).name, tx::teamsPrizeMen());
        QCOMPARE(groups.at(0).winners.size(), 2);
        QCOMPARE(groups.at(1).winners.at(1).ime, QStringLiteral("CK"));
    }

    // A real race imported as published (start number, runner, club,
    // category code, time) with teams of three per sex and "Unatt." as no
    // club: the clubs ranked by the places of the published results.
    void realRaceClubRanking()
    {
        const QString dir = realRacesDir();
        if (dir.isEmpty())
            QSKIP("The real races lie beside the source tree; not here.");
        QTemporaryDir tmp;
        const QString db = tmp.filePath(QStringLiteral("kvr.mdb"));
        const QString published = dir + QStringLiteral("/balmullo_2025_overall.csv");
        QFile file(published);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QString times;
        for (const io::CsvRow& row : io::readCsv(file.readAll()).rows.mid(1))
            times += row.fields.value(1) + QLatin1Char(',') + row.fields.value(5) + QLatin1Char('\n');
        QFile timesFile(tmp.filePath(QStringLiteral("t.csv")));
        QVERIFY(timesFile.open(QIODevice::WriteOnly));
        timesFile.write(times.toUtf8());
        timesFile.close();
        QCOMPARE(runCli({"new-race", "--db", db, "--name", "Balmullo", "--org", "K", "--date", "1.6.2025"}), 0);
        QCOMPARE(runCli({"import-entries", "--db", db, "--race", "1", published, "--columns",
                         "-,startni_broj,ime_i_prezime,klub,kategorija,-", "--header", "--default", "drzava=GBR",
                         "--cut-long", "--add-categories"}),
                 0);
        QCOMPARE(runCli({"import-times", "--db", db, "--race", "1", tmp.filePath(QStringLiteral("t.csv"))}), 0);
        // A race without team results exports as it always did.
        const QString out = tmp.filePath(QStringLiteral("out.csv"));
        QCOMPARE(runCli({"export", "--db", db, "--race", "1", "--list", "prizes", "--format", "csv", "--out", out}), 0);
        const QString before = readText(out);
        QVERIFY(!before.isEmpty());
        QString refusal;
        QCOMPARE(runCli({"export", "--db", db, "--race", "1", "--list", "teams", "--format", "csv"}, &refusal), 1);
        QCOMPARE(refusal.trimmed(), tx::teamsOff());

        QCOMPARE(runCli({"rules", "--db", db, "--race", "1", "--teams", "3", "--no-club", "Unatt."}), 0);
        const QList<std::pair<QString, QString>> expected{
            {"m", "Dundee Road Run 11|Fife AC 12|Anster Haddies 30|Falkland Trail 71"},
            {"z", "Fife AC 13|Dundee Road Run 24|Anster Haddies 28|Falkland Trail 49"}};
        for (const auto& [sex, clubs] : expected) {
            QCOMPARE(runCli({"export", "--db", db, "--race", "1", "--list", "teams", "--format", "csv", "--sex", sex,
                             "--separator", "comma", "--out", out}),
                     0);
            const QList<io::CsvRow> rows = io::readCsv(readText(out).toUtf8()).rows;
            QVERIFY(rows.size() > 4);
            QCOMPARE(rows.at(0).fields, (QStringList{"Mjesto", "Klub", "Spol", "Bodovi", "Članovi"}));
            QStringList ranked;
            for (const io::CsvRow& row : rows.mid(1)) {
                if (row.fields.at(0) != QLatin1String("-"))
                    ranked.append(row.fields.at(1) + QLatin1Char(' ') + row.fields.at(3));
            }
            QCOMPARE(ranked.join(QLatin1Char('|')), clubs);
        }
        // The team prizes come after the race's own on its prize list; the rest is as before.
        QCOMPARE(runCli({"export", "--db", db, "--race", "1", "--list", "prizes", "--format", "csv", "--out", out}), 0);
        QString after = readText(out);
        QVERIFY(after.startsWith(before));
        QVERIFY(after.contains(tx::teamsPrizeMen()));
        // --teams 0 turns them off again.
        QCOMPARE(runCli({"rules", "--db", db, "--race", "1", "--teams", "0"}), 0);
        QCOMPARE(runCli({"export", "--db", db, "--race", "1", "--list", "prizes", "--format", "csv", "--out", out}), 0);
        QCOMPARE(readText(out), before);
    }

    // The window: "Ekipni poredak" is offered only once the race's settings
    // turn team results on, and lists the clubs in lsvekipe.
    void windowOffersTeamsOnlyWhenOn()
    {
        testutil::TempDb tmp;
        frmkelvora w(tmp.path());
        testutil::makeCurrentRace(w, QStringLiteral("Utrka"), QDate(2025, 6, 1));
        for (int i = 0; i < 4; ++i) {
            const qint64 id = testutil::addCompetitor(w, QString::number(i + 1), QStringLiteral("Trkač %1").arg(i + 1), "M",
                                                      QDate(1980, 1, 1), "HRV", i % 2 ? "AK Split" : "AK Zadar");
            testutil::addFinish(w, id, QString::number(i + 1), QStringLiteral("00:3%1:00").arg(i));
        }
        w.selectPage(frmkelvora::PageReports);
        auto* option = find<QCheckBox>(&w, "optekipe");
        QVERIFY(!option->isVisibleTo(&w));
        RaceRules rules = w.session().rules();
        rules.teams.size = 2;
        QVERIFY(w.session().setRules(rules).ok());
        w.selectPage(frmkelvora::PageStartList);
        w.selectPage(frmkelvora::PageReports);
        QVERIFY(option->isVisibleTo(&w));
        option->setChecked(true);
        find<QPushButton>(&w, "cmdobrada")->click();
        auto* list = find<QTreeWidget>(&w, "lsvekipe");
        QVERIFY(list->isVisibleTo(&w));
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("AK Zadar"));
        QCOMPARE(list->topLevelItem(0)->text(3), QStringLiteral("4"));
    }

    // The settings window's "Ekipe" tab turns team results on and stores
    // them with the race's other rules.
    void settingsTabStoresTheRule()
    {
        testutil::TempDb tmp;
        frmkelvora w(tmp.path());
        testutil::makeCurrentRace(w, QStringLiteral("Utrka"), QDate(2025, 6, 1));
        testutil::onNextDialog([](QDialog* d) {
            QVERIFY(!find<QSpinBox>(d, "txtekipa")->parentWidget()->isEnabled());
            find<QCheckBox>(d, "chkekipe")->setChecked(true);
            find<QSpinBox>(d, "txtekipa")->setValue(4);
            find<QComboBox>(d, "cbobodovanje")->setCurrentIndex(1);
            find<QLineEdit>(d, "txtbezkluba")->setText(QStringLiteral("Unatt., -"));
            find<QPushButton>(d, "cmdspremi")->click();
        });
        testutil::trigger(&w, "mnupostavke");
        const TeamRules stored = w.database().raceRules(w.currentRaceId()).value().teams;
        QCOMPARE(stored.size, 4);
        QVERIFY(stored.byTimes);
        QCOMPARE(stored.noClub, (QStringList{"Unatt.", "-"}));
    }

    // The live page /ekipe: only while team results are on, no text taken as markup.
    void livePageOnlyWhenOn()
    {
        live::Snapshot s;
        s.hasRace = true;
        s.overall = race("Ivo/<b>AK;Jan/<b>AK");
        QCOMPARE(live::build(QStringLiteral("/ekipe"), {}, s, {})->status, 404);
        s.rules.teams.size = 2;
        const auto page = live::build(QStringLiteral("/ekipe"), {}, s, {});
        QCOMPARE(page->status, 200);
        QVERIFY(!page->body.contains("<b>AK"));
        QVERIFY(page->body.contains("&lt;b&gt;AK"));
        QVERIFY(!page->body.contains("class=\"st\"")); // the standings' narrow-screen column hiding
        QVERIFY(page->body.contains(teams::ruleText(s.rules.teams).toUtf8()));
    }

    // The team rule is stored with the race's other rules and read back whole.
    void storedWithTheRules()
    {
        testutil::TempDb tmp;
        Database db(tmp.path());
        QVERIFY(db.open().ok());
        const qint64 race = db.insertRace(QStringLiteral("Utrka"), QStringLiteral("O"), QDate(2025, 5, 5)).value();
        QCOMPARE(db.raceRules(race).value().teams, TeamRules{});
        RaceRules rules;
        rules.teams = {4, 2, true, true, 3, {QStringLiteral("Unatt."), QStringLiteral("-")}};
        QVERIFY(db.setRaceRules(race, rules).ok());
        QCOMPARE(db.raceRules(race).value(), rules);
    }
};

KVR_TEST_MAIN(TestTeams)
#include "test_teams.moc"
