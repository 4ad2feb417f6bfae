// The results check: one row per kind of finding over a small race, and
// "Zanemari" holding until the finding's data change.

#include "app/racesession.h"
#include "app/resultscheck.h"
#include "core/checks.h"
#include "core/dates.h"
#include "core/texts.h"
#include "testutil.h"

using checks::Kind;
using checks::Severity;

Q_DECLARE_METATYPE(checks::Kind)
Q_DECLARE_METATYPE(checks::Severity)

namespace {

const QDate kRaceDate(2010, 6, 1);

Competitor entry(qint64 id, const QString& sbroj, const QString& ime, const QString& spol = QStringLiteral("M"),
                 const QDate& born = QDate(1980, 1, 1))
{
    return {id, sbroj, 1, ime, QStringLiteral("HRV"), QStringLiteral("AK"), spol, born};
}

FinishRecord finish(qint64 id, qint64 competitor, const QString& sbroj, const QString& time)
{
    return {id, competitor, 1, sbroj, time};
}

// What one row adds to a clean race of two finishers (1 and 2, 10 km).
struct Slip {
    QList<Competitor> entries;
    QList<FinishRecord> finishes;
    RunStates states;
};

} // namespace

Q_DECLARE_METATYPE(Slip)

class TestChecks : public QObject {
    Q_OBJECT

private slots:
    void findings_data()
    {
        QTest::addColumn<Slip>("slip");
        QTest::addColumn<Severity>("severity");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("clean race: nothing") << Slip{} << Severity::Warning << Kind::NoFinish << QString();
        QTest::newRow("finish of a competitor gone")
            << Slip{{}, {finish(9, 99, "77", "00:45:00")}, {}} << Severity::Error << Kind::LostCompetitor
            << tx::checkLostCompetitor("77", "00:45:00");
        QTest::newRow("finish of a DNS") << Slip{{entry(3, "3", "Treći")}, {finish(9, 3, "3", "00:45:00")},
                                                 {{3, {RunState::Dns, {}}}}}
                                         << Severity::Error << Kind::FinishOfNonStarter
                                         << tx::checkFinishOfNonStarter("3", "Treći", tx::runStateDns(), "00:45:00");
        QTest::newRow("finish of a DNF") << Slip{{entry(3, "3", "Treći")}, {finish(9, 3, "3", "00:45:00")},
                                                 {{3, {RunState::Dnf, {}}}}}
                                         << Severity::Error << Kind::FinishOfNonStarter
                                         << tx::checkFinishOfNonStarter("3", "Treći", tx::runStateDnf(), "00:45:00");
        QTest::newRow("finish of a DSQ is no error")
            << Slip{{entry(3, "3", "Treći")}, {finish(9, 3, "3", "00:45:00")}, {{3, {RunState::Dsq, "x"}}}}
            << Severity::Warning << Kind::NoFinish << QString();
        QTest::newRow("number twice") << Slip{{entry(3, " 1", "Drugi Prvi")}, {}, {{3, {RunState::Dns, {}}}}}
                                      << Severity::Error << Kind::NumberTwice
                                      << tx::checkNumberTwice("1", "Prvi", "Drugi Prvi");
        QTest::newRow("time 00:00:00") << Slip{{entry(3, "3", "Treći")}, {finish(9, 3, "3", "00:00:00")}, {}}
                                       << Severity::Error << Kind::ZeroTime << tx::checkZeroTime("3", "Treći");
        QTest::newRow("number without finish or status")
            << Slip{{entry(3, "3", "Treći")}, {}, {}} << Severity::Warning << Kind::NoFinish
            << tx::checkNoFinish("3", "Treći");
        QTest::newRow("equal times") << Slip{{entry(3, "3", "Treći")}, {finish(9, 3, "3", "00:40:00")}, {}}
                                     << Severity::Warning << Kind::EqualTimes
                                     << tx::checkEqualTimes("3", "Treći", "00:40:00", "2");
        QTest::newRow("sex neither M nor Ž") << Slip{{entry(3, "", "Treći", "X")}, {}, {}} << Severity::Warning
                                             << Kind::OddSex << tx::checkSex("", "Treći", "X");
        QTest::newRow("age 4") << Slip{{entry(3, "", "Treći", "M", QDate(2006, 12, 31))}, {}, {}} << Severity::Warning
                               << Kind::OddAge << tx::checkAge("", "Treći", 4);
        QTest::newRow("age 96") << Slip{{entry(3, "", "Treći", "M", QDate(1914, 1, 1))}, {}, {}}
                                << Severity::Warning << Kind::OddAge << tx::checkAge("", "Treći", 96);
        QTest::newRow("same name, case and marks aside")
            << Slip{{entry(3, "", "DRUGI  DJURĐIĆ")}, {}, {}} << Severity::Warning << Kind::DoubleEntry
            << tx::checkDoubleEntry("", "DRUGI  DJURĐIĆ", kvr::formatDate(QDate(1980, 1, 1)), "2");
        QTest::newRow("faster than 2:30 min/km") << Slip{{entry(3, "3", "Treći")}, {finish(9, 3, "3", "00:24:59")}, {}}
                                                 << Severity::Warning << Kind::PaceFast
                                                 << tx::checkPaceFast("3", "Treći", "00:24:59", "2:29");
        QTest::newRow("slower than 20:00 min/km") << Slip{{entry(3, "3", "Treći")}, {finish(9, 3, "3", "03:20:06")}, {}}
                                                  << Severity::Warning << Kind::PaceSlow
                                                  << tx::checkPaceSlow("3", "Treći", "03:20:06", "20:01");
    }

