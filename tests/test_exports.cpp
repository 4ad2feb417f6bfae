// Lists exported to CSV, HTML and PDF files, the export dialog and the print
// preview.

#include "testutil.h"

#include "app/exports.h"
#include "app/racesession.h"
#include "core/csv.h"
#include "core/entryfile.h"
#include "core/texts.h"
#include "pdftext.h"
#include "print/pagepainter.h"
#include "recordingsurface.h"

#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QComboBox>
#include <QSettings>
#include <QXmlStreamReader>

using exports::ExportList;

Q_DECLARE_METATYPE(io::Separator)
using standings::Sex;
using testutil::TempDb;

Q_DECLARE_METATYPE(exports::ExportList)
Q_DECLARE_METATYPE(standings::Sex)

namespace {

const QString kScript = QStringLiteral("<script>alert(1)</script>");
const QString kQuoted = QStringLiteral("Ivo, \"Brzi\" Ivić");

// A race of four entries (one without a start number, names a spreadsheet or
// a browser could take for code) and three finishers; with extraMen, eight
// more men of category 40-44 finish after them.
struct RaceFixture {
    TempDb tmp;
    RaceSession session{tmp.path()};

    explicit RaceFixture(bool entries = true, bool extraMen = false)
    {
        QVERIFY(session.database().open());
        QVERIFY(session.createRace(QStringLiteral("Zagrebački maraton"), QStringLiteral("AK Kelvora"),
                                   QStringLiteral("12.10.2025")));
        if (!entries)
            return;
        add({QStringLiteral("Ana Anić"), QStringLiteral("1"), QStringLiteral("HRV"), QStringLiteral("AK Split"),
             QStringLiteral("Ž"), QStringLiteral("01.02.1990")});
        add({QStringLiteral("=1+1"), QString(), QStringLiteral("SLO"), QStringLiteral("-5"), QStringLiteral("M"),
             QStringLiteral("03.04.1985")});
        add({kQuoted, QStringLiteral("2"), QStringLiteral("HRV"), QStringLiteral("AK \"Brzi\""), QStringLiteral("M"),
             QStringLiteral("03.04.1950")});
        add({kScript, QStringLiteral("3"), QStringLiteral("BIH"), QStringLiteral("AK <b>"), QStringLiteral("Ž"),
             QStringLiteral("05.06.2000")});
        finish(QStringLiteral("2"), QStringLiteral("01:00:00"));
        finish(QStringLiteral("1"), QStringLiteral("01:05:00"));
        finish(QStringLiteral("3"), QStringLiteral("01:10:00"));
        for (int i = 0; extraMen && i < 8; ++i) {
            add({QStringLiteral("Muški %1").arg(i), QString::number(10 + i), QStringLiteral("HRV"),
                 QStringLiteral("AK"), QStringLiteral("M"), QStringLiteral("10.10.1983")});
            finish(QString::number(10 + i), QStringLiteral("01:20:0%1").arg(i));
        }
    }
    void add(const rules::CompetitorEntry& entry) { QVERIFY(session.addCompetitor(entry)); }
    void finish(const QString& number, const QString& time) { QVERIFY(session.enterFinish(number, time)); }

