#include "testutil.h"
#include "core/listsort.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>

using listsort::Kind;

class TestListSort : public QObject {
    Q_OBJECT

private slots:
    void pairs_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("expected");
        const int number = int(Kind::Number), natural = int(Kind::Natural), date = int(Kind::Date),
                  text = int(Kind::Text);

        QTest::newRow("number: 2 before 10") << number << "2" << "10" << -1;
        QTest::newRow("number: 12 after 9") << number << "12" << "9" << 1;
        QTest::newRow("number: equal") << number << "5" << "5" << 0;
        QTest::newRow("number: empty first") << number << "" << "1" << -1;

        QTest::newRow("natural: 2 before 10") << natural << "2" << "10" << -1;
        QTest::newRow("natural: 99 before 100") << natural << "99" << "100" << -1;
        QTest::newRow("natural: 7 before 07, not equal") << natural << "7" << "07" << -1;
        QTest::newRow("natural: 07 before 8") << natural << "07" << "8" << -1;
        QTest::newRow("natural: 010 after 9") << natural << "010" << "9" << 1;
        QTest::newRow("natural: 07 before 007") << natural << "07" << "007" << -1;
        QTest::newRow("natural: 0 before 00") << natural << "0" << "00" << -1;
        QTest::newRow("natural: runs after a dot") << natural << "12.5" << "12.10" << -1;
        QTest::newRow("natural: prefix first") << natural << "12" << "12.1" << -1;
        QTest::newRow("natural: empty first") << natural << "" << "1" << -1;
        QTest::newRow("natural: letters by code") << natural << "1a" << "1b" << -1;
        QTest::newRow("natural: equal") << natural << "105" << "105" << 0;
        QTest::newRow("natural: long runs") << natural << "123456" << "99999" << 1;

        QTest::newRow("date: month before day") << date << "01.02.1990" << "31.01.1990" << 1;
        QTest::newRow("date: year before month") << date << "31.12.1989" << "02.01.1990" << -1;
        QTest::newRow("date: short form") << date << "1.2.1990" << "01.02.1990" << 0;
        QTest::newRow("date: empty first") << date << "" << "01.01.1900" << -1;

        QTest::newRow("text: c before č") << text << "Cvitan" << "Čop" << -1;
        QTest::newRow("text: č before ć") << text << "Čop" << "Ćorić" << -1;
        QTest::newRow("text: ć before d") << text << "Ćorić" << "Dujam" << -1;
        QTest::newRow("text: d before đ") << text << "Dujam" << "Đurić" << -1;
        QTest::newRow("text: đ before e") << text << "Đurić" << "Ema" << -1;
        QTest::newRow("text: š before t") << text << "Šimić" << "Tomić" << -1;
        QTest::newRow("text: s before š") << text << "Szabo" << "Šimić" << -1;
        QTest::newRow("text: ž after z") << text << "Žagar" << "Zvonko" << 1;
        QTest::newRow("text: ignores case first") << text << "ana" << "Boris" << -1;
        QTest::newRow("text: equal") << text << "AK Split" << "AK Split" << 0;
    }

    // Both the plain comparison and the prepared keys give the expected
    // order, and swapping the texts reverses it.
    void pairs()
    {
        QFETCH(int, kind);
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, expected);
        const Kind k = Kind(kind);
        QCOMPARE(listsort::compare(k, a, b), expected);
        QCOMPARE(listsort::compare(k, b, a), -expected);
        QCOMPARE(listsort::SortKey(k, a).compare(listsort::SortKey(k, b)), expected);
        QCOMPARE(listsort::SortKey(k, b).compare(listsort::SortKey(k, a)), -expected);
    }

    // Qt's collator for Croatian is the oracle: the texts of each row, every
    // pair of them, compare alike by it, by compareText and by prepared keys.
    void agreesWithQtsCollator_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("digraphs") << QStringList{"Ljubić", "Lukić", "Lozo", "Njegoš", "Novak", "Džaja", "Dukić", "Dž"};
        QTest::newRow("case last") << QStringList{"ana", "Ana", "ANA", "anA", "Ana ", "ana b"};
        QTest::newRow("composed and decomposed")
            << QStringList{"Čop", QStringLiteral("C\u030Cop"), "Cop", "Ćop", "Čopa", QStringLiteral("H\u1EC7"),
                           QStringLiteral("He\u0302\u0323"), QStringLiteral("He\u0323\u0302"), "He"};
        QTest::newRow("spaces and punctuation")
            << QStringList{"Ana Marija", "Ana-Marija", "AnaMarija", "Ana, Marija", "Ana  M"};
        QTest::newRow("digits by code") << QStringList{"Tim 10", "Tim 9", "Tim 09", "10. AK", "9. AK"};
        QTest::newRow("long, one head") << QStringList{"Kovačević Ana", "Kovačević Ane", "Kovačevića", "Kovačević",
                                                        "Kovačevi", "Kovačev", "KOVAČEVIĆ ANA"};
        QTest::newRow("other scripts") << QStringList{"Đorđe", "Ђорђе", "Ωμέγα", "東京", "Zoë", "Zoe", ""};
    }

    void agreesWithQtsCollator()
    {
        QFETCH(QStringList, texts);
        const QCollator qt(QLocale(QLocale::Croatian, QLocale::Croatia));
        const auto sign = [](int v) { return (v > 0) - (v < 0); };
        for (const QString& a : texts) {
            for (const QString& b : texts) {
                const int expected = sign(qt.compare(a, b));
                const QByteArray pair = (a + QStringLiteral(" / ") + b).toUtf8();
                QVERIFY2(listsort::compareText(a, b) == expected, pair.constData());
                QVERIFY2(listsort::SortKey(Kind::Text, a).compare(listsort::SortKey(Kind::Text, b)) == expected,
                         pair.constData());
            }
        }
    }

    void croatianAlphabet()
    {
        const QStringList expected{"abc", "Bor", "Cvitan", "Čop", "Ćorić", "Dujam", "Džaja", "Đurić", "Ema",
                                   "Sanja", "Šimić", "Tomić", "Zec", "Žagar"};
        QStringList shuffled = expected;
        std::reverse(shuffled.begin(), shuffled.end());
        std::swap(shuffled[2], shuffled[9]);
        std::stable_sort(shuffled.begin(), shuffled.end(),
                         [](const QString& x, const QString& y) { return listsort::compareText(x, y) < 0; });
        QCOMPARE(shuffled, expected);
    }
};

KVR_TEST_MAIN(TestListSort)
#include "test_listsort.moc"
