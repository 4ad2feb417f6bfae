// The printouts through Qt's printer into PDF files, read back with
// pdftotext and compared with what the recorder receives.

#include "testutil.h"

#include "core/listlayout.h"
#include "print/qtprintsurface.h"
#include "pdftext.h"
#include "recordingsurface.h"
#include "core/texts.h"

#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTreeView>
#include <QTreeWidget>

using testutil::TempDb;

Q_DECLARE_METATYPE(print::ListFormat)

namespace {

const print::RaceHeader raceHeader{QStringLiteral("Zagrebački maraton"), QStringLiteral("AK Kelvora"),
                                   QStringLiteral("12.10.2025")};

QList<QStringList> startRows(int count)
{
    QList<QStringList> rows;
    for (int i = 1; i <= count; ++i)
        rows.append({QString::number(i), QString::number(100 + i), QStringLiteral("Šimić Đurđica %1").arg(i),
                     QStringLiteral("Hrvatska"), QStringLiteral("AK Čakovec"), QStringLiteral("Ž"),
                     QStringLiteral("01.02.1980"), QString::number(i)});
    return rows;
}

QList<QStringList> standingsRows(int count)
{
    QList<QStringList> rows;
    for (int i = 1; i <= count; ++i)
        rows.append({QString::number(i), QString::number(100 + i), QStringLiteral("Žarko Ćosić %1").arg(i),
                     QStringLiteral("Slovenija"), QStringLiteral("AK Maribor"), QStringLiteral("M"),
                     QStringLiteral("70 i više"), QStringLiteral("1950"),
                     QStringLiteral("02:%1:00").arg(i % 60, 2, 10, QLatin1Char('0')), QString::number(i)});
    return rows;
}

using pdftext::asRead;
using pdftext::run;

struct Box {
    qreal pageWidth = 0;
    qreal pageHeight = 0;
    qreal left = 1e9, top = 1e9, right = -1e9, bottom = -1e9; // of all words
};

// The paper of every page and the box around its words, in points.
QList<Box> textBoxes(const QString& path)
{
    const QString html = run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    static const QRegularExpression page(QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\""));
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\""));
    QList<Box> boxes;
    for (const QString& chunk : html.split(QStringLiteral("</page>"))) {
        const auto p = page.match(chunk);
        if (!p.hasMatch())
            continue;
        Box box{p.captured(1).toDouble(), p.captured(2).toDouble()};
        for (auto it = word.globalMatch(chunk); it.hasNext();) {
            const auto w = it.next();
            box.left = std::min(box.left, w.captured(1).toDouble());
            box.top = std::min(box.top, w.captured(2).toDouble());
            box.right = std::max(box.right, w.captured(3).toDouble());
            box.bottom = std::max(box.bottom, w.captured(4).toDouble());
        }
        boxes.append(box);
    }
    return boxes;
}

// The PDF shows the recorder's pages line for line.
void compareWithRecorder(const QString& pdf, const QList<print::Page>& recorded)
{
    const QList<QStringList> pages = pdftext::pages(pdf);
    QCOMPARE(pages.size(), recorded.size());
    for (int p = 0; p < pages.size(); ++p)
        QCOMPARE(asRead(pages.at(p)), asRead(recorded.at(p)));
}

} // namespace