    exports::ExportData build(ExportList list, const standings::Selection& selection = {})
    {
        const auto data = exports::buildExport(session, list, selection);
        if (!data)
            qFatal("%s", qPrintable(data.refusal().message + data.dbError()));
        return data.value();
    }
};

const QStringList startHeadings{QStringLiteral("R.br."), QStringLiteral("St. br."), QStringLiteral("Ime i prezime"),
                                QStringLiteral("Država"), QStringLiteral("Klub"), QStringLiteral("Spol"),
                                QStringLiteral("Datum rođ.")};
const QStringList standingsHeadings{QStringLiteral("Por."),    QStringLiteral("St. br."), QStringLiteral("Ime i prezime"),
                                    QStringLiteral("Država"),  QStringLiteral("Klub"),    QStringLiteral("Spol"),
                                    QStringLiteral("Kateg."),  QStringLiteral("God. rođ."), QStringLiteral("Vrijeme")};

// The fields of a CSV file as a spreadsheet reads them, the header row first.
QList<QStringList> readBack(const QByteArray& bytes)
{
    const io::CsvResult csv = io::readCsv(bytes);
    QList<QStringList> rows;
    for (const io::CsvRow& row : csv.rows)
        rows.append(row.fields);
    return rows;
}

struct HtmlSection {
    QString heading;
    QStringList columns;
    QList<QStringList> rows;
};

struct HtmlPage {
    QStringList header;   // texts of the page header
    QStringList contents; // entries of the table of contents
    QList<HtmlSection> sections;
    QStringList elements; // every element name met
    QString error;
};

HtmlPage parseHtml(const QByteArray& bytes)
{
    HtmlPage page;
    QXmlStreamReader xml(bytes);
    QStringList open;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QString name = xml.name().toString();
            page.elements.append(name);
            open.append(name);
            if (name == QLatin1String("section"))
                page.sections.append(HtmlSection{});
            else if (name == QLatin1String("tr") && !page.sections.isEmpty() && open.contains(QLatin1String("tbody")))
                page.sections.last().rows.append(QStringList{});
            else if (name == QLatin1String("td"))
                page.sections.last().rows.last().append(QString());
        } else if (xml.isEndElement()) {
            open.removeLast();
        } else if (xml.isCharacters() && !xml.isWhitespace()) {
            const QString text = xml.text().toString();
            const QString& in = open.isEmpty() ? QString() : open.last();
            if (open.contains(QLatin1String("header")))
                page.header.append(text);
            else if (open.contains(QLatin1String("nav")) && in == QLatin1String("a"))
                page.contents.append(text);
            else if (open.contains(QLatin1String("section"))) {
                HtmlSection& s = page.sections.last();
                if (in == QLatin1String("h2"))
                    s.heading += text;
                else if (in == QLatin1String("th"))
                    s.columns.append(text);
                else if (in == QLatin1String("td"))
                    s.rows.last().last() += text;
            }
        }
    }
    if (xml.hasError())
        page.error = xml.errorString();
    return page;
}

} // namespace

class TestExports : public QObject {
    Q_OBJECT

private slots:
    void init() { MessageBox::clearShown(); }

