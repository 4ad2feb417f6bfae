// Entry files by a column map: how a file's columns are recognised, the
// command line's column lists and defaults, the rows that defaults fill and
// long values cut, a header file and the same file named by --columns read
// alike, the window's choices, and the real races imported as published.

#include "app/entrylayouts.h"
#include "app/imports.h"
#include "app/racerules.h"
#include "app/racesession.h"
#include "core/categorycodes.h"
#include "core/competitorrules.h"
#include "core/entryfile.h"
#include "core/clitexts.h"
#include "core/texts.h"
#include "core/texts_entrycolumns.h"
#include "testutil.h"
#include "ui/entrycolumnspanel.h"
#include "ui/filechooser.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QTreeView>

using namespace testutil;
using io::EntryColumn;

namespace {

// A layout written as command-line names, "h:" before it for a header.
QString written(const io::EntryLayout& layout)
{
    QStringList names;
    for (const EntryColumn c : layout.columns)
        names.append(io::entryColumnKey(c));
    return (layout.header ? QStringLiteral("h:") : QString()) + names.join(QLatin1Char(','));
}

io::EntryLayout layoutOf(const QString& text)
{
    const bool header = text.startsWith(QStringLiteral("h:"));
    return {io::parseColumnList(header ? text.mid(2) : text).columns, header};
}

struct RaceFixture {
    TempDb db;
    RaceSession session{db.path()};
    RaceFixture()
    {
        if (!session.database().open() || !session.createRace(QStringLiteral("Utrka"), QStringLiteral("AK"),
                                                              QStringLiteral("15.6.2025")))
            qFatal("no race");
    }
};

// A row's outcome as one text: its state, then the values to be stored.
QString outcome(const imports::EntryPreviewRow& r)
{
    return (r.accepted() ? QStringLiteral("novi") : r.refusal) + QStringLiteral(" | ")
        + QStringList{r.competitor.sbroj, r.competitor.ime, r.competitor.drzava, r.competitor.klub, r.competitor.spol,
                      r.competitor.datum.toString(QStringLiteral("d.M.yyyy")), r.category}
              .join(QLatin1Char('/'));
}

QString realRacesDir()
{
    for (QDir dir(QStringLiteral(KVR_SOURCE_DIR));;) {
        if (QFileInfo(dir.filePath(QStringLiteral("../shared/data/real-races"))).isDir())
            return QDir::cleanPath(dir.filePath(QStringLiteral("../shared/data/real-races")));
        if (!dir.cdUp())
            return {};
    }
}

} // namespace

