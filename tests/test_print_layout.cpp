#include "testutil.h"

#include "core/listlayout.h"
#include "core/prizes.h"
#include "recordingsurface.h"
#include "core/texts.h"
#include "core/texts_rules.h"

#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTreeView>
#include <QTreeWidget>

using print::Document;
using print::ListFormat;
using print::RecordingSurface;
using testutil::TempDb;

Q_DECLARE_METATYPE(print::ListFormat)

namespace {

const print::RaceHeader raceHeader{QStringLiteral("Zagrebački maraton"), QStringLiteral("AK Kelvora"),
                                   QStringLiteral("12.10.2025")};
const QString standingsTitle = QStringLiteral("Ukupni poredak");

// Rows shaped like the start list view: running number, start number, name,
// country, club, sex, date of birth, key.
QList<QStringList> startRows(int count)
{
    QList<QStringList> rows;
    for (int i = 1; i <= count; ++i)
        rows.append({QString::number(i), QString::number(100 + i), QStringLiteral("Natjecatelj %1").arg(i),
                     QStringLiteral("HRV"), QStringLiteral("AK Split"), QStringLiteral("M"),
                     QStringLiteral("01.02.1980"), QString::number(i)});
    return rows;
}

// Rows shaped like the standings view: place, start number, name, country,
// club, sex, category, year of birth, time, key.
QList<QStringList> standingsRows(int count)
{
    QList<QStringList> rows;
    for (int i = 1; i <= count; ++i)
        rows.append({QString::number(i), QString::number(100 + i), QStringLiteral("Natjecatelj %1").arg(i),
                     QStringLiteral("HRV"), QStringLiteral("AK Split"), QStringLiteral("Ž"), QStringLiteral("30-34"),
                     QStringLiteral("1990"), QStringLiteral("01:%1:00").arg(i % 60, 2, 10, QLatin1Char('0')),
                     QString::number(i)});
    return rows;
}

QStringList texts(const print::Page& page)
{
    QStringList out;
    for (const print::Line& line : page)
        out.append(line.text);
    return out;
}

QString blanks(int n)
{
    return QString(n, QLatin1Char(' '));
}

// A recorder that presses Cancel on the window's progress dialog when the
// given page is done; it notes whether the dialog was there.
class CancellingSurface : public RecordingSurface {
public:
    CancellingSurface(QWidget* window, int cancelAfter)
        : m_window(window)
        , m_cancelAfter(cancelAfter)
    {
    }
    void newPage() override
    {
        auto* dialog = m_window->findChild<QProgressDialog*>(QStringLiteral("dlgispis"));
        sawProgress = sawProgress || (dialog && dialog->isVisible());
        if (dialog && pageNumber() == m_cancelAfter)
            dialog->cancel();
        RecordingSurface::newPage();
    }
    bool sawProgress = false;

private:
    QWidget* m_window;
    int m_cancelAfter;
};

} // namespace

class TestPrintLayout : public QObject {
    Q_OBJECT

private:
    // A window with a current race whose start list holds these entries
    // (start number, name), and a recorder in place of the printer.
    struct Fixture {
        TempDb tmp;
        frmkelvora w{tmp.path()};
        std::shared_ptr<RecordingSurface> recorder = std::make_shared<RecordingSurface>();
        int jobs = 0;
        QString jobName;

        Fixture()
        {
            w.setPrintSurfaceFactory([this](const QString& name) {
                ++jobs;
                jobName = name;
                return recorder;
            });
        }
        void race(const QList<std::pair<QString, QString>>& entries)
        {
            testutil::makeCurrentRace(w, QStringLiteral("Zagrebački maraton"), QDate(2025, 10, 12));
            for (const auto& [number, name] : entries)
                testutil::addCompetitor(w, number, name, QStringLiteral("Ž"), QDate(1988, 12, 23));
        }
        QTreeView* lsv1() { return testutil::find<QTreeView>(&w, "lsv1"); }
        // The printed rows: every line after the ten header lines that is not
        // the empty line or the footer of a page break.
        QStringList printedRows()
        {
            QStringList rows;
            for (const print::Page& page : recorder->pages()) {
                for (qsizetype i = 10; i < page.size(); ++i) {
                    if (!page.at(i).text.trimmed().isEmpty() && page.at(i).text.size() > 20)
                        rows.append(page.at(i).text);
                }
            }
            return rows;
        }
    };