    // Every list as a spreadsheet reads it: the byte-order mark, the column
    // headings without the hidden key, the values as the lists show them,
    // values a spreadsheet would run as formulas kept as text, quoted values.
    void csvHoldsTheListAsShown_data()
    {
        QTest::addColumn<ExportList>("list");
        QTest::addColumn<Sex>("sex");
        QTest::addColumn<QList<QStringList>>("expected");
        QTest::addColumn<QString>("movedTo"); // the race date after a first export, if moved

        const QStringList ana{QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("Ana Anić"), QStringLiteral("HRV"),
                              QStringLiteral("AK Split"), QStringLiteral("Ž"), QStringLiteral("01.02.1990")};
        const QStringList formula{QStringLiteral("2"), QString(), QStringLiteral("'=1+1"), QStringLiteral("SLO"),
                                  QStringLiteral("'-5"), QStringLiteral("M"), QStringLiteral("03.04.1985")};
        const QStringList ivo{QStringLiteral("3"), QStringLiteral("2"), kQuoted, QStringLiteral("HRV"),
                              QStringLiteral("AK \"Brzi\""), QStringLiteral("M"), QStringLiteral("03.04.1950")};
        const QStringList script{QStringLiteral("4"), QStringLiteral("3"), kScript, QStringLiteral("BIH"),
                                 QStringLiteral("AK <b>"), QStringLiteral("Ž"), QStringLiteral("05.06.2000")};
        QTest::newRow("start list: numbered entries, running numbers of registration")
            << ExportList::StartList << Sex::All << QList<QStringList>{startHeadings, ana, ivo, script} << QString();
        QTest::newRow("registered list: every entry")
            << ExportList::Registered << Sex::All << QList<QStringList>{startHeadings, ana, formula, ivo, script} << QString();
        QTest::newRow("finish list with details")
            << ExportList::Finish << Sex::All
            << QList<QStringList>{
                   {QStringLiteral("Por."), QStringLiteral("St.br."), QStringLiteral("Ime i prezime"),
                    QStringLiteral("God.rođ."), QStringLiteral("Država"), QStringLiteral("Spol"),
                    QStringLiteral("Kateg."), QStringLiteral("Vrijeme")},
                   {QStringLiteral("1"), QStringLiteral("2"), kQuoted, QStringLiteral("1950"), QStringLiteral("HRV"),
                    QStringLiteral("M"), QStringLiteral("70 i više"), QStringLiteral("01:00:00")},
                   {QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("Ana Anić"), QStringLiteral("1990"),
                    QStringLiteral("HRV"), QStringLiteral("Ž"), QStringLiteral("35-39"), QStringLiteral("01:05:00")},
                   {QStringLiteral("3"), QStringLiteral("3"), kScript, QStringLiteral("2000"), QStringLiteral("BIH"),
                    QStringLiteral("Ž"), QStringLiteral("25-29"), QStringLiteral("01:10:00")}}
            << QString();
        QTest::newRow("standings of women, renumbered")
            << ExportList::Standings << Sex::Women
            << QList<QStringList>{
                   standingsHeadings,
                   {QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("Ana Anić"), QStringLiteral("HRV"),
                    QStringLiteral("AK Split"), QStringLiteral("Ž"), QStringLiteral("35-39"), QStringLiteral("1990"),
                    QStringLiteral("01:05:00")},
                   {QStringLiteral("2"), QStringLiteral("3"), kScript, QStringLiteral("BIH"), QStringLiteral("AK <b>"),
                    QStringLiteral("Ž"), QStringLiteral("25-29"), QStringLiteral("2000"), QStringLiteral("01:10:00")}}
            << QString();
        QTest::newRow("standings of women after the race moved a year back: categories of the new date")
            << ExportList::Standings << Sex::Women
            << QList<QStringList>{
                   standingsHeadings,
                   {QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("Ana Anić"), QStringLiteral("HRV"),
                    QStringLiteral("AK Split"), QStringLiteral("Ž"), QStringLiteral("30-34"), QStringLiteral("1990"),
                    QStringLiteral("01:05:00")},
                   {QStringLiteral("2"), QStringLiteral("3"), kScript, QStringLiteral("BIH"), QStringLiteral("AK <b>"),
                    QStringLiteral("Ž"), QStringLiteral("19-24"), QStringLiteral("2000"), QStringLiteral("01:10:00")}}
            << QStringLiteral("12.10.2024");
    }

    void csvHoldsTheListAsShown()
    {
        QFETCH(ExportList, list);
        QFETCH(Sex, sex);
        QFETCH(QList<QStringList>, expected);
        QFETCH(QString, movedTo);

        RaceFixture race;
        if (!movedTo.isEmpty()) {
            race.build(list, {tx::categoryAll(), sex});
            QVERIFY(race.session.editRace(race.session.race().ime, race.session.race().org, movedTo));
        }
        const QByteArray bytes = exports::exportCsv(race.build(list, {tx::categoryAll(), sex}));
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        QVERIFY(bytes.endsWith("\r\n"));
        QCOMPARE(readBack(bytes), expected);
    }

