#include "testutil.h"

#include "core/age.h"

class TestAge : public QObject {
    Q_OBJECT

private slots:
    void bands_data()
    {
        QTest::addColumn<int>("age");
        QTest::addColumn<QString>("label");
        QTest::newRow("negative") << -3 << "do 18";
        QTest::newRow("0") << 0 << "do 18";
        QTest::newRow("17") << 17 << "do 18";
        QTest::newRow("18 is up to 18") << 18 << "do 18";
        QTest::newRow("19") << 19 << "19-24";
        QTest::newRow("24") << 24 << "19-24";
        QTest::newRow("25") << 25 << "25-29";
        QTest::newRow("29") << 29 << "25-29";
        QTest::newRow("30") << 30 << "30-34";
        QTest::newRow("34") << 34 << "30-34";
        QTest::newRow("35") << 35 << "35-39";
        QTest::newRow("39") << 39 << "35-39";
        QTest::newRow("40") << 40 << "40-44";
        QTest::newRow("44") << 44 << "40-44";
        QTest::newRow("45") << 45 << "45-49";
        QTest::newRow("49") << 49 << "45-49";
        QTest::newRow("50") << 50 << "50-54";
        QTest::newRow("54") << 54 << "50-54";
        QTest::newRow("55") << 55 << "55-59";
        QTest::newRow("59") << 59 << "55-59";
        QTest::newRow("60") << 60 << "60-64";
        QTest::newRow("64") << 64 << "60-64";
        QTest::newRow("65") << 65 << "65-69";
        QTest::newRow("69") << 69 << "65-69";
        QTest::newRow("70") << 70 << "70 i više";
        QTest::newRow("104") << 104 << "70 i više";
    }

    void bands()
    {
        QFETCH(int, age);
        QFETCH(QString, label);
        QCOMPARE(standings::starosnagrupa(age), label);
    }

    void ageIgnoresDayAndMonth_data()
    {
        QTest::addColumn<QDate>("birth");
        QTest::addColumn<QDate>("race");
        QTest::addColumn<int>("age");
        QTest::newRow("born late in the year") << QDate(1990, 12, 31) << QDate(2010, 1, 1) << 20;
        QTest::newRow("born early in the year") << QDate(1990, 1, 1) << QDate(2010, 12, 31) << 20;
        QTest::newRow("born in the race year") << QDate(2010, 3, 1) << QDate(2010, 6, 15) << 0;
        QTest::newRow("born after the race year") << QDate(2012, 3, 1) << QDate(2010, 6, 15) << -2;
    }

    void ageIgnoresDayAndMonth()
    {
        QFETCH(QDate, birth);
        QFETCH(QDate, race);
        QFETCH(int, age);
        QCOMPARE(standings::ageFor(birth, race), std::optional<int>(age));
    }

    void missingDateGivesNoAgeAndNoCategory()
    {
        QVERIFY(!standings::ageFor(QDate(), QDate(2010, 6, 15)));
        QVERIFY(!standings::ageFor(QDate(1980, 1, 1), QDate()));
        QVERIFY(standings::categoryFor(QDate(), QDate(2010, 6, 15)).isEmpty());
    }
};

KVR_TEST_MAIN(TestAge)
#include "test_age.moc"