    static QList<std::pair<QString, QString>> fiveEntriesTwoNumbered()
    {
        return {{"", "Ana Anić"}, {"7", "Iva Ivić"}, {"", "Eva Ević"}, {"12", "Maja Majić"}, {"", "Ema Emić"}};
    }

private slots:
    void init() { MessageBox::clearShown(); }

    // The prize list: each prize category's name bold, with a rule above it
    // unless it opens the page; "Nema rezultata" and the winners plain rows.
    void prizeListHeadings()
    {
        const QList<QStringList> rows{{"", "", "Apsolutno", "", "", ""},
                                      {"1", "7", "Ana Anić", "AK Split", "F40", "00:40:00"},
                                      {"", "", "Veterani", "", "", ""},
                                      {"", "", tx::prizeListNone(), "", "", ""}};
        const Document doc = print::layoutList(rows, raceHeader, prizes::printFormat());
        const print::Page& page = doc.pages.at(0);
        // The lines after the headings and their underline.
        qsizetype at = 0;
        while (at < page.size() && !page.at(at).text.contains(QStringLiteral("Ime i prezime")))
            ++at;
        QStringList bold, body;
        for (at += 2; at < page.size(); ++at)
            (page.at(at).bold ? bold : body).append(page.at(at).text.trimmed());
        QCOMPARE(bold, (QStringList{"Apsolutno", "Veterani"}));
        QCOMPARE(body.size(), 3); // Ana, the rule above "Veterani", "Nema rezultata"
        QVERIFY(body.at(0).contains(QStringLiteral("Ana Anić")));
        QVERIFY(body.at(1).startsWith(QStringLiteral("_____")));
        QCOMPARE(body.at(2), tx::prizeListNone());
    }

    // ---- The layout ----------------------------------------------------------------

    void headerLines_data()
    {
        QTest::addColumn<ListFormat>("format");
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<int>("page");
        QTest::addColumn<QStringList>("expected");

        const QString race4 = QStringLiteral("    Ime utrke:          Zagrebački maraton");
        const QString org4 = QStringLiteral("    Organizacija utrke: AK Kelvora");
        const QString date4 = QStringLiteral("    Datum utrke:        12.10.2025");
        const QString headings4 = QStringLiteral("    Por.   St.br. Prezime i ime             Država          "
                                                 "Klub            Spol Dat. rođ.  ");
        const QString underline4 = blanks(4) + QString(87, QLatin1Char('_'));
        for (int page : {1, 2}) {
            QTest::addRow("start list page %d", page)
                << print::startListFormat() << startRows(70) << page
                << QStringList{"", "", race4, org4, date4, "",
                               QStringLiteral("    Ispis Startne liste. Stranica br.  %1 ").arg(page), "", headings4,
                               underline4};
        }
        QTest::newRow("registered page 1")
            << print::registeredListFormat() << startRows(70) << 1
            << QStringList{"", "", race4, org4, date4, "",
                           QStringLiteral("    Ispis liste prijavljenih takmičara. Stranica br.  1 "), "", headings4,
                           underline4};
        QTest::newRow("registered page 2")
            << print::registeredListFormat() << startRows(70) << 2
            << QStringList{"", "", race4, org4, date4, "",
                           QStringLiteral("    Ispis Liste prijavljenih takmičara Stranica br.  2 "), "", headings4,
                           underline4};

        const QString tail = QStringLiteral("St.br. Prezime i ime             Država          Klub            "
                                            "Spol Kateg.    God. rođ.  Vrijeme  ");
        QTest::newRow("standings page 1")
            << print::standingsFormat(standingsTitle) << standingsRows(45) << 1
            << QStringList{"", "", blanks(8) + race4, blanks(8) + org4, blanks(8) + date4, "",
                           blanks(12) + QStringLiteral("Ispis Ciljne liste - Ukupni poredak  Stranica br.  1 "), "",
                           blanks(12) + QStringLiteral("Por.   ") + tail, blanks(12) + QString(106, QLatin1Char('_'))};
        QTest::newRow("standings page 2")
            << print::standingsFormat(standingsTitle) << standingsRows(45) << 2
            << QStringList{"", "", blanks(8) + race4, blanks(8) + org4, blanks(8) + date4, "",
                           blanks(12) + QStringLiteral("Ispis Ciljne liste - Ukupni poredak  Stranica br.  2 "), "",
                           blanks(12) + QStringLiteral("R.br.  ") + tail, blanks(12) + QString(110, QLatin1Char('_'))};
    }