    // All standings in one CSV table: the list of each row in front; lists
    // with nobody left out, the overall standings first.
    void csvOfAllStandings()
    {
        RaceFixture race(true, true);
        const QList<QStringList> rows = readBack(exports::exportCsv(race.build(ExportList::AllStandings)));
        QCOMPARE(rows.first(), QStringList{QStringLiteral("Lista")} + standingsHeadings);
        QMap<QString, int> perList;
        QStringList order;
        for (qsizetype i = 1; i < rows.size(); ++i) {
            QCOMPARE(rows.at(i).size(), standingsHeadings.size() + 1);
            if (!perList.contains(rows.at(i).first()))
                order.append(rows.at(i).first());
            ++perList[rows.at(i).first()];
        }
        const QString category = QStringLiteral("Ukupni poredak muškarci kategorija: 40-44 god.");
        QCOMPARE(order, (QStringList{QStringLiteral("Ukupni poredak"), QStringLiteral("Ukupni poredak - muškarci"),
                                     QStringLiteral("Ukupni poredak - žene"), category}));
        QCOMPARE(perList.value(order.at(0)), 11);
        QCOMPARE(perList.value(order.at(1)), 9);
        QCOMPARE(perList.value(order.at(2)), 2);
        // The first five of the overall standings are not in a category's list.
        QCOMPARE(perList.value(category), 6);
    }

    // Lists with nothing to export are refused with the printout's messages.
    void nothingToExport_data()
    {
        QTest::addColumn<bool>("hasRace");
        QTest::addColumn<QList<rules::CompetitorEntry>>("entries");
        QTest::addColumn<ExportList>("list");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("message");

        const rules::CompetitorEntry unnumbered{QStringLiteral("Ana Anić"), QString(), QStringLiteral("HRV"),
                                                QStringLiteral("AK"), QStringLiteral("Ž"), QStringLiteral("01.02.1990")};
        const QList<rules::CompetitorEntry> none;
        QTest::newRow("no race") << false << none << ExportList::Registered << QString() << tx::openOrCreateRace();
        QTest::newRow("no entries") << true << none << ExportList::Registered << QString() << tx::noCompetitors();
        QTest::newRow("nobody with a start number")
            << true << QList{unnumbered} << ExportList::StartList << QString() << tx::printNoStartNumbers();
        const rules::CompetitorEntry blankNumber{QStringLiteral("Ana Anić"), QStringLiteral("  "), QStringLiteral("HRV"),
                                                 QStringLiteral("AK"), QStringLiteral("Ž"), QStringLiteral("01.02.1990")};
        QTest::newRow("a number of blanks is no number")
            << true << QList{blankNumber} << ExportList::StartList << QString() << tx::printNoStartNumbers();
        QTest::newRow("nobody finished") << true << QList{unnumbered} << ExportList::Finish << QString()
                                         << tx::exportNoFinishers();
        QTest::newRow("no category chosen") << true << QList{unnumbered} << ExportList::Standings << QString()
                                            << tx::noCategoryChosen();
        QTest::newRow("empty standings") << true << QList{unnumbered} << ExportList::Standings << tx::categoryAll()
                                         << tx::noStandingsRows();
        QTest::newRow("no standings at all") << true << QList{unnumbered} << ExportList::AllStandings << QString()
                                             << tx::noStandingsRows();
    }

