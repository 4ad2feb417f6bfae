#include "core/standings.h"
#include "testutil.h"
#include "core/texts.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QTreeWidget>

using standings::Sex;
using standings::StandingsRow;

Q_DECLARE_METATYPE(standings::Sex)

namespace {

const QDate kRaceDate(2010, 6, 1);
const QString kMale = QStringLiteral("M");
const QString kFemale = QStringLiteral("Ž");

Competitor competitor(qint64 id, const QString& sbroj, const QString& spol, const QDate& born)
{
    Competitor c;
    c.id = id;
    c.sbroj = sbroj;
    c.idutrke = 1;
    c.ime = QStringLiteral("Takmičar %1").arg(id);
    c.drzava = QStringLiteral("HRV");
    c.klub = QStringLiteral("AK %1").arg(id);
    c.spol = spol;
    c.datum = born;
    return c;
}

Competitor competitor(qint64 id, const QString& sbroj, const QString& spol, int birthYear)
{
    return competitor(id, sbroj, spol, QDate(birthYear, 3, 15));
}

FinishRecord finish(qint64 id, qint64 idtakmicara, const QString& vrijeme)
{
    FinishRecord r;
    r.id = id;
    r.idtakmicara = idtakmicara;
    r.idutrke = 1;
    r.sbroj = QString::number(100 + idtakmicara);
    r.vrijeme = vrijeme;
    return r;
}

// A race on 01.06.2010. Finishers in time order (key, sex, category):
//  1: 1 M 35-39    2: 2 M 19-24    3: 3 M 35-39    4: 4 Ž 19-24    5: 5 M 45-49
//  6: 6 M 35-39    7: 7 Ž 35-39    8: key 99, not on the start list
//  9: 9 M aged 18 ("do 18")       10: 10 Ž 19-24
// Registered without finishing: 11 M 35-39 without a start number, 12 Ž 45-49
// without a start number.
QList<Competitor> raceStartList()
{
    return {
        competitor(1, "101", kMale, 1972),    competitor(2, "102", kMale, 1990),
        competitor(3, "103", kMale, 1975),    competitor(4, "104", kFemale, 1988),
        competitor(5, "105", kMale, 1963),    competitor(6, "106", kMale, 1971),
        competitor(7, "107", kFemale, 1974),  competitor(9, "109", kMale, 1992),
        competitor(10, "110", kFemale, 1986), competitor(11, "", kMale, 1973),
        competitor(12, "", kFemale, 1962),
    };
}

// Entered out of order, as the judges bring the times.
QList<FinishRecord> raceFinishList()
{
    return {
        finish(1, 6, "00:35:00"), finish(2, 2, "00:31:00"), finish(3, 10, "00:39:00"), finish(4, 1, "00:30:00"),
        finish(5, 99, "00:37:00"), finish(6, 4, "00:33:00"), finish(7, 3, "00:32:00"), finish(8, 9, "00:38:00"),
        finish(9, 7, "00:36:00"), finish(10, 5, "00:34:00"),
    };
}

QList<qint64> keys(const QList<StandingsRow>& rows)
{
    QList<qint64> out;
    for (const StandingsRow& row : rows)
        out.append(row.idtakmicara);
    return out;
}

QList<int> places(const QList<StandingsRow>& rows)
{
    QList<int> out;
    for (const StandingsRow& row : rows)
        out.append(row.place);
    return out;
}

QList<int> oneTo(qsizetype n)
{
    QList<int> out;
    for (int i = 1; i <= n; ++i)
        out.append(i);
    return out;
}

} // namespace