    void headerLines()
    {
        QFETCH(ListFormat, format);
        QFETCH(QList<QStringList>, rows);
        QFETCH(int, page);
        QFETCH(QStringList, expected);
        const Document doc = print::layoutList(rows, raceHeader, format);
        QVERIFY(doc.pages.size() >= page);
        const print::Page& p = doc.pages.at(page - 1);
        QCOMPARE(texts(p.mid(0, 10)), expected);
        for (int i = 0; i < 10; ++i)
            QCOMPARE(p.at(i).bold, i == 6);
        for (qsizetype i = 10; i < p.size(); ++i)
            QVERIFY(!p.at(i).bold);
    }

    void rowLine_data()
    {
        QTest::addColumn<ListFormat>("format");
        QTest::addColumn<int>("position");
        QTest::addColumn<QStringList>("row");
        QTest::addColumn<QString>("expected");

        const QStringList ana{"1", "7", "Ana Horvat", "HRV", "AK Split", "Ž", "23.12.1988", "5"};
        //                              1234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901
        QTest::newRow("start list, one-digit number")
            << print::startListFormat() << 9 << ana
            << QStringLiteral("        9  7      Ana Horvat                HRV             AK Split        Ž    23.12.1988");
        QTest::newRow("start list, two-digit number")
            << print::startListFormat() << 10 << ana
            << QStringLiteral("       10  7      Ana Horvat                HRV             AK Split        Ž    23.12.1988");
        QTest::newRow("values with blanks around them keep the columns")
            << print::startListFormat() << 1
            << QStringList{"1", " 123456 ", "  Ana Horvat  ", " HRV", "AK Split ", " Ž ", " 23.12.1988 ", "5"}
            << QStringLiteral("        1  123456 Ana Horvat                HRV             AK Split        Ž    23.12.1988");
        QTest::newRow("values longer than their columns are cut")
            << print::startListFormat() << 1
            << QStringList{"1", "1234567", "Ana Marija Horvat Kovačević Jurić", "Republika Hrvatska",
                           "Atletski klub Split", "Ž", "23.12.1988.", "5"}
            << QStringLiteral("        1  123456 Ana Marija Horvat Kovačev Republika Hrvat Atletski klub S Ž    23.12.1988");
        QTest::newRow("letters with separate accents count as one character")
            << print::startListFormat() << 1
            << QStringList{"1", "7", QStringLiteral("Iva Ivic\u0301"), "HRV", QStringLiteral("AK C\u030Cakovec"),
                           QStringLiteral("Z\u030C"), "23.12.1988", "5"}
            << QStringLiteral("        1  7      Iva Ivić                  HRV             AK Čakovec      Ž    23.12.1988");
        QTest::newRow("registered, no start number")
            << print::registeredListFormat() << 3 << QStringList{"3", "", "Ana Horvat", "HRV", "AK Split", "Ž",
                                                                 "23.12.1988", "5"}
            << QStringLiteral("        3         Ana Horvat                HRV             AK Split        Ž    23.12.1988");
        //                                  123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789012345678
        QTest::newRow("standings")
            << print::standingsFormat(standingsTitle) << 99
            << QStringList{"6", "101", "Iva Ivić", "SLO", "AK Maribor", "Ž", "70 i više", "1950", "02:12:45", "9"}
            << QStringLiteral("                6  101    Iva Ivić                  SLO             AK Maribor      Ž    "
                              "70 i više 1950       02:12:45");
        QTest::newRow("standings, place from the list, cut to its column")
            << print::standingsFormat(standingsTitle) << 1
            << QStringList{" 123456", "101", "Iva Ivić", "SLO", "AK Maribor", "Ž", "do 18", "2010", "00:59:59", "9"}
            << QStringLiteral("            12345  101    Iva Ivić                  SLO             AK Maribor      Ž    "
                              "do 18     2010       00:59:59");
    }

    void rowLine()
    {
        QFETCH(ListFormat, format);
        QFETCH(int, position);
        QFETCH(QStringList, row);
        QFETCH(QString, expected);
        // The row is the position-th one printed; the earlier ones are copies.
        const QList<QStringList> rows(position, row);
        const Document doc = print::layoutList(rows, raceHeader, format);
        const print::Page& page = doc.pages.last();
        const QString line = page.at(page.size() - 1).text;
        QCOMPARE(line, expected);
    }

