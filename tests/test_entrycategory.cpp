// A category label instead of a birth date: matching an entry file's labels
// against the race's categories, storing the runner without a birth date on
// SQLite and PostgreSQL alike, and the standings and edits that follow.

#include "app/editlog.h"
#include "app/imports.h"
#include "app/racerules.h"
#include "app/racesession.h"
#include "core/checks.h"
#include "core/competitorrules.h"
#include "core/standings.h"
#include "core/texts.h"
#include "core/texts_entrycolumns.h"
#include "data/database.h"
#include "pgserver.h"
#include "testutil.h"

#include <QtTest>

using testutil::PgServer;
using testutil::TempDb;

namespace {

// Juniors and seniors apart by sex, veterans together.
const QByteArray kCategories = "oznaka,spol,od,do\nMU20,M,13,19\nFU20,Ž,13,19\nMS|MSen,M,20,39\nFS|FSen,Ž,20,39\n"
                               "Vet,,40,150\n";

std::optional<DbLocation> newDatabase(bool postgres, const TempDb& tmp)
{
    if (!postgres)
        return DbLocation::sqliteFile(tmp.path());
    PgServer* server = PgServer::instance();
    return server ? std::optional(server->newDatabase()) : std::nullopt;
}

std::unique_ptr<RaceSession> raceWithCategories(const DbLocation& where)
{
    auto s = std::make_unique<RaceSession>(where);
    if (!s->database().open() || !s->createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2025"))
        || !racerules::setFromFiles(*s, kCategories, std::nullopt))
        return nullptr;
    return s;
}

imports::EntryPreview preview(RaceSession& s, const QString& columns, const QByteArray& file)
{
    imports::EntryImportOptions options;
    options.layout = io::EntryLayout{io::parseColumnList(columns).columns, false};
    io::addDefault(QStringLiteral("drzava=GBR"), options.defaults);
    io::addDefault(QStringLiteral("klub=AK"), options.defaults);
    return imports::previewEntries(s, io::readCsv(file), options);
}

} // namespace

class TestEntryCategory : public QObject {
    Q_OBJECT

private slots:
    // One row of a file: its refusal, or the sex, birth date and category stored.
    void matching_data()
    {
        QTest::addColumn<QString>("columns");
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<QString>("expected");
        const QString nk = QStringLiteral("ime_i_prezime,kategorija");
        const QString nsk = QStringLiteral("ime_i_prezime,spol,kategorija");
        QTest::newRow("letter case ignored") << nk << QByteArray("Ana;fs") << "Ž//fs";
        QTest::newRow("synonym") << nk << QByteArray("Ana;FSen") << "Ž//FSen";
        QTest::newRow("sex from category") << nk << QByteArray("Ivo;MU20") << "M//MU20";
        QTest::newRow("unknown refused") << nk << QByteArray("Ana;F45") << tx::ecCategoryNotOfRace("F45");
        QTest::newRow("both sexes, no sex column") << nk << QByteArray("Ivo;vet") << tx::ecCategoryBothSexes("vet");
        QTest::newRow("both sexes, sex given") << nsk << QByteArray("Ivo;m;Vet") << "M//Vet";
        QTest::newRow("sex against category") << nsk << QByteArray("Ivo;M;FS") << tx::ecCategorySexConflict("FS", "Ž", "M");
        QTest::newRow("empty sex cell takes the category's") << nsk << QByteArray("Ana;;FS") << "Ž//FS";
        QTest::newRow("date and category both kept") << "ime_i_prezime,datum_rodjenja,kategorija"
                                                     << QByteArray("Ana;2.3.1990;FS") << "Ž/1990-03-02/FS";
        QTest::newRow("no category: a birth date is required") << nsk << QByteArray("Ivo;M;")
                                                               << tx::ecMissing(tx::ecBirthDate());
    }
    void matching()
    {
        QFETCH(QString, columns);
        QFETCH(QByteArray, row);
        QFETCH(QString, expected);
        TempDb tmp;
        auto s = raceWithCategories(DbLocation::sqliteFile(tmp.path()));
        QVERIFY(s);
        const auto p = preview(*s, columns, row);
        QVERIFY2(!p.fileRefused(), qPrintable(p.fileRefusal));
        const auto& r = p.rows.front();
        const QString got = r.accepted() ? QStringList{r.competitor.spol, r.competitor.datum.toString(Qt::ISODate),
                                                       r.competitor.kategorija}
                                               .join(QLatin1Char('/'))
                                         : r.refusal;
        QCOMPARE(got, expected);
    }