class TestStandings : public QObject {
    Q_OBJECT

private slots:
    void overallIsTimeOrderJoinedWithStartList()
    {
        const auto rows = standings::overallStandings(raceFinishList(), raceStartList(), kRaceDate);
        QCOMPARE(keys(rows), (QList<qint64>{1, 2, 3, 4, 5, 6, 7, 99, 9, 10}));
        QCOMPARE(places(rows), oneTo(10));

        const StandingsRow& first = rows.at(0);
        QCOMPARE(first.sbroj, QStringLiteral("101"));
        QCOMPARE(first.ime, QStringLiteral("Takmičar 1"));
        QCOMPARE(first.drzava, QStringLiteral("HRV"));
        QCOMPARE(first.klub, QStringLiteral("AK 1"));
        QCOMPARE(first.spol, kMale);
        QCOMPARE(first.kategorija, QStringLiteral("35-39"));
        QCOMPARE(first.godiste, QStringLiteral("1972"));
        QCOMPARE(first.vrijeme, QStringLiteral("00:30:00"));

        // Not on the start list: place, start number, time and key only.
        const StandingsRow& unknown = rows.at(7);
        QCOMPARE(unknown.sbroj, QStringLiteral("199"));
        QCOMPARE(unknown.vrijeme, QStringLiteral("00:37:00"));
        for (const QString& text : {unknown.ime, unknown.drzava, unknown.klub, unknown.spol, unknown.kategorija,
                                    unknown.godiste})
            QVERIFY(text.isEmpty());

        // Aged 18 on race day: youngest category.
        QCOMPARE(rows.at(8).kategorija, QStringLiteral("do 18"));
    }

    void equalTimesKeepListOrderWithConsecutivePlaces()
    {
        const QList<Competitor> start{competitor(1, "1", kMale, 1980), competitor(2, "2", kMale, 1980),
                                      competitor(3, "3", kMale, 1980)};
        const QList<FinishRecord> finishes{finish(1, 1, "00:41:10"), finish(2, 3, "00:39:05"),
                                           finish(3, 2, "00:39:05")};
        const auto rows = standings::overallStandings(finishes, start, kRaceDate);
        QCOMPARE(keys(rows), (QList<qint64>{3, 2, 1}));
        QCOMPARE(places(rows), (QList<int>{1, 2, 3}));
    }

    void manyEqualTimesKeepListOrder()
    {
        // Enough records for a sort to reorder equal times if it is not stable.
        const QStringList times{"00:50:00", "00:40:00", "00:45:00"};
        QList<Competitor> start;
        QList<FinishRecord> finishes;
        for (int i = 1; i <= 90; ++i) {
            start.append(competitor(i, QString::number(i), kMale, 1980));
            finishes.append(finish(i, i, times.at(i % 3)));
        }
        const auto rows = standings::overallStandings(finishes, start, kRaceDate);
        QCOMPARE(places(rows), oneTo(90));
        for (qsizetype i = 1; i < rows.size(); ++i) {
            const StandingsRow& before = rows.at(i - 1);
            const StandingsRow& after = rows.at(i);
            QVERIFY(before.vrijeme < after.vrijeme
                    || (before.vrijeme == after.vrijeme && before.idtakmicara < after.idtakmicara));
        }
    }

    void missingBirthDateLeavesCategoryEmpty()
    {
        const QList<Competitor> start{competitor(1, "1", kMale, QDate())};
        const auto rows = standings::overallStandings({finish(1, 1, "01:00:00")}, start, kRaceDate);
        QCOMPARE(rows.at(0).spol, kMale);
        QVERIFY(rows.at(0).kategorija.isEmpty());
        QVERIFY(rows.at(0).godiste.isEmpty());
        QCOMPARE(standings::starostizracun(start, kRaceDate, QStringLiteral("do 18"), Sex::All).registered, 0);
    }