    void rowPositions()
    {
        // Start list: running number in 5-9, start number in 12-17, name from
        // 19, country from 45, club from 61, sex at 77, date of birth in 82-91.
        const QString start = print::layoutList(startRows(1), raceHeader, print::startListFormat()).pages[0][10].text;
        QCOMPARE(start.size(), 91);
        QCOMPARE(start.mid(4, 5), QStringLiteral("    1"));
        QCOMPARE(start.mid(11, 6), QStringLiteral("101   "));
        QCOMPARE(start.mid(18, 25), QStringLiteral("Natjecatelj 1            "));
        QCOMPARE(start.mid(44, 15), QStringLiteral("HRV            "));
        QCOMPARE(start.mid(60, 15), QStringLiteral("AK Split       "));
        QCOMPARE(start.mid(76, 4), QStringLiteral("M   "));
        QCOMPARE(start.mid(81, 10), QStringLiteral("01.02.1980"));

        // Standings: place in 13-17, start number from 20, name from 27, sex
        // at 85, category from 90, year of birth from 100, time in 111-118.
        const QString standings =
            print::layoutList(standingsRows(1), raceHeader, print::standingsFormat(standingsTitle)).pages[0][10].text;
        QCOMPARE(standings.size(), 118);
        QCOMPARE(standings.left(17), blanks(16) + QStringLiteral("1"));
        QCOMPARE(standings.mid(19, 6), QStringLiteral("101   "));
        QCOMPARE(standings.mid(26, 13), QStringLiteral("Natjecatelj 1"));
        QCOMPARE(standings.mid(84, 4), QStringLiteral("Ž   "));
        QCOMPARE(standings.mid(89, 9), QStringLiteral("30-34    "));
        QCOMPARE(standings.mid(99, 10), QStringLiteral("1990      "));
        QCOMPARE(standings.mid(110, 8), QStringLiteral("01:01:00"));
    }

    void pageBreaks_data()
    {
        QTest::addColumn<ListFormat>("format");
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<QList<int>>("rowsOnPages");

        QTest::newRow("1 row") << print::startListFormat() << startRows(1) << QList<int>{1};
        QTest::newRow("60 rows: one full page, no header-only page")
            << print::startListFormat() << startRows(60) << QList<int>{60};
        QTest::newRow("61 rows") << print::startListFormat() << startRows(61) << QList<int>{60, 1};
        QTest::newRow("120 rows") << print::registeredListFormat() << startRows(120) << QList<int>{60, 60};
        QTest::newRow("121 rows") << print::registeredListFormat() << startRows(121) << QList<int>{60, 60, 1};
        QTest::newRow("40 standings rows") << print::standingsFormat(standingsTitle) << standingsRows(40)
                                           << QList<int>{40};
        QTest::newRow("45 standings rows") << print::standingsFormat(standingsTitle) << standingsRows(45)
                                           << QList<int>{40, 5};
        QTest::newRow("80 standings rows") << print::standingsFormat(standingsTitle) << standingsRows(80)
                                           << QList<int>{40, 40};
    }

    void pageBreaks()
    {
        QFETCH(ListFormat, format);
        QFETCH(QList<QStringList>, rows);
        QFETCH(QList<int>, rowsOnPages);

        const Document doc = print::layoutList(rows, raceHeader, format);
        QCOMPARE(doc.pages.size(), rowsOnPages.size());
        QCOMPARE(print::pageCount(rows.size(), format.rowsPerPage), rowsOnPages.size());
        const QString indent(format.indent, QLatin1Char(' '));
        int first = 1;
        for (int p = 0; p < doc.pages.size(); ++p) {
            const print::Page& page = doc.pages.at(p);
            const int onPage = rowsOnPages.at(p);
            const bool full = onPage == format.rowsPerPage;
            QCOMPARE(page.size(), 10 + onPage + (full ? 2 : 0));
            // The first and last row of the page carry the running numbers
            // (or places) that continue across pages.
            QCOMPARE(page.at(10).text.mid(format.indent, 5).trimmed(), QString::number(first));
            QCOMPARE(page.at(9 + onPage).text.mid(format.indent, 5).trimmed(), QString::number(first + onPage - 1));
            if (full) {
                QCOMPARE(page.at(10 + onPage).text, QString());
                QCOMPARE(page.at(11 + onPage).text, indent + QStringLiteral(" %1 ").arg(p + 1));
            }
            first += onPage;
        }
    }