    // A file without a header: a column of the race's labels, or of codes of
    // the usual forms, is recognised.
    void recognisedColumn()
    {
        const CategoryScheme scheme = schemes::readCategories(kCategories).value();
        const auto layout = io::recogniseLayout(io::readCsv("1;Ana;FSen\n2;Ivo;ms\n"), &scheme);
        QCOMPARE(layout.columns, (QList<io::EntryColumn>{io::EntryColumn::StartNumber, io::EntryColumn::Skip,
                                                         io::EntryColumn::Category}));
        QCOMPARE(io::recogniseLayout(io::readCsv("1;Ana;FSen\n2;Ivo;ms\n")).columns.last(), io::EntryColumn::Category);
        QCOMPARE(io::recogniseLayout(io::readCsv("1;Ana Kos;Vet\n2;Ivo Ban;Vet\n")).columns.last(), io::EntryColumn::Club);
        QCOMPARE(io::recogniseLayout(io::readCsv("1;Ana Kos;Vet\n2;Ivo Ban;Vet\n"), &scheme).columns.last(),
                 io::EntryColumn::Category);
    }

    void engines_data()
    {
        QTest::addColumn<bool>("postgres");
        QTest::newRow("sqlite") << false;
        QTest::newRow("postgresql") << true;
    }

    // Stored with an empty birth date, read by another session; standings
    // place the runner by the category; an edit keeps both unless a date is
    // typed; undo and redo of the import bring the category back.
    void storedAndKept_data() { engines_data(); }
    void storedAndKept()
    {
        QFETCH(bool, postgres);
        TempDb tmp;
        const auto where = newDatabase(postgres, tmp);
        if (!where)
            QSKIP(qPrintable(PgServer::unavailableReason()));
        auto s = raceWithCategories(*where);
        QVERIFY(s);
        EditLog log(*s);
        const auto p = preview(*s, QStringLiteral("startni_broj,ime_i_prezime,kategorija"), "7;Ana Kos;FSen\n8;Ivo Ban;MS\n");
        QCOMPARE(p.acceptedCount, 2);
        QVERIFY(imports::importEntries(*s, p).ok());
        QVERIFY(s->enterFinish(QStringLiteral("8"), QStringLiteral("00:40:00")));
        QVERIFY(s->enterFinish(QStringLiteral("7"), QStringLiteral("00:41:00")));

        RaceSession other(*where);
        QVERIFY(other.database().open() && other.openRace(s->race().id));
        const Competitor ana = other.startList().front();
        QVERIFY(!ana.datum.isValid());
        QCOMPARE(ana.kategorija, QStringLiteral("FSen"));
        const auto overall = other.standings({QStringLiteral("Svi"), standings::Sex::All});
        QVERIFY(overall.ok());
        QCOMPARE(overall.value().rows.size(), 2);
        QCOMPARE(overall.value().rows.at(1).sbroj, QStringLiteral("7"));
        QCOMPARE(overall.value().rows.at(1).kategorija, QStringLiteral("FS"));
        QVERIFY(!overall.value().rows.at(1).age);
        QCOMPARE(standings::starostizracun(other.startList(), other.raceDate(), QStringLiteral("FS"), standings::Sex::All,
                                           other.rules().categories)
                     .registered,
                 1);

        // The form's rules hold for the date typed; an empty one is kept.
        const rules::CompetitorEntry same{ana.ime, ana.sbroj, ana.drzava, QStringLiteral("AK Novi"), ana.spol, QString()};
        QVERIFY(other.editCompetitor(ana.id, same).ok());
        QCOMPARE(other.editCompetitor(ana.id, {ana.ime, ana.sbroj, ana.drzava, ana.klub, ana.spol, "1.13.1990"})
                     .refusal()
                     .field,
                 Field::BirthDate);
        QVERIFY(s->refresh());
        QCOMPARE(s->startList().front().klub, QStringLiteral("AK Novi"));
        QVERIFY(!s->startList().front().datum.isValid());
        QCOMPARE(s->startList().front().kategorija, QStringLiteral("FSen"));

        // Undone and redone, the import's rows come back with their category.
        QVERIFY(log.sync());
        QVERIFY(s->deleteCompetitor(s->startList().at(1).id, true));
        QVERIFY(log.undo().ok());
        QCOMPARE(s->startList().at(1).kategorija, QStringLiteral("MS"));

        // A date typed decides; the results check notes the imported category.
        QVERIFY(s->editCompetitor(ana.id, {ana.ime, ana.sbroj, ana.drzava, ana.klub, ana.spol, "1.1.1980"}).ok());
        const auto found = checks::findProblems(s->finishList(), s->startList(), s->raceDate(), {}, std::nullopt,
                                                s->rules().categories);
        QVERIFY(std::any_of(found.cbegin(), found.cend(),
                            [](const checks::Finding& f) { return f.kind == checks::Kind::CategoryMismatch; }));
    }
};

KVR_TEST_MAIN(TestEntryCategory)
#include "test_entrycategory.moc"