class TestEntryColumns : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { MessageBox::clearShown(); }

    // The layout a file is first read by.
    void layoutIsRecognised_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("layout");
        QTest::newRow("known header") << QByteArray("Broj;Ime;Prezime;Napomena;Klub\n1;Ivo;Ivić;x;AK")
                                      << "h:startni_broj,ime,prezime,-,klub";
        QTest::newRow("year and category headers") << QByteArray("Godište,Kategorija,Name\n1980,M40,Ivo")
                                                    << "h:godina_rodjenja,kategorija,ime_i_prezime";
        QTest::newRow("no header: numbers, names, clubs, codes")
            << QByteArray("1\tAna Horvat\tAK Split\tF40\n2\tIvo Ivić\t\tMS") << "startni_broj,ime_i_prezime,klub,kategorija";
        QTest::newRow("no header: first and last names, repeated clubs, countries")
            << QByteArray("Ana,Horvat,7,AK Split,HRV\nIvo,Ivić,8,AK Split,GBR\nEva,Kos,9,Fife AC,HRV")
            << "ime,prezime,startni_broj,klub,drzava";
        QTest::newRow("no header: a club before the names")
            << QByteArray("AK Split;Ana Horvat\nAK Split;Ivo Ivić\nFife AC;Eva Kos") << "klub,ime_i_prezime";
        QTest::newRow("no header: one name of a word is no name") << QByteArray("Ana\nIvo") << "-";
        QTest::newRow("no header: sex, date, year") << QByteArray("Ana;ž;3.4.1990;1990\nIvo;M;1990-01-02;1985")
                                                    << "-,spol,datum_rodjenja,godina_rodjenja";
        QTest::newRow("repeated numbers are no start numbers") << QByteArray("5,a\n5,b") << "-,-";
        QTest::newRow("1799 is a number, not a year") << QByteArray("1799,a\n1800,b") << "startni_broj,-";
        QTest::newRow("leftmost of two date columns") << QByteArray("1.1.1990,2.2.1990\n3.3.1980,4.4.1980")
                                                      << "datum_rodjenja,-";
        QTest::newRow("a wider later row widens the map") << QByteArray("1,a\n2,b,M") << "startni_broj,-,spol";
    }

    void layoutIsRecognised()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, layout);
        QCOMPARE(written(io::recogniseLayout(io::readCsv(file))), layout);
    }

    // The categories a file's codes give a race that lacks them.
    void categoriesFromCodes_data()
    {
        QTest::addColumn<QString>("codes");
        QTest::addColumn<QString>("rows");
        QTest::newRow("under, senior, veterans") << "M40,MU20,MS,MU18" << "MU18 M 0-17;MU20 M 18-19;MS M 20-39;M40 M 40-150";
        QTest::newRow("two codes of one band") << "FSen,F35,FS" << "FS|FSen Ž 20-34;F35 Ž 35-150";
        QTest::newRow("letter case, Ž and W, men first") << "W60,Ž45,m50" << "m50 M 50-150;Ž45 Ž 45-59;W60 Ž 60-150";
        QTest::newRow("no usual form") << "X40,M,MU0,M40a,40" << "";
    }

    void categoriesFromCodes()
    {
        QFETCH(QString, codes);
        QFETCH(QString, rows);
        QStringList got;
        for (const CategoryRow& r : schemes::categoriesFromCodes(codes.split(QLatin1Char(','))))
            got.append(QStringLiteral("%1 %2 %3-%4").arg(r.label, schemes::sexText(r.sex)).arg(r.from).arg(r.to));
        QCOMPARE(got.join(QLatin1Char(';')), rows);
    }

    // --columns lists: the columns, or the refusal.
    void columnList_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("expected");
        QTest::newRow("names") << "startni_broj,ime,prezime,klub,kategorija" << "startni_broj,ime,prezime,klub,kategorija";
        QTest::newRow("blanks and skips") << " klub , - ,-,godina_rodjenja" << "klub,-,-,godina_rodjenja";
        QTest::newRow("unknown") << "broj,ime" << "unknown";
        QTest::newRow("twice") << "klub,ime,klub" << tx::ecColumnTwice(QStringLiteral("klub"));
    }

    void columnList()
    {
        QFETCH(QString, list);
        QFETCH(QString, expected);
        const io::ColumnListResult r = io::parseColumnList(list);
        if (expected == QStringLiteral("unknown"))
            QVERIFY2(r.error.startsWith(tx::ecUnknownColumn(QStringLiteral("broj"), {}).left(30)), qPrintable(r.error));
        else
            QCOMPARE(r.ok() ? written({r.columns, false}) : r.error, expected);
    }

    void defaults_data()
    {
        QTest::addColumn<QStringList>("given");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("two fields") << QStringList{"drzava=GBR", "klub= neovisni "} << QString();
        QTest::newRow("no =") << QStringList{"drzava"} << tx::ecDefaultShape(QStringLiteral("drzava"));
        QTest::newRow("no field") << QStringList{"=GBR"} << tx::ecDefaultShape(QStringLiteral("=GBR"));
        QTest::newRow("start number") << QStringList{"startni_broj=1"} << tx::ecDefaultNotAllowed(QStringLiteral("startni_broj"));
        QTest::newRow("twice") << QStringList{"klub=A", "klub=B"} << tx::ecDefaultTwice(QStringLiteral("klub"));
    }

    void defaults()
    {
        QFETCH(QStringList, given);
        QFETCH(QString, refusal);
        io::EntryDefaults defaults;
        QString got;
        for (const QString& g : given)
            got = io::addDefault(g, defaults);
        QCOMPARE(got, refusal);
        if (refusal.isEmpty())
            QCOMPARE(defaults.value(EntryColumn::Club), QStringLiteral("neovisni"));
    }

    // One header-less row read by the columns, with defaults and cut-long.
    void rowWithDefaultsAndCuts_data()
    {
        QTest::addColumn<QString>("columns");
        QTest::addColumn<QString>("row");
        QTest::addColumn<QStringList>("defaults");
        QTest::addColumn<bool>("cut");
        QTest::addColumn<QString>("expected");
        const QString all = QStringLiteral("startni_broj,ime_i_prezime,drzava,klub,spol,datum_rodjenja");
        const QStringList none;
        const QString dundee = QStringLiteral("Dundee Road Runners");
        QTest::newRow("as it is") << all << "12;Ana;HRV;AK;Ž;3.4.1990" << none << false << "novi | 12/Ana/HRV/AK/Ž/3.4.1990/";
        QTest::newRow("default for an empty cell") << all << "12;Ana;;AK;Ž;3.4.1990" << QStringList{"drzava=GBR"}
                                                   << false << "novi | 12/Ana/GBR/AK/Ž/3.4.1990/";
        QTest::newRow("default for a missing column, sex read")
            << "startni_broj,ime_i_prezime,drzava,datum_rodjenja" << "12;Ana;HRV;3.4.1990"
            << QStringList{"klub=neovisni", "spol=f"} << false << "novi | 12/Ana/HRV/neovisni/Ž/3.4.1990/";
        QTest::newRow("missing country named") << all << "12;Ana;;AK;Ž;3.4.1990" << none << false
                                               << tx::ecMissing(tx::ecCountry()) + " | 12/Ana//AK/Ž/3.4.1990/";
        QTest::newRow("missing name named") << all << "12;;HRV;AK;Ž;3.4.1990" << none << false
                                            << tx::ecMissing(tx::ecFullName()) + " | 12//HRV/AK/Ž/3.4.1990/";
        QTest::newRow("category not the race's: refused, carried")
            << "startni_broj,ime_i_prezime,drzava,klub,spol,kategorija" << "12;Ana;HRV;AK;Ž;F40" << none << false
            << tx::ecCategoryNotOfRace("F40") + " | 12/Ana/HRV/AK/Ž//F40";
        QTest::newRow("year alone") << "ime_i_prezime,drzava,klub,spol,godina_rodjenja" << "Ana;HRV;AK;Ž;1990" << none
                                    << false << "novi | /Ana/HRV/AK/Ž/1.1.1990/";
        QTest::newRow("year by default") << "ime_i_prezime,drzava,klub,spol" << "Ana;HRV;AK;Ž"
                                         << QStringList{"godina_rodjenja=1980"} << false << "novi | /Ana/HRV/AK/Ž/1.1.1980/";
        QTest::newRow("date before year") << "ime_i_prezime,drzava,klub,spol,datum_rodjenja,godina_rodjenja"
                                          << "Ana;HRV;AK;Ž;3.4.1990;1980" << none << false << "novi | /Ana/HRV/AK/Ž/3.4.1990/";
        QTest::newRow("two-digit year") << "ime_i_prezime,drzava,klub,spol,godina_rodjenja" << "Ana;HRV;AK;Ž;90" << none
                                        << false << tx::ecBirthYearInvalid(QStringLiteral("90")) + " | /Ana/HRV/AK/Ž//";
        QTest::newRow("year of the race") << "ime_i_prezime,drzava,klub,spol,godina_rodjenja" << "Ana;HRV;AK;Ž;2025"
                                          << none << false << tx::tooYoung(tx::exampleBirthDate()) + " | /Ana/HRV/AK/Ž/1.1.2025/";
        QTest::newRow("long club refused") << all << "12;Ana;HRV;" + dundee + ";Ž;3.4.1990" << none << false
                                           << tx::ecTooLong(tx::ioFieldClub(), 19, 15, dundee) + " | 12/Ana/HRV/" + dundee + "/Ž/3.4.1990/";
        QTest::newRow("long club cut") << all << "12;Ana;HRV;" + dundee + ";Ž;3.4.1990" << none << true
                                       << "novi | 12/Ana/HRV/Dundee Road Run/Ž/3.4.1990/";
        QTest::newRow("cut at whole characters, blank dropped") << all << "12;" + QStringLiteral("𝒜").repeated(24) + " Bc;HRV;AK;Ž;3.4.1990"
                                                  << none << true << "novi | 12/" + QStringLiteral("𝒜").repeated(24) + "/HRV/AK/Ž/3.4.1990/";
        QTest::newRow("a start number is never cut") << all << "1234567;Ana;HRV;AK;Ž;3.4.1990" << none << true
                                                     << tx::ecTooLong(tx::ioFieldStartNumber(), 7, 6, "1234567") + " | 1234567/Ana/HRV/AK/Ž/3.4.1990/";
    }

    void rowWithDefaultsAndCuts()
    {
        QFETCH(QString, columns);
        QFETCH(QString, row);
        QFETCH(QStringList, defaults);
        QFETCH(bool, cut);
        QFETCH(QString, expected);
        RaceFixture race;
        imports::EntryImportOptions options;
        options.layout = layoutOf(columns);
        for (const QString& d : defaults)
            QCOMPARE(io::addDefault(d, options.defaults), QString());
        options.cutLong = cut;
        const auto preview = imports::previewEntries(race.session, io::readCsv(row.toUtf8()), options);
        QVERIFY2(!preview.fileRefused(), qPrintable(preview.fileRefusal));
        QCOMPARE(preview.rows.size(), 1);
        QCOMPARE(outcome(preview.rows.front()), expected);
        QCOMPARE(preview.rows.front().cut(), cut && preview.rows.front().accepted() && row.size() > 40);
    }

    // The same rows, read by their headers and by the columns named.
    void headerAndColumnsAgree()
    {
        const QByteArray rows("7;Ivić;Ivo;AK;Ž;;1980\n8;Babić;Ana;;M;1.2.1975;\n9;Kos;Mia;HRV;x;;1990\n");
        RaceFixture race;
        imports::EntryImportOptions byHeader;
        byHeader.defaults.insert(EntryColumn::Country, QStringLiteral("GBR"));
        imports::EntryImportOptions named = byHeader;
        named.layout = layoutOf(QStringLiteral("startni_broj,prezime,ime,klub,spol,datum_rodjenja,godina_rodjenja"));
        const auto a = imports::previewEntries(
            race.session, io::readCsv("Broj;Prezime;Ime;Klub;Spol;Datum rođenja;Godište\n" + rows), byHeader);
        const auto b = imports::previewEntries(race.session, io::readCsv(rows), named);
        QVERIFY2(!a.fileRefused(), qPrintable(a.fileRefusal));
        QCOMPARE(a.rows.size(), 3);
        QCOMPARE(b.rows.size(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(outcome(a.rows.at(i)), outcome(b.rows.at(i)));
        QCOMPARE(outcome(b.rows.at(0)), QStringLiteral("novi | 7/Ivić Ivo/GBR/AK/Ž/1.1.1980/"));
        QCOMPARE(b.refusedCount, 2);
    }

    // A file opens with the map last chosen for its header, or for its
    // number of columns when it has none.
    void layoutIsRemembered()
    {
        const io::CsvResult headed = io::readCsv("Broj;Ime;Opaska\n1;Ana;x\n");
        const io::CsvResult bare = io::readCsv("1;Ana;x1\n");
        QCOMPARE(written(imports::startingLayout(bare)), QStringLiteral("startni_broj,-,-"));
        imports::rememberLayout(headed, layoutOf(QStringLiteral("h:startni_broj,ime,klub")));
        imports::rememberLayout(bare, layoutOf(QStringLiteral("-,ime_i_prezime,kategorija")));
        QCOMPARE(written(imports::startingLayout(headed)), QStringLiteral("h:startni_broj,ime,klub"));
        QCOMPARE(written(imports::startingLayout(io::readCsv("7;Ivo;y\n"))), QStringLiteral("-,ime_i_prezime,kategorija"));
        QCOMPARE(written(imports::startingLayout(io::readCsv("7;Ivo\n"))), QStringLiteral("startni_broj,-"));
        QCOMPARE(written(imports::startingLayout(io::readCsv("Broj;Ime;Klub\n1;Ana;x\n"))), QStringLiteral("h:startni_broj,ime,klub"));
    }

    // The command line: one row per option, and what it stored.
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("told"); // a text of the output or the error
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("inserts"); // the database takes the rows
        QTest::addColumn<bool>("ownCategories"); // the race has categories of its own after
        const QString four = QStringLiteral("startni_broj,ime_i_prezime,klub,godina_rodjenja");
        QTest::newRow("no header: --columns is named") << QStringList{} << 1 << tx::ecColumnsHint() << 0 << true << false;
        QTest::newRow("--columns, refused rows named") << QStringList{"--columns", four}
                                                       << 1 << tx::ecMissing(tx::ecCountry()) << 0 << true << false;
        QTest::newRow("--default") << QStringList{"--columns=startni_broj,ime_i_prezime,-,godina_rodjenja", "--default",
                                                  "drzava=GBR", "--default=klub=neovisni", "--default", "spol=M"}
                                   << 0 << tx::cliStored(1) << 1 << true << false;
        QTest::newRow("--cut-long") << QStringList{"--columns", four, "--default", "drzava=GBR", "--default", "spol=M", "--cut-long"}
                                    << 0 << tx::ecCutLine(1, tx::ecCutRow({tx::ecCut(tx::ioFieldClub(), "Dundee Road Runners", "Dundee Road Run")}))
                                    << 1 << true << false;
        QTest::newRow("--header skips the first line") << QStringList{"--columns", four, "--default", "drzava=GBR", "--default",
                                                                      "spol=M", "--cut-long", "--header"}
                                                       << 0 << tx::cliImportSummary(0, 0) << 0 << true << false;
        QTest::newRow("unknown name") << QStringList{"--columns", "startni_broj,x"} << 2 << "„x”" << 0 << true << false;
        QTest::newRow("given twice") << QStringList{"--columns", "klub,klub"} << 2 << tx::ecColumnTwice("klub") << 0 << true << false;
        QTest::newRow("--header alone") << QStringList{"--header"} << 2 << tx::ecHeaderWithoutColumns() << 0 << true << false;
        QTest::newRow("bad default") << QStringList{"--default", "ime=Ana"} << 2 << tx::ecDefaultNotAllowed("ime") << 0 << true << false;
        QTest::newRow("recognised: a code the race lacks, told once")
            << QStringList{"--default", "drzava=GBR", "--cut-long"} << 1 << tx::ecCategoriesUnknown({"F40"}) << 0 << true << false;
        QTest::newRow("recognised columns printed")
            << QStringList{"--default", "drzava=GBR", "--cut-long", "--add-categories"} << 0
            << tx::cliColumnsChosen(four + QStringLiteral(",kategorija")) << 1 << true << true;
        QTest::newRow("--add-categories with rows not stored: neither is stored")
            << QStringList{"--default", "drzava=GBR", "--cut-long", "--add-categories"} << 1 << tx::cliNothingStored() << 0
            << false << false;
    }

    void commandLine()
    {
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(QString, told);
        QFETCH(int, stored);
        QFETCH(bool, inserts);
        QFETCH(bool, ownCategories);
        RaceFixture race;
        const QString path = race.db.dir() + QStringLiteral("/prijave.txt");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("7;Ana Horvat;Dundee Road Runners;1980;F40\n");
        f.close();
        if (!inserts) // the runner's row only: opening the file writes rows of its own
            testutil::execOnFile(race.db.path(), QStringLiteral("create trigger odbij before insert on startna when "
                                                                "new.ime = 'Ana Horvat' begin select raise(abort, 'x'); end"));
        QProcess p;
        p.start(QStringLiteral(KVR_PROGRAM), QStringList{QStringLiteral("import-entries"), QStringLiteral("--db"), race.db.path(),
                                                           QStringLiteral("--race"), QString::number(race.session.race().id), path}
                                                   + options);
        QVERIFY(p.waitForFinished(60000));
        const QString output = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
        QCOMPARE(p.exitCode(), status);
        QVERIFY2(output.contains(told), qPrintable(output));
        QVERIFY(race.session.reload());
        QCOMPARE(race.session.registeredCount(), stored);
        QCOMPARE(race.session.rules().categories == CategoryScheme::standard(), !ownCategories);
    }

    // One real race's entries file as published, from the command line:
    // the columns named, country and club by default, long values cut, the
    // race's categories by code. Every row is stored, cuts are listed.
    void realRaceOnCommandLine()
    {
        const QString dir = realRacesDir();
        if (dir.isEmpty())
            QSKIP("the real race files are not on this machine");
        RaceFixture race;
        QFile categories(QStringLiteral(KVR_SOURCE_DIR "/tests/data/realrace_categories.csv"));
        QVERIFY(categories.open(QIODevice::ReadOnly));
        QVERIFY(racerules::setFromFiles(race.session, categories.readAll(), std::nullopt).ok());
        QProcess p;
        p.start(QStringLiteral(KVR_PROGRAM),
                QStringList{"import-entries", "--db", race.db.path(), "--race", QString::number(race.session.race().id),
                            dir + QStringLiteral("/cupar_5_2025_entries.tsv"), "--columns",
                            "startni_broj,ime,prezime,klub,kategorija", "--default", "drzava=GBR", "--default",
                            "klub=Unattached", "--cut-long"});
        QVERIFY(p.waitForFinished(60000));
        const QString output = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
        QVERIFY2(p.exitCode() == 0, qPrintable(output));
        QVERIFY2(output.contains(QStringLiteral("skraćeno")) || output.contains(QStringLiteral("→")), qPrintable(output));
        QVERIFY(race.session.refresh());
        QCOMPARE(race.session.registeredCount(), 221);
        QVERIFY(!race.session.startList().front().datum.isValid());
    }

    // The window: a header-less file opens with its columns recognised; choosing the columns and defaults checks
    // the rows again, and Uvezi stores them.
    void windowChoices()
    {
        TempDb db;
        frmkelvora window(db.path());
        makeCurrentRace(window, QStringLiteral("Utrka"), QDate(2025, 6, 15));
        const QString path = db.dir() + QStringLiteral("/prijave.tsv");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("1\tAna Horvat\tDundee Road Runners\t1980\n2\tIvo Ivić\t\t1979\n");
        f.close();
        ui::FileChooser::setTestChooser([&](QWidget*, const QString&, const QString&) { return path; });
        QStringList before, after;
        QString tip;
        onNextDialog([&](QDialog* dialog) {
            auto* list = find<QTreeView>(dialog, QStringLiteral("lsvuvoz"));
            const auto choose = [&](int column, EntryColumn c) {
                auto* box = find<QComboBox>(dialog, QStringLiteral("cbostupac%1").arg(column));
                box->setCurrentIndex(box->findData(int(c)));
            };
            QList<int> start;
            for (int k = 1; k <= 4; ++k)
                start.append(find<QComboBox>(dialog, QStringLiteral("cbostupac%1").arg(k))->currentData().toInt());
            QCOMPARE(start, (QList<int>{int(EntryColumn::StartNumber), int(EntryColumn::FullName), int(EntryColumn::Club),
                                        int(EntryColumn::BirthYear)}));
            choose(2, EntryColumn::FullName);
            choose(3, EntryColumn::Club);
            before = columnTexts(list, 7);
            tip = list->model()->index(0, 7).data(Qt::ToolTipRole).toString();
            for (const auto& [name, value] : {std::pair{"txtzadanodrzava", "GBR"}, {"txtzadanoklub", "neovisni"},
                                              {"txtzadanospol", "M"}}) {
                auto* edit = find<QLineEdit>(dialog, QString::fromLatin1(name));
                edit->setText(QString::fromLatin1(value));
                emit edit->editingFinished();
            }
            find<QCheckBox>(dialog, QStringLiteral("chkskrati"))->setChecked(true);
            after = columnTexts(list, 2) + columnTexts(list, 4);
            find<QPushButton>(dialog, QStringLiteral("cmduvezi"))->click();
        });
        trigger(&window, QStringLiteral("mnuuvozprijava"));
        QCOMPARE(before, (QStringList{tx::ecMissing(tx::ecCountry()), tx::ecMissing(tx::ecCountry())}));
        QCOMPARE(tip, before.front());
        QCOMPARE(after, (QStringList{"Ana Horvat", "Ivo Ivić", "Dundee Road Run", "neovisni"}));
        QCOMPARE(window.session().registeredCount(), 2);
    }

    // A new user's first try at each real entry file in the window: the
    // columns as recognised, country and club typed as defaults, long values
    // cut, and the codes the race lacks added from "Dodaj kategorije...",
    // stored as proposed; Uvezi then stores every row.
    void realRaceInTheWindow_data()
    {
        QTest::addColumn<QString>("race");
        QTest::addColumn<int>("rows");
        QTest::newRow("balmullo") << "balmullo" << 78;
        QTest::newRow("cupar_5") << "cupar_5" << 221;
        QTest::newRow("giffordtown") << "giffordtown" << 191;
        QTest::newRow("hill_of_tarvit") << "hill_of_tarvit" << 112;
        QTest::newRow("st_andrews") << "st_andrews" << 101;
    }

    void realRaceInTheWindow()
    {
        QFETCH(QString, race);
        QFETCH(int, rows);
        const QString dir = realRacesDir();
        if (dir.isEmpty())
            QSKIP("the real race files are not on this machine");
        // A first try: no column map remembered from an earlier file.
        QSettings(QStringLiteral("Kelvora"), QStringLiteral("Kelvora")).remove(QStringLiteral("uvozprijava"));
        TempDb db;
        frmkelvora window(db.path());
        makeCurrentRace(window, QStringLiteral("Utrka"), QDate(2025, 6, 15));
        const QString path = dir + QLatin1Char('/') + race + QStringLiteral("_2025_entries.tsv");
        ui::FileChooser::setTestChooser([&](QWidget*, const QString&, const QString&) { return path; });
        QString note;
        bool noteGone = false;
        int listed = -1;
        onNextDialog([&](QDialog* dialog) {
            const QAbstractItemModel* list = find<QTreeView>(dialog, QStringLiteral("lsvuvoz"))->model();
            const auto firstState = [list] { return list->index(0, list->columnCount() - 1).data().toString(); };
            note = find<QLabel>(dialog, QStringLiteral("lblkategorije"))->text();
            QTimer::singleShot(50, [] {
                if (auto* settings = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                    find<QPushButton>(settings, QStringLiteral("cmdspremi"))->click();
            });
            find<QPushButton>(dialog, QStringLiteral("cmddodajkategorije"))->click();
            noteGone = find<QWidget>(dialog, QStringLiteral("pnlkategorije"))->isHidden();
            QCOMPARE(firstState(), tx::ecMissing(tx::ecCountry()));
            for (const auto& [name, value] : {std::pair{"txtzadanodrzava", "GBR"}, {"txtzadanoklub", "Unattached"}}) {
                auto* edit = find<QLineEdit>(dialog, QString::fromLatin1(name));
                QTest::keyClicks(edit, QString::fromLatin1(value));
            }
            // Typed defaults show without leaving the field.
            QTRY_VERIFY(firstState() != tx::ecMissing(tx::ecCountry()));
            find<QCheckBox>(dialog, QStringLiteral("chkskrati"))->setChecked(true);
            listed = list->rowCount();
            find<QPushButton>(dialog, QStringLiteral("cmduvezi"))->click();
        });
        trigger(&window, QStringLiteral("mnuuvozprijava"));
        QVERIFY2(note.startsWith(QStringLiteral("Kategorije ")), qPrintable(note));
        QVERIFY(noteGone);
        QCOMPARE(listed, rows);
        QCOMPARE(window.session().registeredCount(), rows);
        QVERIFY(window.session().rules().categories.rowByLabel(QStringLiteral("M50")) >= 0);
    }

    // The real races' entry files as published, read the first time as a
    // new user does: the columns recognised from their values, country and
    // club defaults, long values cut, and the file's category codes, unknown
    // to the new race, added to it from their form and stored with the rows.
    // No row refused, every judge's time finds its runner, and each finisher
    // stands in the category the published results give.
    void realRacesAsPublished_data()
    {
        QTest::addColumn<QString>("race");
        QTest::addColumn<QString>("columns");
        const QString four = QStringLiteral("startni_broj,ime_i_prezime,klub,kategorija");
        for (const char* race : {"balmullo", "giffordtown", "hill_of_tarvit", "st_andrews"})
            QTest::newRow(race) << QString::fromLatin1(race) << four;
        QTest::newRow("cupar_5") << "cupar_5" << "startni_broj,ime,prezime,klub,kategorija";
    }

    void realRacesAsPublished()
    {
        QFETCH(QString, race);
        QFETCH(QString, columns);
        const QString dir = realRacesDir();
        if (dir.isEmpty())
            QSKIP("the real race files are not on this machine");
        const auto read = [&](const char* kind) {
            QFile f(dir + QLatin1Char('/') + race + QStringLiteral("_2025_") + QLatin1String(kind));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        RaceFixture session;
        const io::CsvResult file = io::readCsv(read("entries.tsv"));
        imports::EntryImportOptions options;
        options.layout = io::recogniseLayout(file, &session.session.rules().categories);
        QCOMPARE(io::columnList(*options.layout), columns);
        for (const char* d : {"drzava=GBR", "klub=Unattached"})
            QCOMPARE(io::addDefault(QString::fromLatin1(d), options.defaults), QString());
        options.cutLong = true;
        auto entries = imports::previewEntries(session.session, file, options);
        QCOMPARE(entries.refusedCount, entries.rows.size());
        QVERIFY(!entries.unknownCategories.isEmpty());
        options.rules = imports::rulesWithCodes(session.session, entries.unknownCategories);
        QVERIFY(schemes::checkCategories(options.rules->categories.rows()).ok());
        entries = imports::previewEntries(session.session, file, options);
        QVERIFY2(!entries.anyRefused(), qPrintable(entries.rows.isEmpty() ? entries.fileRefusal : entries.rows.front().refusal));
        QVERIFY(imports::importEntries(session.session, entries).ok());
        QCOMPARE(session.session.rules(), *options.rules);
        const auto times = imports::previewTimes(session.session, read("rawtimes.tsv"));
        QVERIFY(!times.anyRefused());
        QVERIFY(imports::importTimes(session.session, times).ok());
        QCOMPARE(session.session.finishList().size(), times.rows.size());
        const auto standings = session.session.standings({QStringLiteral("Svi"), standings::Sex::All});
        QVERIFY(standings.ok());
        QStringList got, published;
        for (const auto& r : standings.value().rows)
            got.append(r.sbroj + QLatin1Char(' ') + r.kategorija);
        const io::CsvResult overall = io::readCsv(read("overall.csv"));
        for (qsizetype i = 1; i < overall.rows.size(); ++i)
            published.append(overall.rows[i].fields.at(1).trimmed() + QLatin1Char(' ') + overall.rows[i].fields.at(4).trimmed());
        QCOMPARE(got, published);
    }
};

KVR_TEST_MAIN(TestEntryColumns)
#include "test_entrycolumns.moc"