    void pageCount_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("perPage");
        QTest::addColumn<int>("pages");
        QTest::newRow("1/60") << 1 << 60 << 1;
        QTest::newRow("59/60") << 59 << 60 << 1;
        QTest::newRow("60/60") << 60 << 60 << 1;
        QTest::newRow("61/60") << 61 << 60 << 2;
        QTest::newRow("120/60") << 120 << 60 << 2;
        QTest::newRow("20000/60") << 20000 << 60 << 334;
        QTest::newRow("40/40") << 40 << 40 << 1;
        QTest::newRow("41/40") << 41 << 40 << 2;
    }

    void pageCount()
    {
        QFETCH(int, rows);
        QFETCH(int, perPage);
        QFETCH(int, pages);
        QCOMPARE(print::pageCount(rows, perPage), pages);
    }

    void titleLineBreakPrintedAsBlank()
    {
        const QString title = tx::titleCategoryWomen() + tx::titleCategorySuffix(QStringLiteral("30-34"));
        const Document doc = print::layoutList(standingsRows(3), raceHeader, print::standingsFormat(title));
        QCOMPARE(doc.pages.size(), 1);
        QCOMPARE(doc.pages[0].size(), 13);
        QCOMPARE(doc.pages[0][6],
                 (print::Line{blanks(12) + QStringLiteral("Ispis Ciljne liste - Ukupni poredak žene kategorija: 30-34 "
                                                          "god.  Stranica br.  1 "),
                              true}));
    }

    // ---- Printing on the surface ------------------------------------------------------

    void printDocumentDrivesTheSurface_data()
    {
        QTest::addColumn<ListFormat>("format");
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<int>("orientation");
        QTest::newRow("start list") << print::startListFormat() << startRows(130) << int(print::Orientation::Portrait);
        QTest::newRow("standings") << print::standingsFormat(standingsTitle) << standingsRows(85)
                                   << int(print::Orientation::Landscape);
    }

    void printDocumentDrivesTheSurface()
    {
        QFETCH(ListFormat, format);
        QFETCH(QList<QStringList>, rows);
        QFETCH(int, orientation);
        const Document doc = print::layoutList(rows, raceHeader, format);
        RecordingSurface surface;
        print::printDocument(surface, doc);
        QCOMPARE(int(surface.orientation()), orientation);
        QCOMPARE(surface.orientationChanges(), 1);
        QCOMPARE(surface.fontFamily(), QStringLiteral("Courier New CE"));
        QCOMPARE(surface.fontPointSize(), 10);
        QCOMPARE(surface.pages(), doc.pages); // bold exactly on the title lines
        QCOMPARE(surface.pageNumber(), 3);
        QVERIFY(!surface.bold());
        QCOMPARE(surface.endCount(), 1);
        QCOMPARE(surface.callsAfterEnd(), 0);
        QVERIFY(surface.lastError().isEmpty());
    }

    void failingOperationDoesNotStopTheJob()
    {
        const Document doc = print::layoutList(startRows(130), raceHeader, print::startListFormat());
        RecordingSurface surface;
        surface.failOn(RecordingSurface::Operation::NewPage, QStringLiteral("Nema papira."));
        print::printDocument(surface, doc);
        QCOMPARE(surface.pages(), doc.pages);
        QCOMPARE(surface.endCount(), 1);
        QCOMPARE(surface.lastError(), QStringLiteral("Nema papira."));
    }

    // ---- The three commands ----------------------------------------------------------

    void startListPrintsNumberedEntriesOnly_data()
    {
        QTest::addColumn<bool>("fromMenu");
        QTest::newRow("cmdispis") << false;
        QTest::newRow("mnuispisstartne") << true;
    }

    void startListPrintsNumberedEntriesOnly()
    {
        QFETCH(bool, fromMenu);
        Fixture f;
        f.race(fiveEntriesTwoNumbered());
        MessageBox::setNextAnswer(QMessageBox::Yes);
        if (fromMenu)
            testutil::trigger(&f.w, "mnuispisstartne");
        else
            testutil::find<QPushButton>(&f.w, "cmdispis")->click();

        QCOMPARE(MessageBox::shown().size(), 1);
        const MessageBox::Shown asked = MessageBox::last();
        QCOMPARE(asked.title, QStringLiteral("Ispis Startne liste!"));
        QCOMPARE(asked.text, QStringLiteral("Broj stranica: 1 Ispis Startne liste?"));
        QCOMPARE(asked.icon, QMessageBox::Question);
        QCOMPARE(asked.buttons, QMessageBox::Yes | QMessageBox::No);

        QCOMPARE(f.jobs, 1);
        QCOMPARE(f.jobName, QStringLiteral("Startna lista"));
        QCOMPARE(f.recorder->pages().size(), 1);
        const print::Page& page = f.recorder->pages().at(0);
        QCOMPARE(page.size(), 12);
        QCOMPARE(page.at(2).text, QStringLiteral("    Ime utrke:          Zagrebački maraton"));
        QCOMPARE(page.at(3).text, QStringLiteral("    Organizacija utrke: AK Kelvora"));
        QCOMPARE(page.at(4).text, QStringLiteral("    Datum utrke:        12.10.2025"));
        QCOMPARE(page.at(10).text,
                 QStringLiteral("        1  7      Iva Ivić                  HRV             AK Split        Ž    23.12.1988"));
        QCOMPARE(page.at(11).text.left(28), QStringLiteral("        2  12     Maja Majić"));
        QCOMPARE(f.recorder->orientation(), print::Orientation::Portrait);
        QVERIFY(f.recorder->ended());
    }

    void refusalsPrintNothing_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("numbered");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("start list: empty list, silent") << "cmdispis" << false << QStringList{};
        QTest::newRow("registered: empty list, silent") << "mnuispisprijavljenih" << false << QStringList{};
        QTest::newRow("start list: answered No")
            << "cmdispis" << true << QStringList{"Broj stranica: 1 Ispis Startne liste?"};
        QTest::newRow("registered: answered No")
            << "mnuispisprijavljenih" << true << QStringList{"Broj stranica: 1 Ispis Liste prijavljenih takmičara?"};
    }

    void refusalsPrintNothing()
    {
        QFETCH(QString, command);
        QFETCH(bool, numbered);
        QFETCH(QStringList, messages);
        Fixture f;
        f.race(numbered ? fiveEntriesTwoNumbered() : QList<std::pair<QString, QString>>{});
        if (command.startsWith(QLatin1String("mnu")))
            testutil::trigger(&f.w, command);
        else
            testutil::find<QPushButton>(&f.w, command)->click();
        QStringList shown;
        for (const MessageBox::Shown& s : MessageBox::shown())
            shown.append(s.text);
        QCOMPARE(shown, messages);
        QCOMPARE(f.jobs, 0);
    }

    void startListWithoutStartNumbers()
    {
        Fixture f;
        f.race({{"", "Ana Anić"}, {"  ", "Iva Ivić"}});
        MessageBox::setNextAnswer(QMessageBox::Yes);
        testutil::find<QPushButton>(&f.w, "cmdispis")->click();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::last().text,
                 QStringLiteral("Nema unešenog startnog broja takmičara a samim tim nitko nije na startnoj listi!"));
        QCOMPARE(MessageBox::last().icon, QMessageBox::NoIcon);
        QCOMPARE(MessageBox::last().title, QStringLiteral("Kelvora"));
        QCOMPARE(f.jobs, 0);
    }

    void registeredListPrintsEveryEntry()
    {
        Fixture f;
        f.race(fiveEntriesTwoNumbered());
        MessageBox::setNextAnswer(QMessageBox::Yes);
        testutil::trigger(&f.w, "mnuispisprijavljenih");
        QCOMPARE(MessageBox::last().title, QStringLiteral("Ispis Liste prijavljenih takmičara!"));
        QCOMPARE(MessageBox::last().text, QStringLiteral("Broj stranica: 1 Ispis Liste prijavljenih takmičara?"));
        QCOMPARE(MessageBox::last().icon, QMessageBox::Question);
        QCOMPARE(f.jobName, QStringLiteral("Lista prijavljenih"));
        const QStringList rows = f.printedRows();
        QCOMPARE(rows.size(), 5);
        const QStringList names{"Ana Anić", "Iva Ivić", "Eva Ević", "Maja Majić", "Ema Emić"};
        const QStringList numbers{"", "7", "", "12", ""};
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(rows.at(i).mid(4, 5), QStringLiteral("%1").arg(i + 1, 5));
            QCOMPARE(rows.at(i).mid(11, 6), numbers.at(i).leftJustified(6));
            QCOMPARE(rows.at(i).mid(18, 25).trimmed(), names.at(i));
        }
        QCOMPARE(f.recorder->pages().at(0).at(6).text,
                 QStringLiteral("    Ispis liste prijavljenih takmičara. Stranica br.  1 "));
    }

    void questionCountsThePagesPrinted_data()
    {
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("pages");
        QTest::newRow("60") << 60 << 1;
        QTest::newRow("61") << 61 << 2;
        QTest::newRow("120") << 120 << 2;
    }

    void questionCountsThePagesPrinted()
    {
        QFETCH(int, entries);
        QFETCH(int, pages);
        Fixture f;
        QList<std::pair<QString, QString>> list;
        for (int i = 1; i <= entries; ++i)
            list.append({QString::number(i), QStringLiteral("Natjecatelj %1").arg(i)});
        f.race(list);
        MessageBox::setNextAnswer(QMessageBox::Yes);
        testutil::find<QPushButton>(&f.w, "cmdispis")->click();
        QCOMPARE(MessageBox::last().text, QStringLiteral("Broj stranica: %1 Ispis Startne liste?").arg(pages));
        QCOMPARE(f.recorder->pages().size(), pages);
        QCOMPARE(f.printedRows().size(), entries);
    }

    void printedOrderFollowsTheView()
    {
        Fixture f;
        f.race({{"3", "Cvita Cvitić"}, {"1", "Ana Anić"}, {"", "Dora Dorić"}, {"2", "Bruna Brunić"}});
        f.lsv1()->model()->sort(2, Qt::DescendingOrder);
        MessageBox::setNextAnswer(QMessageBox::Yes);
        testutil::find<QPushButton>(&f.w, "cmdispis")->click();
        const QStringList rows = f.printedRows();
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows.at(0).left(30), QStringLiteral("        1  3      Cvita Cvitić"));
        QCOMPARE(rows.at(1).left(30), QStringLiteral("        2  2      Bruna Brunić"));
        QCOMPARE(rows.at(2).left(26), QStringLiteral("        3  1      Ana Anić"));
    }

    void standingsPrintout()
    {
        Fixture f;
        f.race({});
        const QString title = tx::titleCategoryMen() + tx::titleCategorySuffix(QStringLiteral("40-44"));
        testutil::find<QLabel>(&f.w, "lblizvjestaj")->setText(title);
        QList<standings::StandingsRow> rows;
        for (const QStringList& t : standingsRows(45))
            rows.append({t[0].toInt(), t[1], t[2], t[3], t[4], t[5], t[6], t[7], t[8], t[9].toLongLong()});
        f.w.session().standingsModel()->setRows(rows);

        MessageBox::setNextAnswer(QMessageBox::Yes);
        testutil::find<QPushButton>(&f.w, "cmdispisiz")->click();
        QCOMPARE(MessageBox::last().title, QStringLiteral("Ispis tražene liste!"));
        QCOMPARE(MessageBox::last().text, QStringLiteral("Broj stranica: 2 Ispis tražene liste?"));
        QCOMPARE(MessageBox::last().icon, QMessageBox::Question);
        QCOMPARE(f.jobName, QStringLiteral("Poredak"));
        QCOMPARE(f.recorder->orientation(), print::Orientation::Landscape);
        QCOMPARE(f.recorder->pages().size(), 2);
        QCOMPARE(f.recorder->pages()[0].size(), 52);
        QCOMPARE(f.recorder->pages()[1].size(), 15);
        QCOMPARE(f.recorder->pages()[1][6].text,
                 blanks(12) + QStringLiteral("Ispis Ciljne liste - Ukupni poredak muškarci kategorija: 40-44 god.  "
                                             "Stranica br.  2 "));
        QCOMPARE(f.recorder->pages()[1][10].text.left(26), blanks(15) + QStringLiteral("41  141    "));
    }

    void standingsEmptyIsSilent()
    {
        Fixture f;
        testutil::find<QLabel>(&f.w, "lblizvjestaj")->setText(tx::noStandingsRows());
        testutil::find<QPushButton>(&f.w, "cmdispisiz")->click();
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(f.jobs, 0);
    }

    void printerFailureReportedAfterTheJob()
    {
        Fixture f;
        f.race(fiveEntriesTwoNumbered());
        f.recorder->failOn(RecordingSurface::Operation::Line, QStringLiteral("Pisaču je nestalo papira."));
        MessageBox::setNextAnswer(QMessageBox::Yes);
        testutil::find<QPushButton>(&f.w, "cmdispis")->click();
        QCOMPARE(MessageBox::shown().size(), 2);
        QCOMPARE(MessageBox::last().text, QStringLiteral("Pisaču je nestalo papira."));
        QCOMPARE(MessageBox::last().icon, QMessageBox::NoIcon);
        QCOMPARE(f.printedRows().size(), 2);
        QVERIFY(f.recorder->ended());
    }

    // A printer that turns the job away is named in one question; Yes writes
    // the job to a PDF file beside the database, No leaves it.
    void refusedJobOffersPdf_data()
    {
        QTest::addColumn<bool>("toFile");
        QTest::newRow("Yes: PDF file") << true;
        QTest::newRow("No") << false;
    }

    void refusedJobOffersPdf()
    {
        QFETCH(bool, toFile);
        Fixture f;
        f.race(fiveEntriesTwoNumbered());
        f.recorder->refuseJob(QStringLiteral("Ured-1"));
        MessageBox::setNextAnswer(QMessageBox::Yes);
        MessageBox::setNextAnswer(toFile ? QMessageBox::Yes : QMessageBox::No);
        testutil::find<QPushButton>(&f.w, "cmdispis")->click();

        const QList<MessageBox::Shown> shown = MessageBox::shown();
        QCOMPARE(shown.size(), toFile ? 3 : 2);
        QCOMPARE(shown.at(1).text, tx::printerRefusesJobs(QStringLiteral("Ured-1")));
        QCOMPARE(shown.at(1).buttons, QMessageBox::Yes | QMessageBox::No);
        const QStringList pdfs = QDir(f.tmp.dir()).entryList({QStringLiteral("*.pdf")}, QDir::Files);
        QCOMPARE(pdfs.size(), toFile ? 1 : 0);
        if (!toFile)
            return;
        const QString pdf = QDir(f.tmp.dir()).filePath(pdfs.first());
        QVERIFY(pdfs.first().startsWith(tx::printFileStartList()));
        QVERIFY(QFileInfo(pdf).size() > 0);
        QCOMPARE(shown.at(2).text, tx::printSavedToFile(QDir::toNativeSeparators(pdf)));
    }

    // A cancel after page N leaves N pages printed, and the job dropped
    // rather than ended.
    void cancelStopsTheJob_data()
    {
        QTest::addColumn<int>("cancelAfter");
        for (int n : {1, 2, 4, 5})
            QTest::newRow(qPrintable(QString::number(n))) << n;
    }

    void cancelStopsTheJob()
    {
        QFETCH(int, cancelAfter);
        const Document doc = print::layoutList(startRows(290), raceHeader, print::startListFormat());
        QCOMPARE(doc.pages.size(), 5);
        RecordingSurface surface;
        QList<int> told;
        surface.setProgress([&](int done) {
            told.append(done);
            return done < cancelAfter;
        });
        print::printDocument(surface, doc);
        QCOMPARE(told.size(), cancelAfter);
        QCOMPARE(told.last(), cancelAfter);
        QVERIFY(surface.cancelled());
        QVERIFY(surface.aborted());
        QVERIFY(!surface.ended());
        QCOMPARE(surface.pages().size(), cancelAfter);
        QCOMPARE(surface.pages(), doc.pages.mid(0, cancelAfter));
    }

    // A job of more than three pages shows a progress dialog whose Cancel
    // stops it: nothing more is printed and nothing is reported.
    void progressDialogCancels_data()
    {
        QTest::addColumn<int>("entries");
        QTest::addColumn<bool>("progress");
        QTest::addColumn<int>("pages");
        QTest::newRow("3 pages, no dialog") << 180 << false << 3;
        QTest::newRow("5 pages, cancel after 2") << 300 << true << 2;
    }

    void progressDialogCancels()
    {
        QFETCH(int, entries);
        QFETCH(bool, progress);
        QFETCH(int, pages);
        Fixture f;
        QList<std::pair<QString, QString>> list;
        for (int i = 1; i <= entries; ++i)
            list.append({QString::number(i), QStringLiteral("Natjecatelj %1").arg(i)});
        f.race(list);
        auto surface = std::make_shared<CancellingSurface>(&f.w, 2);
        f.recorder = surface;
        MessageBox::setNextAnswer(QMessageBox::Yes);
        testutil::find<QPushButton>(&f.w, "cmdispis")->click();

        QCOMPARE(surface->sawProgress, progress);
        QCOMPARE(surface->pages().size(), pages);
        QCOMPARE(surface->ended(), !progress);
        QCOMPARE(MessageBox::shown().size(), 1); // the question only
    }

    void jobWrittenToFileIsNoticed()
    {
        Fixture f;
        f.race(fiveEntriesTwoNumbered());
        f.recorder->setOutputFile(QStringLiteral("/tmp/Startna lista.pdf"));
        MessageBox::setNextAnswer(QMessageBox::Yes);
        testutil::find<QPushButton>(&f.w, "cmdispis")->click();
        QCOMPARE(MessageBox::last().text,
                 QStringLiteral("Nema instaliranog pisača. Ispis je spremljen u datoteku:\n/tmp/Startna lista.pdf"));
    }
};

KVR_TEST_MAIN(TestPrintLayout)
#include "test_print_layout.moc"