    void nothingToExport()
    {
        QFETCH(bool, hasRace);
        QFETCH(QList<rules::CompetitorEntry>, entries);
        QFETCH(ExportList, list);
        QFETCH(QString, category);
        QFETCH(QString, message);

        TempDb tmp;
        RaceSession session(tmp.path());
        QVERIFY(session.database().open());
        if (hasRace)
            QVERIFY(session.createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("12.10.2025")));
        for (const auto& entry : entries)
            QVERIFY(session.addCompetitor(entry));
        const auto data = exports::buildExport(session, list, {category, Sex::All});
        QCOMPARE(data.kind(), Outcome<exports::ExportData>::Kind::Refused);
        QCOMPARE(data.refusal().message, message);
    }

    // An entry stored by another program since the lists were read is exported.
    void exportReadsAnotherWritersChanges()
    {
        RaceFixture race;
        RaceSession other(race.tmp.path());
        QVERIFY(other.database().open());
        QVERIFY(other.openRace(race.session.race().id));
        QVERIFY(other.addCompetitor({QStringLiteral("Novi Novak"), QStringLiteral("9"), QStringLiteral("HRV"),
                                     QStringLiteral("AK"), QStringLiteral("M"), QStringLiteral("01.01.1980")}));
        const auto rows = race.build(ExportList::Registered).lists.first().rows();
        QCOMPARE(rows.size(), 5);
        QCOMPARE(rows.last().at(2), QStringLiteral("Novi Novak"));
    }

    // The web page: well-formed, the race on top, every value as text (no
    // script element however the names read), one section per list with a
    // table of contents when there are several.
    void htmlHoldsEveryValueAsText_data()
    {
        QTest::addColumn<ExportList>("list");
        QTest::addColumn<int>("sections");
        QTest::newRow("registered list") << ExportList::Registered << 1;
        QTest::newRow("finish list") << ExportList::Finish << 1;
        QTest::newRow("all standings") << ExportList::AllStandings << 4;
    }

    void htmlHoldsEveryValueAsText()
    {
        QFETCH(ExportList, list);
        QFETCH(int, sections);

        RaceFixture race(true, true);
        const exports::ExportData data = race.build(list);
        const HtmlPage page = parseHtml(exports::exportHtml(data));
        QVERIFY2(page.error.isEmpty(), qPrintable(page.error));
        QVERIFY(!page.elements.contains(QStringLiteral("script")));
        QVERIFY(!page.elements.contains(QStringLiteral("b")));
        QCOMPARE(page.header.first(), QStringLiteral("Zagrebački maraton"));
        QVERIFY(page.header.join(QLatin1Char(' ')).contains(QStringLiteral("AK Kelvora")));
        QVERIFY(page.header.join(QLatin1Char(' ')).contains(QStringLiteral("12.10.2025")));

        QCOMPARE(page.sections.size(), sections);
        QCOMPARE(page.contents.size(), sections > 1 ? sections : 0);
        for (int i = 0; i < sections; ++i) {
            const exports::ExportedList& expected = data.lists.at(i);
            QCOMPARE(page.sections.at(i).heading, expected.heading);
            if (sections > 1)
                QCOMPARE(page.contents.at(i), expected.heading);
            QCOMPARE(page.sections.at(i).columns, expected.columns);
            QCOMPARE(page.sections.at(i).rows, expected.rows());
        }
        bool scriptAsText = false;
        for (const QStringList& row : page.sections.first().rows)
            scriptAsText = scriptAsText || row.contains(kScript);
        QVERIFY(scriptAsText);
    }

    // The PDF shows the pages the printout prints, line for line: the lists
    // of the start list page printed through the window, and all standings
    // one list after another, each from a new page in landscape.
    void pdfShowsThePrintedPages_data()
    {
        QTest::addColumn<ExportList>("list");
        QTest::addColumn<QString>("printAction");
        QTest::addColumn<int>("pages");
        QTest::newRow("start list") << ExportList::StartList << QStringLiteral("mnuispisstartne") << 2;
        QTest::newRow("registered list") << ExportList::Registered << QStringLiteral("mnuispisprijavljenih") << 2;
    }

    void pdfShowsThePrintedPages()
    {
        QFETCH(ExportList, list);
        QFETCH(QString, printAction);
        QFETCH(int, pages);
        if (!pdftext::available())
            QFAIL("pdftotext (poppler-utils) is needed to read the PDF files back");

        TempDb tmp;
        frmkelvora w(tmp.path());
        testutil::makeCurrentRace(w, QStringLiteral("Zagrebački maraton"), QDate(2025, 10, 12));
        for (int i = 1; i <= 75; ++i)
            testutil::addCompetitor(w, i % 10 ? QString::number(i) : QString(), QStringLiteral("Đurđa Šimić %1").arg(i),
                                    QStringLiteral("Ž"), QDate(1990, 1, 2));
        auto recorder = std::make_shared<print::RecordingSurface>();
        w.setPrintSurfaceFactory([recorder](const QString&) { return recorder; });
        MessageBox::setNextAnswer(QMessageBox::Yes);
        testutil::trigger(&w, printAction);
        QCOMPARE(recorder->pages().size(), pages);

        const auto data = exports::buildExport(w.session(), list);
        QVERIFY(data);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("lista.pdf"));
        QCOMPARE(print::writePdf(exports::exportDocuments(data.value()), path, QStringLiteral("Lista")), QString());
        const QList<QStringList> read = pdftext::pages(path);
        QCOMPARE(read.size(), pages);
        for (int p = 0; p < pages; ++p)
            QCOMPARE(pdftext::asRead(read.at(p)), pdftext::asRead(recorder->pages().at(p)));
    }

    void pdfOfAllStandings()
    {
        RaceFixture race(true, true);
        const QList<print::Document> docs = exports::exportDocuments(race.build(ExportList::AllStandings));
        QCOMPARE(docs.size(), 4);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("poreci.pdf"));
        QCOMPARE(print::writePdf(docs, path, QStringLiteral("Poreci")), QString());
        const QList<QStringList> read = pdftext::pages(path);
        QCOMPARE(read.size(), 4);
        for (int p = 0; p < 4; ++p)
            QCOMPARE(pdftext::asRead(read.at(p)), pdftext::asRead(docs.at(p).pages.first()));
        // Every page in the standings' landscape.
        const QString info = pdftext::run(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                                                      QStringLiteral("-l"), QStringLiteral("4"), path});
        static const QRegularExpression size(QStringLiteral("Page +\\d+ size: +([\\d.]+) x ([\\d.]+)"));
        int landscape = 0;
        for (auto it = size.globalMatch(info); it.hasNext();) {
            const auto m = it.next();
            landscape += m.captured(1).toDouble() > m.captured(2).toDouble();
        }
        QCOMPARE(landscape, 4);
    }

    // The registered list written as CSV, with each separator (a semicolon
    // unless another is chosen), is an entry file the import reads.
    void registeredCsvIsAnEntryFile_data()
    {
        QTest::addColumn<io::Separator>("separator");
        for (const io::Separator separator : {io::Separator::Semicolon, io::Separator::Comma, io::Separator::Tab})
            QTest::newRow(qPrintable(io::separatorName(separator))) << separator;
    }

    void registeredCsvIsAnEntryFile()
    {
        QFETCH(io::Separator, separator);
        RaceFixture race(false);
        const QList<rules::CompetitorEntry> entries{
            {QStringLiteral("Đurđa Šimić"), QStringLiteral("7"), QStringLiteral("HRV"), QStringLiteral("AK;Čakovec"),
             QStringLiteral("Ž"), QStringLiteral("02.01.1990")},
            {kQuoted, QString(), QStringLiteral("SLO"), QStringLiteral("AK \"Brzi\", Maribor"), QStringLiteral("M"),
             QStringLiteral("31.12.1960")}};
        for (const auto& e : entries)
            race.add(e);
        const QByteArray bytes = exports::exportCsv(race.build(ExportList::Registered), separator);
        QCOMPARE(io::readCsv(bytes).separator, io::separatorChar(separator));
        const io::EntryFileResult read = io::readEntryFile(bytes);
        QVERIFY2(read.ok(), qPrintable(read.error));
        QCOMPARE(read.rows.size(), entries.size());
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const io::EntryRow& r = read.rows.at(i);
            const rules::CompetitorEntry& e = entries.at(i);
            QCOMPARE((QStringList{r.ime, r.sbroj, r.drzava, r.klub, r.spol, r.datumText}),
                     (QStringList{e.ime, e.sbroj, e.drzava, e.klub, e.spol, e.datumText}));
        }
    }

    // The file is replaced only whole: a file that cannot be written leaves
    // what was there.
    void failedWriteKeepsTheFile()
    {
        QTemporaryDir dir;
        const QString blocked = dir.filePath(QStringLiteral("mapa"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("mapa")));
        // A directory cannot be replaced by a file.
        QVERIFY(!exports::saveFile(blocked, "x").isEmpty());
        QVERIFY(QFileInfo(blocked).isDir());
        QVERIFY(!print::writePdf({}, blocked, QStringLiteral("x")).isEmpty());
        QVERIFY(QFileInfo(blocked).isDir());

        const QString file = dir.filePath(QStringLiteral("lista.csv"));
        QCOMPARE(exports::saveFile(file, "prvi"), QString());
        QCOMPARE(exports::saveFile(file, "drugi"), QString());
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("drugi"));
    }

    // Through the window: the dialog's choice, the save dialog's path, the
    // file written and the message; a failure says so and writes nothing.
    void exportFromTheWindow_data()
    {
        QTest::addColumn<QString>("listOption");
        QTest::addColumn<QString>("formatOption");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QByteArray>("starts");
        QTest::newRow("finish list as HTML") << "optciljna" << "opthtml" << true << QByteArray("<!DOCTYPE html>");
        QTest::newRow("standings as CSV") << "optporedak" << "optcsv" << true << QByteArray("\xEF\xBB\xBF");
        QTest::newRow("all standings as PDF") << "optsviporeci" << "optpdf" << true << QByteArray("%PDF");
        QTest::newRow("prize list as CSV") << "optnagrade" << "optcsv" << true << QByteArray("\xEF\xBB\xBFnaziv");
        QTest::newRow("no such folder") << "optprijavljeni" << "optcsv" << false << QByteArray();
    }

    void exportFromTheWindow()
    {
        QFETCH(QString, listOption);
        QFETCH(QString, formatOption);
        QFETCH(bool, writable);
        QFETCH(QByteArray, starts);

        TempDb tmp;
        frmkelvora w(tmp.path());
        testutil::makeCurrentRace(w, QStringLiteral("Zagrebački maraton"), QDate(2025, 10, 12));
        const qint64 id = testutil::addCompetitor(w, QStringLiteral("5"), QStringLiteral("Ana Anić"),
                                                  QStringLiteral("Ž"), QDate(1990, 2, 1));
        testutil::addFinish(w, id, QStringLiteral("5"), QStringLiteral("01:00:00"));

        const QString path = tmp.dir() + (writable ? QStringLiteral("/izvoz") : QStringLiteral("/nema/izvoz"));
        QString suggested;
        w.setSaveFileNameProvider([&](const QString& offered, const QString&) {
            suggested = offered;
            return path;
        });
        testutil::onNextDialog([&](QDialog* d) {
            QCOMPARE(d->objectName(), QStringLiteral("frmizvoz"));
            testutil::find<QRadioButton>(d, listOption)->setChecked(true);
            testutil::find<QRadioButton>(d, formatOption)->setChecked(true);
            testutil::find<QPushButton>(d, "cmdizvezi")->click();
        });
        testutil::trigger(&w, QStringLiteral("mnuizvoz"));

        QVERIFY2(suggested.startsWith(tmp.dir() + QStringLiteral("/Zagrebački maraton - ")), qPrintable(suggested));
        QFile file(path);
        if (!writable) {
            QVERIFY(!file.exists());
            QVERIFY(MessageBox::last().text.startsWith(tx::exportNotWritten(path, QString()).section(':', 0, 0)));
            return;
        }
        QCOMPARE(MessageBox::last().text, tx::exportSaved(path));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith(starts));
    }

    // The dialog keeps the chosen separator for the next export; a semicolon at first.
    void separatorChoiceIsKept()
    {
        QTemporaryDir settings;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
        TempDb tmp;
        frmkelvora w(tmp.path());
        testutil::makeCurrentRace(w, QStringLiteral("Zagrebački maraton"), QDate(2025, 10, 12));
        testutil::addCompetitor(w, QStringLiteral("5"), QStringLiteral("Ana Anić"), QStringLiteral("Ž"), QDate(1990, 2, 1));
        const QString path = tmp.dir() + QStringLiteral("/izvoz.csv");
        w.setSaveFileNameProvider([&](const QString&, const QString&) { return path; });
        QStringList offered;
        for (const QString& choice : {QString(), QStringLiteral("tab"), QString()}) {
            testutil::onNextDialog([&](QDialog* d) {
                auto* box = testutil::find<QComboBox>(d, "cboodvajac");
                offered.append(box->currentData().toString());
                if (!choice.isEmpty())
                    box->setCurrentIndex(box->findData(choice));
                testutil::find<QPushButton>(d, "cmdizvezi")->click();
            });
            testutil::trigger(&w, QStringLiteral("mnuizvoz"));
        }
        QCOMPARE(offered.join(' '), QStringLiteral("semicolon semicolon tab"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(io::readCsv(file.readAll()).separator, QLatin1Char('\t'));
    }

    // The preview shows as many pages as the printout prints.
    void previewShowsThePrintedPages_data()
    {
        QTest::addColumn<QString>("previewCommand");
        QTest::addColumn<QString>("printCommand");
        QTest::addColumn<int>("pages");
        QTest::newRow("start list button") << "cmdpregled" << "cmdispis" << 2;
        QTest::newRow("start list menu") << "mnupregledstartne" << "mnuispisstartne" << 2;
        QTest::newRow("registered list menu") << "mnupregledprijavljenih" << "mnuispisprijavljenih" << 3;
        QTest::newRow("standings button") << "cmdpregledizv" << "cmdispisiz" << 3;
    }

    void previewShowsThePrintedPages()
    {
        QFETCH(QString, previewCommand);
        QFETCH(QString, printCommand);
        QFETCH(int, pages);

        TempDb tmp;
        frmkelvora w(tmp.path());
        testutil::makeCurrentRace(w, QStringLiteral("Zagrebački maraton"), QDate(2025, 10, 12));
        for (int i = 1; i <= 150; ++i) {
            const QString number = i % 3 ? QString::number(i) : QString();
            const qint64 id = testutil::addCompetitor(w, number, QStringLiteral("Đurđa Šimić %1").arg(i),
                                                      QStringLiteral("Ž"), QDate(1990, 1, 2));
            if (!number.isEmpty() && i <= 130)
                testutil::addFinish(w, id, number, QStringLiteral("01:%1:00").arg(i % 60, 2, 10, QLatin1Char('0')));
        }
        QVERIFY(w.session().reload());
        if (previewCommand == QLatin1String("cmdpregledizv")) {
            w.selectPage(frmkelvora::PageReports);
            testutil::find<QPushButton>(&w, "cmdobrada")->click();
        }
        auto run = [&](const QString& name) {
            if (auto* button = testutil::find<QPushButton>(&w, name))
                button->click();
            else
                testutil::trigger(&w, name);
        };

        auto recorder = std::make_shared<print::RecordingSurface>();
        w.setPrintSurfaceFactory([recorder](const QString&) { return recorder; });
        MessageBox::setNextAnswer(QMessageBox::Yes);
        run(printCommand);
        QCOMPARE(recorder->pages().size(), pages);

        int shown = -1;
        QString dialogName;
        testutil::onNextDialog([&](QDialog* d) {
            dialogName = d->objectName();
            auto* preview = d->findChild<QPrintPreviewWidget*>();
            QVERIFY(preview);
            preview->updatePreview();
            shown = preview->pageCount();
            d->reject();
        });
        run(previewCommand);
        QCOMPARE(dialogName, QStringLiteral("dlgpregled"));
        QCOMPARE(shown, pages);
    }
};

KVR_TEST_MAIN(TestExports)
#include "test_exports.moc"