    void findings()
    {
        QFETCH(Slip, slip);
        QFETCH(Severity, severity);
        QFETCH(Kind, kind);
        QFETCH(QString, message);
        // Two finishers, 10 km at a sound pace; "Drugi Djurdjic" for the double entry.
        QList<Competitor> entries{entry(1, "1", "Prvi"), entry(2, "2", "drugi djurđić")};
        QList<FinishRecord> finishes{finish(1, 1, "1", "00:35:00"), finish(2, 2, "2", "00:40:00")};
        entries += slip.entries;
        finishes += slip.finishes;
        const auto found = checks::findProblems(finishes, entries, kRaceDate, slip.states, 10.0);
        if (message.isEmpty()) {
            QVERIFY2(found.isEmpty(), qPrintable(found.value(0).message));
            return;
        }
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().severity, severity);
        QCOMPARE(found.first().kind, kind);
        QCOMPARE(found.first().message, message);
        QVERIFY(found.first().competitorId != 0 || found.first().finishId != 0);
    }

    void courseLength_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<double>("km");
        QTest::newRow("empty: none") << "  " << true << 0.0;
        QTest::newRow("decimal comma") << "21,0975" << true << 21.0975;
        QTest::newRow("zero") << "0" << false << 0.0;
        QTest::newRow("text") << "deset" << false << 0.0;
        QTest::newRow("over 1000") << "1000,5" << false << 0.0;
    }

    void courseLength()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QFETCH(double, km);
        const auto parsed = checks::parseCourseKm(text);
        QCOMPARE(parsed.ok(), accepted);
        QCOMPARE(parsed.value().value_or(0.0), km);
    }

    // Hidden for good, until the values it names change; a CLI and window
    // road both go through resultscheck::findings.
    void ignoredUntilItsDataChange()
    {
        testutil::TempDb tmp;
        RaceSession s(tmp.path());
        QVERIFY(s.database().open().ok());
        QVERIFY(s.createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2010")).ok());
        const qint64 id = s.addCompetitor({"Prvi", "1", "HRV", "AK", "M", "1.1.1980"}).value().id;
        QVERIFY(s.enterFinish(QStringLiteral("1"), QStringLiteral("00:00:00")).ok());
        auto found = resultscheck::findings(s).value();
        QCOMPARE(found.size(), 1);
        QVERIFY(resultscheck::anyError(found));
        QVERIFY(resultscheck::ignore(s, found.first()).ok());
        QVERIFY(resultscheck::findings(s).value().isEmpty());
        QVERIFY(s.editCompetitor(id, {"Prvi Drugi", "1", "HRV", "AK", "M", "1.1.1980"}).ok());
        found = resultscheck::findings(s).value();
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().message, tx::checkZeroTime("1", "Prvi Drugi"));
    }
};

KVR_TEST_MAIN(TestChecks)
#include "test_checks.moc"