    void selections_data()
    {
        QTest::addColumn<QString>("category");
        QTest::addColumn<Sex>("sex");
        QTest::addColumn<QList<qint64>>("listed");
        QTest::addColumn<int>("registered");
        QTest::addColumn<int>("started");
        QTest::addColumn<int>("finished");

        using L = QList<qint64>;
        QTest::newRow("all, both") << "Svi" << Sex::All << L{1, 2, 3, 4, 5, 6, 7, 99, 9, 10} << 11 << 9 << 10;
        QTest::newRow("all, women: 4th overall is first") << "Svi" << Sex::Women << L{4, 7, 10} << 4 << 3 << 3;
        QTest::newRow("all, men: top five kept") << "Svi" << Sex::Men << L{1, 2, 3, 5, 6, 9} << 7 << 6 << 6;
        QTest::newRow("35-39: 6th overall is first") << "35-39" << Sex::All << L{6, 7} << 5 << 4 << 4;
        QTest::newRow("35-39 men") << "35-39" << Sex::Men << L{6} << 4 << 3 << 3;
        QTest::newRow("35-39 women") << "35-39" << Sex::Women << L{7} << 1 << 1 << 1;
        QTest::newRow("19-24 women: 4th overall left out") << "19-24" << Sex::Women << L{10} << 2 << 2 << 2;
        QTest::newRow("19-24: 2nd and 4th overall left out") << "19-24" << Sex::All << L{10} << 3 << 3 << 3;
        QTest::newRow("45-49: only finisher in the top five") << "45-49" << Sex::All << L{} << 2 << 1 << 1;
        QTest::newRow("45-49 women: registered, none finished") << "45-49" << Sex::Women << L{} << 1 << 0 << 0;
        QTest::newRow("do 18 holds age 18") << "do 18" << Sex::Men << L{9} << 1 << 1 << 1;
        QTest::newRow("70 i više: nobody") << "70 i više" << Sex::All << L{} << 0 << 0 << 0;
        QTest::newRow("not a category label") << "abc" << Sex::All << L{} << 0 << 0 << 0;
    }

    void selections()
    {
        QFETCH(QString, category);
        QFETCH(Sex, sex);
        QFETCH(QList<qint64>, listed);
        QFETCH(int, registered);
        QFETCH(int, started);
        QFETCH(int, finished);

        const standings::Selection selection{category, sex};
        const auto result = standings::process(selection, raceFinishList(), raceStartList(), kRaceDate);
        QCOMPARE(keys(result.rows), listed);
        QCOMPARE(places(result.rows), oneTo(listed.size()));
        QCOMPARE(result.counts.registered, registered);
        QCOMPARE(result.counts.started, started);
        QCOMPARE(result.counts.finished, finished);
        QCOMPARE(result.caption, listed.isEmpty() ? tx::noStandingsRows() : standings::title(selection));
    }

    void noFinishRecords()
    {
        const auto result = standings::process({QStringLiteral("Svi"), Sex::All}, QList<FinishRecord>{}, raceStartList(), kRaceDate);
        QVERIFY(result.rows.isEmpty());
        QCOMPARE(result.caption, QStringLiteral("Nema takmičara po traženom upitu!"));
        QCOMPARE(result.counts.registered, 11);
        QCOMPARE(result.counts.started, 9);
        QCOMPARE(result.counts.finished, 0);
    }

    void sexLetters_data()
    {
        QTest::addColumn<QString>("spol");
        QTest::addColumn<bool>("man");
        QTest::addColumn<bool>("woman");
        QTest::newRow("M") << "M" << true << false;
        QTest::newRow("Ž") << "Ž" << false << true;
        QTest::newRow("lower-case m") << "m" << false << false;
        QTest::newRow("lower-case ž") << "ž" << false << false;
        QTest::newRow("Z without caron") << "Z" << false << false;
        QTest::newRow("blank around") << " Ž" << false << false;
        QTest::newRow("empty") << "" << false << false;
    }

    void sexLetters()
    {
        QFETCH(QString, spol);
        QFETCH(bool, man);
        QFETCH(bool, woman);
        QCOMPARE(standings::matchesSex(spol, Sex::Men), man);
        QCOMPARE(standings::matchesSex(spol, Sex::Women), woman);
        QVERIFY(standings::matchesSex(spol, Sex::All));

        // The same rule for the start-list counts and the standings.
        const QList<Competitor> start{competitor(1, "1", spol, 1980)};
        const auto rows = standings::overallStandings({finish(1, 1, "00:40:00")}, start, kRaceDate);
        QCOMPARE(standings::bySex(rows, Sex::Women).size(), woman ? 1 : 0);
        QCOMPARE(standings::starostizracun(start, kRaceDate, QStringLiteral("30-34"), Sex::Women).registered,
                 woman ? 1 : 0);
        QCOMPARE(standings::process({QStringLiteral("Svi"), Sex::Men}, QList<FinishRecord>{}, start, kRaceDate).counts.registered,
                 man ? 1 : 0);
    }