class TestPrintPdf : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QFAIL("pdftotext (poppler-utils) is needed to read the printed PDF files back");
    }

    void init() { MessageBox::clearShown(); }

    // Full pages are the tightest: ten header lines, all rows, the empty line
    // and the footer must land on their own page, inside the paper.
    void pdfMatchesRecorder_data()
    {
        QTest::addColumn<print::ListFormat>("format");
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<int>("paper");
        QTest::addColumn<int>("pages");

        const print::ListFormat start = print::startListFormat();
        const print::ListFormat standings =
            print::standingsFormat(tx::titleCategoryWomen() + tx::titleCategorySuffix(QStringLiteral("30-34")));
        for (auto [paper, name] : {std::pair{QPageSize::A4, "A4"}, std::pair{QPageSize::Letter, "Letter"}}) {
            QTest::addRow("start list, two pages, %s", name) << start << startRows(75) << int(paper) << 2;
            QTest::addRow("start list, two full pages, %s", name) << start << startRows(120) << int(paper) << 2;
            QTest::addRow("standings, two pages, %s", name) << standings << standingsRows(45) << int(paper) << 2;
            QTest::addRow("standings, two full pages, %s", name) << standings << standingsRows(80) << int(paper) << 2;
        }
    }

    void pdfMatchesRecorder()
    {
        QFETCH(print::ListFormat, format);
        QFETCH(QList<QStringList>, rows);
        QFETCH(int, paper);
        QFETCH(int, pages);

        const print::Document doc = print::layoutList(rows, raceHeader, format);
        print::RecordingSurface recorder;
        print::printDocument(recorder, doc);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("lista.pdf"));
        print::QtPrintSurface surface(path, QStringLiteral("Lista"), QPageSize(QPageSize::PageSizeId(paper)));
        print::printDocument(surface, doc);
        QVERIFY2(surface.lastError().isEmpty(), qPrintable(surface.lastError()));
        QCOMPARE(surface.pageNumber(), pages);
        QCOMPARE(surface.outputFile(), path);

        compareWithRecorder(path, recorder.pages());

        // Every word lies on the paper, in the page's orientation.
        const QList<Box> boxes = textBoxes(path);
        QCOMPARE(boxes.size(), pages);
        for (const Box& box : boxes) {
            QCOMPARE(box.pageWidth > box.pageHeight, format.orientation == print::Orientation::Landscape);
            QVERIFY(box.left >= 0);
            QVERIFY(box.top >= 0);
            QVERIFY2(box.right <= box.pageWidth, qPrintable(QString::number(box.right)));
            QVERIFY2(box.bottom <= box.pageHeight, qPrintable(QString::number(box.bottom)));
        }
    }

    // A line wider than the paper (a long list name in the title) makes the
    // font smaller on every page rather than running off the paper.
    void overlongLineShrinksTheFont()
    {
        const QString name = QStringLiteral("Nema takmičara po traženom upitu! ").repeated(5);
        const print::Document doc = print::layoutList(standingsRows(45), raceHeader, print::standingsFormat(name));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("lista.pdf"));
        print::QtPrintSurface surface(path, QStringLiteral("Lista"), QPageSize(QPageSize::A4));
        print::printDocument(surface, doc);
        QVERIFY(surface.lastError().isEmpty());
        const QList<Box> boxes = textBoxes(path);
        QCOMPARE(boxes.size(), 2);
        for (const Box& box : boxes) {
            QVERIFY(box.left >= 0 && box.top >= 0);
            QVERIFY2(box.right <= box.pageWidth, qPrintable(QString::number(box.right)));
            QVERIFY2(box.bottom <= box.pageHeight, qPrintable(QString::number(box.bottom)));
        }
        const QString text = run(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
        QCOMPARE(text.count(QStringLiteral("Stranica br.")), 2);
        QCOMPARE(text.count(QStringLiteral("Žarko Ćosić")), 45);
    }

    void fixedPitchFont()
    {
        const QString family = print::QtPrintSurface::resolveFamily(print::fontName());
        if (!QFontDatabase::hasFamily(print::fontName()))
            QCOMPARE(family, QStringLiteral("Liberation Mono"));
        QFont font(family);
        QVERIFY(QFontInfo(font).fixedPitch());
        QFont bold = font;
        bold.setBold(true);
        QCOMPARE(QFontMetricsF(bold).horizontalAdvance(QStringLiteral("Ž")),
                 QFontMetricsF(font).horizontalAdvance(QStringLiteral("W")));
        QVERIFY(QFontInfo(QFont(print::QtPrintSurface::resolveFamily(QStringLiteral("No Such Font Kvr"))))
                    .fixedPitch());
    }

    // A cancelled job leaves no file behind.
    void cancelledJobLeavesNoFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("lista.pdf"));
        print::QtPrintSurface surface(path, QStringLiteral("Lista"));
        int told = 0;
        surface.setProgress([&](int done) {
            told = done;
            return done < 2;
        });
        print::printDocument(surface, print::layoutList(startRows(290), raceHeader, print::startListFormat()));
        QCOMPARE(told, 2);
        QVERIFY(surface.cancelled());
        QVERIFY(surface.lastError().isEmpty());
        QVERIFY(!QFileInfo::exists(path));
    }

    // A printer's job is spooled whole: the print system gets it only
    // complete, never after a cancel; a refusing queue is told as before.
    void printerJobIsSpooledWhole_data()
    {
        QTest::addColumn<bool>("accepting");
        QTest::addColumn<int>("cancelAfter"); // 0: never
        QTest::addColumn<int>("submitOutcome"); // 0 taken, 1 refused, 2 failed
        QTest::addColumn<int>("submitted");
        QTest::newRow("complete job handed over once") << true << 0 << 0 << 1;
        QTest::newRow("cancel after the first page: nothing printed") << true << 1 << 0 << 0;
        QTest::newRow("queue not taking jobs: nothing painted") << false << 0 << 0 << 0;
        QTest::newRow("queue turns the job away") << true << 0 << 1 << 1;
        QTest::newRow("print system fails") << true << 0 << 2 << 1;
    }

    void printerJobIsSpooledWhole()
    {
        QFETCH(bool, accepting);
        QFETCH(int, cancelAfter);
        QFETCH(int, submitOutcome);
        QFETCH(int, submitted);
        const print::Document doc = print::layoutList(startRows(290), raceHeader, print::startListFormat());
        int handed = 0;
        QString spoolFile;
        print::PrintSystem system;
        system.acceptsJobs = [&](const QString& printer) { return printer == QStringLiteral("Pisač") && accepting; };
        system.submit = [&](const QString& printer, const QString& path, const QString& job) {
            ++handed;
            spoolFile = path;
            const print::Submitted result{submitOutcome == 1, submitOutcome == 2 ? QStringLiteral("cups") : QString()};
            return printer == QStringLiteral("Pisač") && job == QLatin1String("Lista") ? result : print::Submitted{};
        };
        QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF());
        print::QtPrintSurface surface(QStringLiteral("Pisač"), layout, QStringLiteral("Lista"), system);
        int painted = 0;
        surface.setProgress([&](int done) {
            painted = done;
            return cancelAfter == 0 || done < cancelAfter;
        });
        print::printDocument(surface, doc);

        QCOMPARE(handed, submitted);
        QCOMPARE(surface.cancelled(), cancelAfter > 0);
        QCOMPARE(painted, accepting ? (cancelAfter > 0 ? cancelAfter : 5) : 0);
        QCOMPARE(surface.jobRefused(), !accepting || submitOutcome == 1);
        QCOMPARE(surface.lastError().isEmpty(), submitOutcome != 2);
        // The spool file is gone once the job is handed over.
        if (handed > 0)
            QVERIFY(!QFileInfo::exists(spoolFile));
    }

    // Without a printer: beside an SQLite file; for a server, documents or home.
    void printoutFolderWithoutPrinter()
    {
        QTemporaryDir dir;
        QCOMPARE(frmkelvora::printoutFolder(DbLocation::sqliteFile(dir.filePath(QStringLiteral("a/kvr.mdb")))),
                 dir.filePath(QStringLiteral("a")));
        const DbLocation server = parseDbLocation(QStringLiteral("postgresql://u@localhost/kelvora")).value();
        const QByteArray config = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
        QFile dirs(dir.filePath(QStringLiteral("user-dirs.dirs")));
        QVERIFY(dirs.open(QIODevice::WriteOnly) && dirs.write("XDG_DOCUMENTS_DIR=\"" + dir.filePath("Dokumenti").toUtf8() + "\"\n") > 0);
        dirs.close();
        const QString withoutDocuments = frmkelvora::printoutFolder(server);
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Dokumenti")));
        const QString withDocuments = frmkelvora::printoutFolder(server);
        qputenv("XDG_CONFIG_HOME", config);
        QCOMPARE(withoutDocuments, QDir::homePath());
        QCOMPARE(withDocuments, dir.filePath(QStringLiteral("Dokumenti")));
    }

    void unwritableFileIsAFailure()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("nema/mape/lista.pdf"));
        print::QtPrintSurface surface(path, QStringLiteral("Lista"));
        print::printDocument(surface, print::layoutList(startRows(3), raceHeader, print::startListFormat()));
        QCOMPARE(surface.lastError(), tx::printFileNotWritten(path));
    }

    // Without a printer the window writes the job beside the database and
    // says where; a second job does not overwrite the first.
    void noPrinterWritesPdfBesideTheDatabase()
    {
        if (!QPrinterInfo::defaultPrinter().isNull())
            QSKIP("this system has a default printer");
        TempDb tmp;
        frmkelvora w(tmp.path());
        testutil::makeCurrentRace(w, QStringLiteral("Zagrebački maraton"), QDate(2025, 10, 12));
        for (int i = 1; i <= 64; ++i) {
            testutil::addCompetitor(w, i % 16 ? QString::number(i) : QString(), QStringLiteral("Đurđa Šimić %1").arg(i),
                                    QStringLiteral("Ž"), QDate(1990, 1, 2));
        }

        QStringList files;
        for (int job = 0; job < 2; ++job) {
            MessageBox::setNextAnswer(QMessageBox::Yes);
            testutil::find<QPushButton>(&w, "cmdispis")->click();
            QCOMPARE(MessageBox::shown().at(2 * job).text, QStringLiteral("Broj stranica: 1 Ispis Startne liste?"));
            const QString notice = MessageBox::last().text;
            const QString prefix = tx::printedToFile(QString());
            QVERIFY2(notice.startsWith(prefix), qPrintable(notice));
            files.append(notice.mid(prefix.size()));
        }
        QVERIFY(files.at(0) != files.at(1));
        for (const QString& file : files) {
            const QFileInfo info(file);
            QVERIFY(info.exists());
            QCOMPARE(info.absolutePath(), QFileInfo(tmp.path()).absolutePath());
            QVERIFY(info.fileName().startsWith(QStringLiteral("Startna lista ")));
            QVERIFY(info.fileName().endsWith(QStringLiteral(".pdf")));
        }

        // 60 numbered entries of 64: one full page, the view's rows in order.
        QList<QStringList> rows;
        auto* lsv1 = testutil::find<QTreeView>(&w, "lsv1");
        for (int i = 0; i < lsv1->model()->rowCount(); ++i) {
            QStringList row;
            for (int c = 0; c < lsv1->model()->columnCount(); ++c)
                row.append(testutil::cell(lsv1, i, c));
            if (!row.at(1).isEmpty())
                rows.append(row);
        }
        QCOMPARE(rows.size(), 60);
        const print::RaceHeader header{QStringLiteral("Zagrebački maraton"), QStringLiteral("AK Kelvora"),
                                       QStringLiteral("12.10.2025")};
        print::RecordingSurface recorder;
        print::printDocument(recorder, print::layoutList(rows, header, print::startListFormat()));
        compareWithRecorder(files.at(0), recorder.pages());
    }
};

KVR_TEST_MAIN(TestPrintPdf)
#include "test_print_pdf.moc"
