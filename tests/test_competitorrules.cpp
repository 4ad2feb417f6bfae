#include "testutil.h"
#include "core/competitorrules.h"

using rules::BirthYearResult;

Q_DECLARE_METATYPE(BirthYearResult)

class TestCompetitorRules : public QObject {
    Q_OBJECT

private slots:
    void birthYear_data()
    {
        QTest::addColumn<QString>("birth");
        QTest::addColumn<QDate>("race");
        QTest::addColumn<BirthYearResult>("expected");
        const QDate race(2010, 6, 15);
        QTest::newRow("year before the race") << "01.01.2009" << race << BirthYearResult::Ok;
        QTest::newRow("last day of the year before") << "31.12.2009" << race << BirthYearResult::Ok;
        QTest::newRow("race year, after the race") << "31.12.2010" << race << BirthYearResult::TooYoung;
        QTest::newRow("race year, before the race") << "01.01.2010" << race << BirthYearResult::TooYoung;
        QTest::newRow("after the race year") << "01.01.2011" << race << BirthYearResult::TooYoung;
        QTest::newRow("1800 is the earliest") << "01.01.1800" << race << BirthYearResult::Ok;
        QTest::newRow("1799") << "31.12.1799" << race << BirthYearResult::TooOld;
        QTest::newRow("three-digit year") << "1.1.999" << race << BirthYearResult::TooOld;
        QTest::newRow("two digits 09 -> 2009") << "1.1.09" << race << BirthYearResult::Ok;
        QTest::newRow("two digits 10 -> 2010") << "1.1.10" << race << BirthYearResult::TooYoung;
        QTest::newRow("two digits 29 -> 2029") << "1.1.29" << race << BirthYearResult::TooYoung;
        QTest::newRow("two digits 30 -> 1930") << "1.1.30" << race << BirthYearResult::Ok;
        QTest::newRow("one digit 5 -> 2005") << "1.1.5" << race << BirthYearResult::Ok;
        QTest::newRow("no calendar date") << "45.45.1990" << race << BirthYearResult::TooYoung;
        QTest::newRow("29 February of a common year") << "29.02.1990" << race << BirthYearResult::TooYoung;
        QTest::newRow("empty middle part") << "1..1990" << race << BirthYearResult::TooYoung;
        QTest::newRow("no race date") << "01.01.1990" << QDate() << BirthYearResult::TooYoung;
    }

    void birthYear()
    {
        QFETCH(QString, birth);
        QFETCH(QDate, race);
        QFETCH(BirthYearResult, expected);
        QCOMPARE(rules::checkBirthYear(birth, race), expected);
    }

    void startNumber_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<qint64>("ownId");
        QTest::addColumn<bool>("taken");
        QTest::newRow("same text") << "5" << qint64(0) << true;
        QTest::newRow("stored with blanks") << "7" << qint64(0) << true;
        QTest::newRow("typed with blanks") << " 5 " << qint64(0) << true;
        QTest::newRow("leading zero differs") << "07" << qint64(0) << false;
        QTest::newRow("12 is not 012") << "12" << qint64(0) << false;
        QTest::newRow("012 itself") << "012" << qint64(0) << true;
        QTest::newRow("case matters") << "a1" << qint64(0) << false;
        QTest::newRow("empty never collides") << "" << qint64(0) << false;
        QTest::newRow("blanks only never collide") << "   " << qint64(0) << false;
        QTest::newRow("own number") << "5" << qint64(1) << false;
        QTest::newRow("own number with blanks") << "7 " << qint64(2) << false;
        QTest::newRow("another's number while editing") << "012" << qint64(1) << true;
    }

    void startNumber()
    {
        QFETCH(QString, number);
        QFETCH(qint64, ownId);
        QFETCH(bool, taken);
        QList<Competitor> list;
        for (const auto& [id, sbroj] : {std::pair{1, "5"}, {2, " 7 "}, {3, "012"}, {4, ""}, {5, ""}, {6, "A1"}}) {
            Competitor c;
            c.id = id;
            c.sbroj = QString::fromLatin1(sbroj);
            list.append(c);
        }
        QCOMPARE(rules::StartNumberIndex(list).takenByOther(number, ownId), taken);
    }
};

KVR_TEST_MAIN(TestCompetitorRules)
#include "test_competitorrules.moc"