    void categoryCount_data()
    {
        QTest::addColumn<QList<Competitor>>("startList");
        QTest::addColumn<QString>("category");
        QTest::addColumn<Sex>("sex");
        QTest::addColumn<int>("registered");
        QTest::addColumn<int>("started");

        const QList<Competitor> three{competitor(1, "1", kFemale, 1980), competitor(2, "", kFemale, 1979),
                                      competitor(3, "3", kFemale, 1978), competitor(4, "4", kMale, 1980),
                                      competitor(5, "5", kFemale, 1990)};
        QTest::newRow("three, one without a number") << three << "30-34" << Sex::Women << 3 << 2;
        QTest::newRow("both sexes") << three << "30-34" << Sex::All << 4 << 3;
        QTest::newRow("Svi is no category") << three << "Svi" << Sex::All << 0 << 0;
        QTest::newRow("other text") << three << "30-3" << Sex::All << 0 << 0;
        QTest::newRow("empty start list") << QList<Competitor>{} << "30-34" << Sex::All << 0 << 0;

        // Only the years count: born 31.12.1992 is 18 on 01.06.2010, born
        // 01.01.1991 is 19.
        const QList<Competitor> youth{competitor(1, "1", kMale, QDate(1992, 12, 31)),
                                      competitor(2, "2", kMale, QDate(1991, 1, 1)),
                                      competitor(3, "3", kMale, QDate(2010, 1, 1)),
                                      competitor(4, "4", kMale, QDate(2012, 1, 1))};
        QTest::newRow("do 18: 18, 0 and negative ages") << youth << "do 18" << Sex::Men << 3 << 3;
        QTest::newRow("19-24: 19") << youth << "19-24" << Sex::Men << 1 << 1;
    }

    void categoryCount()
    {
        QFETCH(QList<Competitor>, startList);
        QFETCH(QString, category);
        QFETCH(Sex, sex);
        QFETCH(int, registered);
        QFETCH(int, started);
        const auto count = standings::starostizracun(startList, kRaceDate, category, sex);
        QCOMPARE(count.registered, registered);
        QCOMPARE(count.started, started);
    }

    void categoryChosen_data()
    {
        QTest::addColumn<QString>("category");
        QTest::addColumn<bool>("chosen");
        QTest::newRow("empty combo") << "" << false;
        QTest::newRow("two characters") << "Sv" << false;
        QTest::newRow("Svi") << "Svi" << true;
        QTest::newRow("label") << "do 18" << true;
    }

    void categoryChosen()
    {
        QFETCH(QString, category);
        QFETCH(bool, chosen);
        QCOMPARE(standings::isCategoryChosen(category), chosen);
    }

    void titles_data()
    {
        QTest::addColumn<QString>("category");
        QTest::addColumn<Sex>("sex");
        QTest::addColumn<QString>("title");
        QTest::newRow("all") << "Svi" << Sex::All << "Ukupni poredak";
        QTest::newRow("all women") << "Svi" << Sex::Women << "Ukupni poredak - žene";
        QTest::newRow("all men") << "Svi" << Sex::Men << "Ukupni poredak - muškarci";
        QTest::newRow("category") << "35-39" << Sex::All << "Ukupni poredak\r\nkategorija: 35-39 god.";
        QTest::newRow("category women") << "do 18" << Sex::Women << "Ukupni poredak žene\r\nkategorija: do 18 god.";
        QTest::newRow("category men") << "70 i više" << Sex::Men
                                      << "Ukupni poredak muškarci\r\nkategorija: 70 i više god.";
        QTest::newRow("a race's own label: no years") << "M40" << Sex::Men << "Ukupni poredak muškarci\r\nkategorija: M40";
    }

    void titles()
    {
        QFETCH(QString, category);
        QFETCH(Sex, sex);
        QFETCH(QString, title);
        QCOMPARE(standings::title({category, sex}), title);
    }

