// Finding a runner and keeping lists current, below the window: the search
// rule, the finish-entry note, column widths, and standings that follow the
// lists. Built from core and app alone.

#include "app/lookup.h"
#include "app/racesession.h"
#include "core/columnfit.h"
#include "core/search.h"
#include "core/texts.h"
#include "data/database.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

const QDate kRaceDate(2010, 6, 1);

Competitor runner(const QString& number, const QString& name, const QString& club,
                  const QString& sex = QStringLiteral("M"), const QDate& born = QDate(1968, 3, 1))
{
    Competitor c;
    c.id = 1;
    c.sbroj = number;
    c.ime = name;
    c.klub = club;
    c.spol = sex;
    c.datum = born;
    return c;
}

rules::CompetitorEntry entry(const QString& number, const QString& name, const QString& sex, const QString& club)
{
    return {name, number, QStringLiteral("HRV"), club, sex, QStringLiteral("1.2.1980")};
}

QStringList column(const QAbstractItemModel* model, int column)
{
    QStringList texts;
    for (int row = 0; row < model->rowCount(); ++row)
        texts.append(model->index(row, column).data().toString());
    return texts;
}

} // namespace

class TestSearch : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(QStringLiteral("kvr.mdb")); }

private slots:
    void init() { QFile::remove(path()); }

    // ---- Rules ---------------------------------------------------------------

    void fold_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("folded");
        QTest::newRow("ascii upper") << "Ivan HORVAT" << "ivan horvat";
        QTest::newRow("s caron") << QStringLiteral("Šimić") << "simic";
        QTest::newRow("c caron upper") << QStringLiteral("ČAČIĆ") << "cacic";
        QTest::newRow("z caron") << QStringLiteral("Žužić") << "zuzic";
        QTest::newRow("d stroke both cases") << QStringLiteral("Đurđević") << "durdevic";
        QTest::newRow("other marks") << QStringLiteral("Müller-Lüdenscheidt") << "muller-ludenscheidt";
        QTest::newRow("decomposed input") << QStringLiteral("S\u030Cimic\u0301") << "simic";
        QTest::newRow("digits and blanks kept") << " AK 1. maj " << " ak 1. maj ";
    }
    void fold()
    {
        QFETCH(QString, text);
        QFETCH(QString, folded);
        QCOMPARE(search::fold(text), folded);
    }

    void matches_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("found");
        // The runner: number " 12", "Luka Šimić", club "AK Split".
        QTest::newRow("empty finds everybody") << "" << true;
        QTest::newRow("blanks find everybody") << "   " << true;
        QTest::newRow("number exact") << "12" << true;
        QTest::newRow("number with blanks") << " 12 " << true;
        QTest::newRow("part of a number") << "1" << false;
        QTest::newRow("number with a leading zero") << "012" << false;
        QTest::newRow("name without marks") << "simic" << true;
        QTest::newRow("name with marks, any case") << QStringLiteral("ŠIMIĆ") << true;
        QTest::newRow("part of the first name") << "uk" << true;
        QTest::newRow("part of the club") << "split" << true;
        QTest::newRow("across name and club") << "simicak" << false;
        QTest::newRow("other name") << "horvat" << false;
    }
    void matches()
    {
        QFETCH(QString, query);
        QFETCH(bool, found);
        const Competitor c = runner(QStringLiteral(" 12"), QStringLiteral("Luka Šimić"), QStringLiteral("AK Split"));
        QCOMPARE(search::matches(search::Query(query), c), found);
    }

    void finishNumberNote_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("known");
        QTest::addColumn<QString>("club");
        QTest::addColumn<QDate>("born");
        QTest::addColumn<QString>("finishTime");
        QTest::addColumn<QStringList>("parts");
        const QDate born(1968, 3, 1); // 42 on the race date: 40-44
        QTest::newRow("nothing typed") << "" << false << "" << born << "" << QStringList();
        QTest::newRow("blanks typed") << "  " << false << "" << born << "" << QStringList();
        QTest::newRow("not on the list") << "99" << false << "" << born << "" << QStringList{tx::noteNotOnStartList()};
        QTest::newRow("on the list") << "12" << true << "AK Split" << born << ""
                                     << QStringList{"12", "Ivan Horvat", "AK Split", "M 40-44"};
        QTest::newRow("no club") << "12" << true << " " << born << "" << QStringList{"12", "Ivan Horvat", "M 40-44"};
        QTest::newRow("no birth date") << "12" << true << "AK Split" << QDate() << ""
                                       << QStringList{"12", "Ivan Horvat", "AK Split", "M"};
        QTest::newRow("already finished") << "12" << true << "AK Split" << born << "00:41:12"
                                          << QStringList{"12", "Ivan Horvat", "AK Split", "M 40-44",
                                                         tx::noteAlreadyFinished("00:41:12")};
    }
    void finishNumberNote()
    {
        QFETCH(QString, typed);
        QFETCH(bool, known);
        QFETCH(QString, club);
        QFETCH(QDate, born);
        QFETCH(QString, finishTime);
        QFETCH(QStringList, parts);
        const Competitor c = runner(QStringLiteral("12"), QStringLiteral("Ivan Horvat"), club, QStringLiteral("M"), born);
        FinishRecord finish;
        finish.vrijeme = finishTime;
        QCOMPARE(search::finishNumberNote(typed, known ? &c : nullptr, finishTime.isEmpty() ? nullptr : &finish,
                                          kRaceDate),
                 parts.join(tx::noteSeparator()));
    }

    void fitWidths_data()
    {
        QTest::addColumn<QList<int>>("preset");
        QTest::addColumn<QList<int>>("needed");
        QTest::addColumn<int>("available");
        QTest::addColumn<QList<int>>("widths");
        using L = QList<int>;
        QTest::newRow("presets fit, content narrower") << L{60, 60, 70} << L{40, 40, 50} << 300 << L{60, 60, 70};
        QTest::newRow("content wider, room for it") << L{60, 85, 40} << L{40, 120, 30} << 300 << L{60, 120, 40};
        QTest::newRow("exactly the room") << L{60, 60, 70} << L{40, 40, 50} << 190 << L{60, 60, 70};
        QTest::newRow("slack given up in proportion") << L{60, 60, 70} << L{40, 40, 70} << 170 << L{50, 50, 70};
        QTest::newRow("never below content") << L{60, 60, 70} << L{60, 40, 70} << 180 << L{60, 50, 70};
        QTest::newRow("content alone too wide") << L{60, 60, 70} << L{80, 80, 80} << 200 << L{80, 80, 80};
        QTest::newRow("hidden column stays 0") << L{60, 0, 70} << L{40, 0, 50} << 150 << L{60, 0, 70};
    }
    void fitWidths()
    {
        QFETCH(QList<int>, preset);
        QFETCH(QList<int>, needed);
        QFETCH(int, available);
        QFETCH(QList<int>, widths);
        const QList<int> fitted = lists::fitWidths(preset, needed, available);
        QCOMPARE(fitted, widths);
    }

    // ---- Session -------------------------------------------------------------

    // The standings built once follow every kind of change of the lists with
    // the same choice, and only when asked (the window asks while they show).
    void standingsFollowTheLists_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("club edited") << "edit";
        QTest::newRow("finish entered") << "enter";
        QTest::newRow("finish removed") << "remove";
        QTest::newRow("competitors imported") << "import";
        QTest::newRow("another station") << "other";
        QTest::newRow("race date") << "date";
    }
    void standingsFollowTheLists()
    {
        QFETCH(QString, change);
        RaceSession s(path());
        QVERIFY(s.database().open());
        QVERIFY(s.createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2010")));
        const Competitor ana = s.addCompetitor(entry("1", QStringLiteral("Ana"), QStringLiteral("Ž"), "?")).value();
        const Competitor iva = s.addCompetitor(entry("2", QStringLiteral("Iva"), QStringLiteral("Ž"), "AK")).value();
        QVERIFY(s.addCompetitor(entry("3", QStringLiteral("Ivo"), QStringLiteral("M"), "AK")));
        QVERIFY(s.enterFinish("1", "00:40:00"));
        QVERIFY(s.enterFinish("3", "00:41:00"));
        const standings::Selection women{tx::categoryAll(), standings::Sex::Women};
        const auto built = s.standings(women);
        QVERIFY(built);
        QVERIFY(!s.standingsOutOfDate());
        const QStringList before = column(s.standingsModel(), lists::StandClub);

        QStringList expectedClubs = before;
        QString expectedTitle = built.value().caption;
        if (change == "edit") {
            QVERIFY(s.editCompetitor(ana.id, entry("1", QStringLiteral("Ana"), QStringLiteral("Ž"), "Fife AC")));
            expectedClubs = {"Fife AC"};
        } else if (change == "enter") {
            QVERIFY(s.enterFinish("2", "00:39:00"));
            expectedClubs = {"AK", "?"};
        } else if (change == "remove") {
            QVERIFY(s.removeFinish(ana.id));
            expectedClubs = {};
            expectedTitle = tx::noStandingsRows();
        } else if (change == "import") {
            Competitor c = runner("4", QStringLiteral("Eva"), "Uvoz", QStringLiteral("Ž"));
            c.id = 0;
            QVERIFY(s.addCompetitors({c}));
            QVERIFY(s.addFinishRecords({FinishRecord{0, s.startList().last().id, 0, "4", "00:30:00"}}));
            expectedClubs = {"Uvoz", "?"};
        } else if (change == "other") {
            RaceSession other(path());
            QVERIFY(other.database().open());
            QVERIFY(other.openRace(s.race().id));
            QVERIFY(other.enterFinish("2", "00:45:00"));
            QVERIFY(s.refresh());
            expectedClubs = {"?", "AK"};
        } else {
            // Ana is 30, then 40-44 when the race moves to 2020.
            QVERIFY(s.editRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2020")));
        }
        QVERIFY(s.standingsOutOfDate());
        QCOMPARE(column(s.standingsModel(), lists::StandClub), before);

        const auto shown = s.shownStandings();
        QVERIFY(shown);
        QVERIFY(!s.standingsOutOfDate());
        QCOMPARE(shown.value().caption, expectedTitle);
        QCOMPARE(column(s.standingsModel(), lists::StandClub), expectedClubs);
        QCOMPARE(shown.value().rows.size(), qsizetype(expectedClubs.size()));
        // Built as a fresh run of the same choice would build them.
        const auto fresh = standings::process(women, s.finishList(), s.startList(), s.raceDate());
        QCOMPARE(column(s.standingsModel(), lists::StandCategory),
                 [&] { QStringList c; for (const auto& r : fresh.rows) c.append(r.kategorija); return c; }());
        QCOMPARE(shown.value().counts.registered, fresh.counts.registered);
        Q_UNUSED(iva);
    }

    void noStandingsBuiltNothingShown()
    {
        RaceSession s(path());
        QVERIFY(s.database().open());
        QVERIFY(s.createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2010")));
        QVERIFY(s.addCompetitor(entry("1", QStringLiteral("Ana"), QStringLiteral("Ž"), "AK")));
        QVERIFY(!s.standingsOutOfDate());
        const auto shown = s.shownStandings();
        QVERIFY(shown);
        QVERIFY(shown.value().caption.isEmpty());
        QCOMPARE(s.standingsModel()->rowCount(), 0);
        // Built, then the race is closed: the list empties.
        QVERIFY(s.enterFinish("1", "00:40:00"));
        QVERIFY(s.standings({tx::categoryAll(), standings::Sex::All}));
        s.closeRace();
        QVERIFY(s.shownStandings());
        QCOMPARE(s.standingsModel()->rowCount(), 0);
    }

    void finishNumberNoteFollowsTheLists()
    {
        RaceSession s(path());
        QVERIFY(s.database().open());
        QVERIFY(s.createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2010")));
        const Competitor ana = s.addCompetitor(entry("7", QStringLiteral("Ana"), QStringLiteral("Ž"), "AK")).value();
        const QString named = search::finishNumberNote("7", &ana, nullptr, kRaceDate);
        QCOMPARE(lookup::finishNumberNote(s, " 7 "), named);
        QCOMPARE(lookup::finishNumberNote(s, "8"), tx::noteNotOnStartList());
        QVERIFY(s.enterFinish("7", "00:41:12"));
        QCOMPARE(lookup::finishNumberNote(s, "7"), named + tx::noteSeparator() + tx::noteAlreadyFinished("00:41:12"));
        QVERIFY(s.removeFinish(ana.id));
        QCOMPARE(lookup::finishNumberNote(s, "7"), named);
    }

    // The search keeps each competitor's running number, follows changes of
    // the list, and sorts the list under it.
    void searchFilterKeepsRunningNumbers()
    {
        RaceSession s(path());
        QVERIFY(s.database().open());
        QVERIFY(s.createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2010")));
        for (const auto& [number, name] : QList<std::pair<QString, QString>>{
                 {"5", QStringLiteral("Zec Ivo")}, {"12", QStringLiteral("Luka Šimić")},
                 {"3", QStringLiteral("Ana Simić")}, {"", QStringLiteral("Petra Perić")}})
            QVERIFY(s.addCompetitor(entry(number, name, QStringLiteral("M"), "AK")));
        StartListSortModel sorted(s.startListModel());
        StartListFilterModel found(&sorted, s.startListModel());
        found.setSearch(QStringLiteral("simic"));
        QCOMPARE(column(&found, lists::StartRunning), (QStringList{"2", "3"}));
        found.sort(lists::StartName);
        QCOMPARE(column(&found, lists::StartName), (QStringList{QStringLiteral("Ana Simić"), QStringLiteral("Luka Šimić")}));
        QCOMPARE(column(&found, lists::StartRunning), (QStringList{"3", "2"}));
        // Added, edited and removed rows are found or left out at once.
        QVERIFY(s.addCompetitor(entry("9", QStringLiteral("Iva Šimić"), QStringLiteral("Ž"), "AK")));
        QCOMPARE(column(&found, lists::StartRunning), (QStringList{"3", "5", "2"}));
        QVERIFY(s.editCompetitor(s.startList().at(1).id, entry("12", QStringLiteral("Luka Lukić"), "M", "AK")));
        QCOMPARE(column(&found, lists::StartRunning), (QStringList{"3", "5"}));
        found.setSearch(QStringLiteral("5"));
        QCOMPARE(column(&found, lists::StartName), (QStringList{QStringLiteral("Zec Ivo")}));
        found.setSearch(QString());
        QCOMPARE(found.rowCount(), 5);
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TestSearch tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "test_search.moc"