    // Through the window: a race, its start list and finish times in the
    // database, "Obrada" for several selections.
    void processingThroughTheWindow()
    {
        testutil::TempDb tmp;
        frmkelvora w(tmp.path());
        QVERIFY(w.databaseReady());
        testutil::makeCurrentRace(w, QStringLiteral("Polumaraton"), kRaceDate);

        auto* cbokateg = testutil::find<QComboBox>(&w, "cbokateg");
        auto* optsvi = testutil::find<QRadioButton>(&w, "optsvi");
        auto* optzene = testutil::find<QRadioButton>(&w, "optzene");
        auto* optmuski = testutil::find<QRadioButton>(&w, "optmuski");
        auto* cmdobrada = testutil::find<QPushButton>(&w, "cmdobrada");
        auto* lsv4 = testutil::find<QTreeView>(&w, "lsv4");
        auto* lblizvjestaj = testutil::find<QLabel>(&w, "lblizvjestaj");
        auto* lblbrojp = testutil::find<QLabel>(&w, "lblbrojp");
        auto* lblbrojs = testutil::find<QLabel>(&w, "lblbrojs");
        auto* lblbrojc = testutil::find<QLabel>(&w, "lblbrojc");
        QVERIFY(cbokateg && optsvi && optzene && optmuski && cmdobrada && lsv4 && lblizvjestaj);

        // Overall: Ana 39:05 (entered before Iva), Iva 39:05, then four men
        // aged 36 to 38, then Marko (35-39, 7th) and Petra (35-39, 8th).
        // Luka is registered without a start number, Mia (60-64) did not finish.
        struct Entry { const char* sbroj; const char* name; QString sex; int born; const char* time; };
        const Entry entries[] = {
            {"1", "Ana", kFemale, 1975, "00:39:05"},   {"2", "Marko", kMale, 1973, "00:44:00"},
            {"3", "Iva", kFemale, 1990, "00:39:05"},   {"4", "Ivo", kMale, 1974, "00:40:00"},
            {"5", "Pero", kMale, 1972, "00:41:00"},    {"6", "Josip", kMale, 1972, "00:42:00"},
            {"7", "Petra", kFemale, 1971, "00:45:00"}, {"8", "Ante", kMale, 1960, "00:43:00"},
            {"", "Luka", kMale, 1972, nullptr},        {"9", "Mia", kFemale, 1950, nullptr},
        };
        QHash<QString, qint64> ids;
        for (const Entry& e : entries) {
            const qint64 id = testutil::addCompetitor(w, QString::fromUtf8(e.sbroj), QString::fromUtf8(e.name),
                                                      e.sex, QDate(e.born, 5, 5));
            ids.insert(QString::fromUtf8(e.name), id);
        }
        for (const Entry& e : entries) {
            if (e.time)
                testutil::addFinish(w, ids.value(QString::fromUtf8(e.name)), QString::fromUtf8(e.sbroj),
                                    QString::fromLatin1(e.time));
        }
        // A finish record whose competitor is not on the start list (left by
        // an earlier version).
        testutil::withoutRunnerLinks(tmp.path());
        testutil::addFinish(w, 9999, QStringLiteral("77"), QStringLiteral("00:50:00"));

        // The combo is still empty: no category chosen, nothing else changes.
        QVERIFY(cbokateg->currentText().isEmpty());
        cmdobrada->click();
        QCOMPARE(lblizvjestaj->text(), QStringLiteral("Nije odabrana kategorija utrke!"));
        QCOMPARE(lsv4->model()->rowCount(), 0);
        QVERIFY(lblbrojc->text().isEmpty());

        w.selectPage(frmkelvora::PageReports);
        QCOMPARE(cbokateg->currentText(), QStringLiteral("Svi"));

        auto run = [&](const QString& category, QRadioButton* option) {
            cbokateg->setCurrentIndex(cbokateg->findText(category));
            QCOMPARE(cbokateg->currentText(), category);
            option->setChecked(true);
            cmdobrada->click();
        };
        auto counts = [&] { return QStringList{lblbrojp->text(), lblbrojs->text(), lblbrojc->text()}; };

        run(QStringLiteral("Svi"), optsvi);
        QCOMPARE(lblizvjestaj->text(), QStringLiteral("Ukupni poredak"));
        QCOMPARE(testutil::columnTexts(lsv4, 0), (QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9"}));
        QCOMPARE(testutil::columnTexts(lsv4, 2),
                 (QStringList{"Ana", "Iva", "Ivo", "Pero", "Josip", "Ante", "Marko", "Petra", ""}));
        QCOMPARE(counts(), (QStringList{"10", "9", "9"}));
        const QStringList firstRow{"1", "1", "Ana", "HRV", "AK Split", "Ž", "35-39", "1975", "00:39:05",
                                   QString::number(ids.value("Ana"))};
        for (int col = 0; col < firstRow.size(); ++col)
            QCOMPARE(testutil::cell(lsv4, 0, col), firstRow.at(col));
        QVERIFY(lsv4->isColumnHidden(9));
        QCOMPARE(testutil::cell(lsv4, 8, 1), QStringLiteral("77"));
        QVERIFY(testutil::cell(lsv4, 8, 5).isEmpty());
        QCOMPARE(testutil::cell(lsv4, 8, 8), QStringLiteral("00:50:00"));
        QCOMPARE(testutil::cell(lsv4, 8, 9), QStringLiteral("9999"));

        run(QStringLiteral("Svi"), optzene);
        QCOMPARE(lblizvjestaj->text(), QStringLiteral("Ukupni poredak - žene"));
        QCOMPARE(testutil::columnTexts(lsv4, 2), (QStringList{"Ana", "Iva", "Petra"}));
        QCOMPARE(testutil::columnTexts(lsv4, 0), (QStringList{"1", "2", "3"}));
        QCOMPARE(counts(), (QStringList{"4", "4", "3"}));

        run(QStringLiteral("Svi"), optmuski);
        QCOMPARE(lblizvjestaj->text(), QStringLiteral("Ukupni poredak - muškarci"));
        QCOMPARE(testutil::columnTexts(lsv4, 2), (QStringList{"Ivo", "Pero", "Josip", "Ante", "Marko"}));
        QCOMPARE(counts(), (QStringList{"6", "5", "5"}));

        // Ana, Ivo, Pero and Josip (35-39) are in the top five: Marko,
        // seventh overall, is first of the category.
        run(QStringLiteral("35-39"), optsvi);
        QCOMPARE(lblizvjestaj->text(), QStringLiteral("Ukupni poredak\r\nkategorija: 35-39 god."));
        QCOMPARE(testutil::columnTexts(lsv4, 2), (QStringList{"Marko", "Petra"}));
        QCOMPARE(testutil::columnTexts(lsv4, 0), (QStringList{"1", "2"}));
        QCOMPARE(testutil::columnTexts(lsv4, 8), (QStringList{"00:44:00", "00:45:00"}));
        QCOMPARE(counts(), (QStringList{"7", "6", "6"}));

        run(QStringLiteral("35-39"), optzene);
        QCOMPARE(lblizvjestaj->text(), QStringLiteral("Ukupni poredak žene\r\nkategorija: 35-39 god."));
        QCOMPARE(testutil::columnTexts(lsv4, 2), (QStringList{"Petra"}));
        QCOMPARE(counts(), (QStringList{"2", "2", "2"}));

        // Iva (19-24) finished second: listed nowhere in her category, but
        // counted; the registered counts come from the start list.
        run(QStringLiteral("19-24"), optzene);
        QCOMPARE(lblizvjestaj->text(), QStringLiteral("Nema takmičara po traženom upitu!"));
        QCOMPARE(lsv4->model()->rowCount(), 0);
        QCOMPARE(counts(), (QStringList{"1", "1", "1"}));

        run(QStringLiteral("19-24"), optmuski);
        QCOMPARE(lblizvjestaj->text(), QStringLiteral("Nema takmičara po traženom upitu!"));
        QCOMPARE(counts(), (QStringList{"0", "0", "0"}));

        // Sixth overall: first of his category.
        run(QStringLiteral("50-54"), optmuski);
        QCOMPARE(lblizvjestaj->text(), QStringLiteral("Ukupni poredak muškarci\r\nkategorija: 50-54 god."));
        QCOMPARE(testutil::columnTexts(lsv4, 2), (QStringList{"Ante"}));
        QCOMPARE(counts(), (QStringList{"1", "1", "1"}));

        // A category without a finisher still shows its registered entries.
        run(QStringLiteral("60-64"), optsvi);
        QCOMPARE(lblizvjestaj->text(), QStringLiteral("Nema takmičara po traženom upitu!"));
        QCOMPARE(counts(), (QStringList{"1", "1", "0"}));
    }
};

KVR_TEST_MAIN(TestStandings)
#include "test_standings.moc"
