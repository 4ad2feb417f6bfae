// The file formats: CSV reading and writing, entry files, finish-time files
// and the web-page lists. Qt Core only, so the test runs without a GUI.

#include "core/csv.h"
#include "core/entryfile.h"
#include "core/clitexts.h"
#include "core/fileerrors.h"
#include "core/filevalues.h"
#include "core/htmlexport.h"
#include "core/iotexts.h"
#include "core/timefile.h"
#include "core/timerules.h"

#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <cerrno>

Q_DECLARE_METATYPE(kvr::FileProblem)
#include <QtTest>

namespace {

// Each row as "line:field|field|...".
QStringList rendered(const io::CsvResult& csv)
{
    QStringList out;
    for (const io::CsvRow& row : csv.rows)
        out.append(QString::number(row.line) + QLatin1Char(':') + row.fields.join(QLatin1Char('|')));
    return out;
}

// Each line as "line|number|time", the time "!" when refused.
QStringList rendered(const io::TimeFileResult& file)
{
    QStringList out;
    for (const io::TimeLine& line : file.lines)
        out.append(QStringLiteral("%1|%2|%3").arg(line.lineNumber).arg(line.sbroj, line.ok() ? line.time : "!"));
    return out;
}

enum TimeOutcome { Read, Shape, Seconds, Minutes, TooLong, Empty };

QString refusalFor(TimeOutcome outcome, const QString& text)
{
    switch (outcome) {
    case Shape: return tx::ioTimeShape(text.trimmed());
    case Seconds: return tx::ioTimeSeconds(text.trimmed());
    case Minutes: return tx::ioTimeMinutes(text.trimmed());
    case TooLong: return tx::ioTimeTooLong(text.trimmed());
    case Empty: return tx::ioNoTime();
    case Read: break;
    }
    return QString();
}

} // namespace

class TestFileFormats : public QObject {
    Q_OBJECT

private slots:
    void csvIsRead_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("comma, CRLF") << QByteArray("a,b\r\nc,d\r\n") << "," << QStringList{"1:a|b", "2:c|d"};
        QTest::newRow("semicolon outnumbers comma")
            << QByteArray("Ime;Klub,x;Spol\nIvo;AK, Split;M") << ";" << QStringList{"1:Ime|Klub,x|Spol", "2:Ivo|AK, Split|M"};
        QTest::newRow("tab") << QByteArray("a\tb,c\n1\t2") << "\t" << QStringList{"1:a|b,c", "2:1|2"};
        QTest::newRow("separators in quoted header do not count")
            << QByteArray("\"a,b,c\";d\n1;2") << ";" << QStringList{"1:a,b,c|d", "2:1|2"};
        QTest::newRow("header after blank lines") << QByteArray("\n\na;b\n") << ";" << QStringList{"3:a|b"};
        QTest::newRow("no separator gives comma") << QByteArray("Ime\nIvo") << "," << QStringList{"1:Ime", "2:Ivo"};
        QTest::newRow("quoted separator and doubled quotes")
            << QByteArray("a,\"b,c\",\"say \"\"hi\"\"\"\n") << "," << QStringList{"1:a|b,c|say \"hi\""};
        QTest::newRow("line breaks inside quotes keep line numbers")
            << QByteArray("h1,h2\n\"x\r\ny\nz\",w\nnext,row\n") << ","
            << QStringList{"1:h1|h2", "2:x\ny\nz|w", "5:next|row"};
        QTest::newRow("blank and empty-field lines skipped, still counted")
            << QByteArray("a,b\n\n\r\n,\n\"\", \nc,d") << "," << QStringList{"1:a|b", "6:c|d"};
        QTest::newRow("BOM dropped") << QByteArray("\xEF\xBB\xBF\"Ime\";Klub\nŽana;Đakovo") << ";"
                                     << QStringList{"1:Ime|Klub", QStringLiteral("2:Žana|Đakovo")};
        QTest::newRow("lone CR line ends, trailing separator")
            << QByteArray("a,b,\rc,d,") << "," << QStringList{"1:a|b|", "2:c|d|"};
        QTest::newRow("quote inside an unquoted field, text after a closing quote")
            << QByteArray("5\" tall,\"x\"y\n") << "," << QStringList{"1:5\" tall|xy"};
    }

    void csvIsRead()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, separator);
        QFETCH(QStringList, rows);
        const io::CsvResult csv = io::readCsv(bytes);
        QVERIFY2(csv.ok(), qPrintable(csv.error));
        QCOMPARE(QString(csv.separator), separator);
        QCOMPARE(rendered(csv), rows);
    }

    void csvIsRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        QTest::newRow("stray byte") << QByteArray("a,b\nc,d\n\xFF") << tx::ioNotUtf8(3);
        QTest::newRow("Windows-1250 č") << QByteArray("a\r\n\xE8") << tx::ioNotUtf8(2);
        QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << tx::ioNotUtf8(1);
        QTest::newRow("surrogate") << QByteArray("x\n\xED\xA0\x80") << tx::ioNotUtf8(2);
        QTest::newRow("cut-off sequence") << QByteArray("ok\n\xC5") << tx::ioNotUtf8(2);
        QTest::newRow("UTF-16") << QByteArray("\xFF\xFE" "a\0", 4) << tx::ioNotUtf8(1);
        QTest::newRow("quote never closed") << QByteArray("a,b\nc,\"open\nd,e\n") << tx::ioUnclosedQuote(2);
    }

    void csvIsRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        const io::CsvResult csv = io::readCsv(bytes);
        QCOMPARE(csv.error, error);
        QVERIFY(csv.rows.isEmpty());
    }

    void csvFieldIsWritten_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("field");
        QTest::newRow("plain") << "Ivić Ivo" << "Ivić Ivo";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("comma") << "AK, Split" << "\"AK, Split\"";
        QTest::newRow("quotes") << "say \"hi\"" << "\"say \"\"hi\"\"\"";
        QTest::newRow("LF") << "a\nb" << "\"a\nb\"";
        QTest::newRow("semicolon needs nothing") << "a;b" << "a;b";
        QTest::newRow("formula =") << "=1+1" << "'=1+1";
        QTest::newRow("formula +") << "+385" << "'+385";
        QTest::newRow("minus alone") << "-" << "-";
        QTest::newRow("minus first") << "-5" << "'-5";
        QTest::newRow("formula @") << "@SUM(A1)" << "'@SUM(A1)";
        QTest::newRow("tab first") << "\t=1" << "'\t=1";
        QTest::newRow("CR first, quoted") << "\r=1" << "\"'\r=1\"";
        QTest::newRow("formula with comma") << "=HYPERLINK(\"x\",\"y\")" << "\"'=HYPERLINK(\"\"x\"\",\"\"y\"\")\"";
        QTest::newRow("= later is fine") << "a=b" << "a=b";
        QTest::newRow("an apostrophe of its own before +") << "'+60" << "''+60";
        QTest::newRow("an apostrophe of its own") << "'x" << "'x";
        QTest::newRow("apostrophes alone") << "''" << "''";
    }

    // Every field written reads back as it was, the guard taken away.
    void csvFieldIsWritten()
    {
        QFETCH(QString, value);
        QFETCH(QString, field);
        QCOMPARE(io::csvField(value), field);
        if (!value.isEmpty() && !value.contains(QLatin1Char('\r')))
            QCOMPARE(io::unguardedField(io::parseCsv(field, QLatin1Char(',')).rows.value(0).fields.value(0)), value);
    }

    void writtenCsvReadsBack()
    {
        const QStringList header = {"Ime", "Klub", "Napomena"};
        const QList<QStringList> rows = {{"Žana Đurić", "AK \"Brzi\", Split", "dva\r\nretka"}, {"x", "", "y;z\tw"}};
        const QByteArray bytes = io::writeCsv(header, rows);
        QVERIFY(bytes.startsWith("\xEF\xBB\xBFIme,Klub,Napomena\r\n"));
        QVERIFY(bytes.endsWith("\r\n"));
        const io::CsvResult csv = io::readCsv(bytes);
        QVERIFY2(csv.ok(), qPrintable(csv.error));
        QCOMPARE(csv.rows.size(), 3);
        QCOMPARE(csv.rows[0].fields, header);
        QCOMPARE(csv.rows[1].fields, (QStringList{"Žana Đurić", "AK \"Brzi\", Split", "dva\nretka"}));
        QCOMPARE(csv.rows[2].fields, rows[1]);
        QCOMPARE(csv.rows[2].line, 4);
    }

    // What no entry field holds is refused, the field named.
    void fileValuesAreChecked_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("startNumber");
        QTest::addColumn<QString>("refusal");
        const QString f = QStringLiteral("Polje");
        QTest::newRow("plain name") << "Šimić Đurđa" << false << "";
        QTest::newRow("tab inside a value") << "a\tb" << false << tx::ioControlCharacter(f, 9, "a\tb");
        QTest::newRow("mathematical digit outside the basic plane")
            << QStringLiteral("\U0001D7D9") << true << tx::ioForeignDigit(f, QStringLiteral("\U0001D7D9"));
        QTest::newRow("full-width digits in a name are letters there") << QStringLiteral("\uFF11") << false << "";
    }

    void fileValuesAreChecked()
    {
        QFETCH(QString, value);
        QFETCH(bool, startNumber);
        QFETCH(QString, refusal);
        QCOMPARE(io::valueRefusal(QStringLiteral("Polje"), value,
                                  startNumber ? io::ValueKind::StartNumber : io::ValueKind::Text),
                 refusal);
    }

    // A quoted value: at most 40 characters and "…", controls made visible,
    // a character outside the basic plane never cut in half.
    void valuesAreQuotedShort_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("10 MB cut") << QString(10'000'000, '1') << QString(40, '1') + QChar(0x2026);
        QTest::newRow("pair at the cut") << QString(39, 'a') + QStringLiteral("\U0001F600")
                                         << QString(39, 'a') + QChar(0x2026);
    }

    void valuesAreQuotedShort()
    {
        QFETCH(QString, value);
        QFETCH(QString, shown);
        QCOMPARE(tx::ioShown(value), shown);
    }

    // The common causes of a failed file, in Croatian before the system's text.
    void fileProblemsAreTold_data()
    {
        QTest::addColumn<QString>("where"); // relative to a temporary folder holding "mapa/" and "datoteka"
        QTest::addColumn<QString>("systemText");
        QTest::addColumn<kvr::FileProblem>("problem");
        QTest::newRow("missing file") << "nema.csv" << qt_error_string(ENOENT) << kvr::FileProblem::MissingFile;
        QTest::newRow("missing folder") << "nema/x.csv" << qt_error_string(ENOENT) << kvr::FileProblem::MissingFolder;
        QTest::newRow("a folder") << "mapa" << "file to open is a directory" << kvr::FileProblem::IsFolder;
        QTest::newRow("not allowed") << "datoteka" << qt_error_string(EACCES) << kvr::FileProblem::NotAllowed;
        QTest::newRow("disk full") << "datoteka" << qt_error_string(ENOSPC) << kvr::FileProblem::DiskFull;
        QTest::newRow("read-only disk") << "datoteka" << qt_error_string(EROFS) << kvr::FileProblem::ReadOnly;
        QTest::newRow("standard output, disk full") << "" << qt_error_string(ENOSPC) << kvr::FileProblem::DiskFull;
    }

    void fileProblemsAreTold()
    {
        QFETCH(QString, where);
        QFETCH(QString, systemText);
        QFETCH(kvr::FileProblem, problem);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("mapa")));
        QVERIFY(QFile(dir.filePath(QStringLiteral("datoteka"))).open(QIODevice::WriteOnly));
        const QString path = where.isEmpty() ? QString() : dir.filePath(where);
        QCOMPARE(kvr::fileProblem(path, systemText), problem);
        QCOMPARE(kvr::fileReason(path, systemText), tx::fileProblemText(problem) + QStringLiteral("; ") + systemText);
    }

    void entryColumnsAreFound_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("entry"); // line, sbroj, ime, drzava, klub, spol, datum
        QTest::newRow("the program's own captions")
            << QByteArray("Startni broj:;Ime i prezime: *;Država: *;Klub: *;Spol:;Datum rođ.: *\n"
                          "12;Ivić Ivo;HRV;AK Split;ž;1.2.1980")
            << QStringList{"2", "12", "Ivić Ivo", "HRV", "AK Split", "Ž", "01.02.1980"};
        QTest::newRow("capitals, accents left out, other order, extra column")
            << QByteArray("DATUM ROĐENJA,napomena,  Prezime   i  IME ,DRZAVA,KLUB,BROJ\n"
                          "80-01-01,x,Ana,SLO,ŠD,7")
            << QStringList{"2", "7", "Ana", "SLO", "ŠD", "", "80-01-01"};
        QTest::newRow("English, quoted")
            << QByteArray("\"Bib\",\"Name\",\"Country\",\"Club\",\"Gender\",\"Date of birth\"\n"
                          "\"3\",\"Doe, John\",\"USA\",\"\",\"F\",\"1975-12-31\"")
            << QStringList{"2", "3", "Doe, John", "USA", "", "Ž", "31.12.1975"};
        QTest::newRow("ime and prezime joined, ime is the first name")
            << QByteArray("Ime;Prezime;Država;Klub;Datum rođenja\nIvo;Ivić;HRV;AK;1.2.05.")
            << QStringList{"2", "", "Ivić Ivo", "HRV", "AK", "", "01.02.2005"};
        QTest::newRow("first name and last name, one empty")
            << QByteArray("Last_Name\tFirst Name\tCountry\tClub\tDOB\tSex\n\tMia\tHRV\tAK\t3.4.30\tw")
            << QStringList{"2", "", "Mia", "HRV", "AK", "Ž", "03.04.1930"};
        QTest::newRow("a whole-name column wins over ime")
            << QByteArray("Ime,Name,Country,Club,DOB\nIvo,Ivić Ivo,HRV,AK,1.2.1980")
            << QStringList{"2", "", "Ivić Ivo", "HRV", "AK", "", "01.02.1980"};
        QTest::newRow("a column named twice: the first one")
            << QByteArray("Klub;Ime;Država;Club;Datum rođenja\nAK Split;Ivo;HRV;Fife AC;1.2.1980")
            << QStringList{"2", "", "Ivo", "HRV", "AK Split", "", "01.02.1980"};
        QTest::newRow("short row, line after a quoted line break")
            << QByteArray("ime,klub,država,dob,spol\nAna,AK,HRV,x,muški\n\"Ivo\nIvić\",AK")
            << QStringList{"3", "", "Ivo\nIvić", "", "AK", "", ""};
    }

    void entryColumnsAreFound()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, entry);
        const io::EntryFileResult file = io::readEntryFile(bytes);
        QVERIFY2(file.ok(), qPrintable(file.error));
        QVERIFY(!file.rows.isEmpty());
        const io::EntryRow& r = file.rows.back();
        QCOMPARE((QStringList{QString::number(r.lineNumber), r.sbroj, r.ime, r.drzava, r.klub, r.spol, r.datumText}),
                 entry);
    }

    void sexIsRead_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("sex");
        for (const char* m : {"m", "M", " m "})
            QTest::newRow(m) << m << "M";
        for (const QString& f : QStringList{"ž", "Ž", "z", "Z", "f", "F", "w", "W"})
            QTest::newRow(qPrintable(f)) << f << "Ž";
        QTest::newRow("other kept") << " x " << "x";
        QTest::newRow("word kept") << "male" << "male";
        QTest::newRow("empty") << "" << "";
    }

    void sexIsRead()
    {
        QFETCH(QString, text);
        QFETCH(QString, sex);
        QCOMPARE(io::readSex(text), sex);
    }

    void birthDateIsRead_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("date");
        QTest::newRow("d.m.yyyy") << "1.2.1980" << "01.02.1980";
        QTest::newRow("trailing dot, blanks") << " 1. 2. 1980. " << "01.02.1980";
        QTest::newRow("yy 29 is 2029") << "01.02.29" << "01.02.2029";
        QTest::newRow("yy 30 is 1930") << "01.02.30" << "01.02.1930";
        QTest::newRow("ISO") << "1980-02-01" << "01.02.1980";
        QTest::newRow("ISO short parts") << "1980-2-1" << "01.02.1980";
        QTest::newRow("no such day kept") << "31.02.1980" << "31.02.1980";
        QTest::newRow("no such ISO day kept") << "1980-02-30" << "1980-02-30";
        QTest::newRow("slashes kept") << "1/2/1980" << "1/2/1980";
        QTest::newRow("text kept") << "nepoznat" << "nepoznat";
        QTest::newRow("empty") << "" << "";
    }

    void birthDateIsRead()
    {
        QFETCH(QString, text);
        QFETCH(QString, date);
        QCOMPARE(io::readBirthDate(text), date);
    }

    void entryFileIsRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("missing"); // words that must be in the missing part
        QTest::addColumn<QStringList>("found");
        QTest::newRow("country and birth date missing")
            << QByteArray("Ime;Klub;Spol\nIvo;AK;M") << QStringList{"država", "datum rođenja"}
            << QStringList{"„Ime”", "„Klub”", "„Spol”"};
        QTest::newRow("last name alone is no name")
            << QByteArray("Prezime,Country,Club,DOB\nIvić,HRV,AK,1.1.1980") << QStringList{"ime i prezime"}
            << QStringList{"„Prezime”", "„Country”", "„DOB”"};
        QTest::newRow("data with no header") << QByteArray("12;Ivo;HRV;AK;M;1.2.1980")
                                             << QStringList{"ime i prezime", "država", "klub", "datum rođenja"}
                                             << QStringList{"„Ivo”", "„1.2.1980”"};
    }

    void entryFileIsRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, missing);
        QFETCH(QStringList, found);
        const io::EntryFileResult file = io::readEntryFile(bytes);
        QVERIFY(!file.ok());
        QVERIFY(file.rows.isEmpty());
        const qsizetype foundAt = file.error.indexOf(QStringLiteral("Pronađeni"));
        const qsizetype expectedAt = file.error.indexOf(QStringLiteral("Očekivani"));
        QVERIFY2(foundAt > 0 && expectedAt > foundAt, qPrintable(file.error));
        const QString missingPart = file.error.left(foundAt);
        const QString foundPart = file.error.mid(foundAt, expectedAt - foundAt);
        const QString expectedPart = file.error.mid(expectedAt);
        for (const QString& m : missing)
            QVERIFY2(missingPart.contains(m), qPrintable(file.error));
        for (const QString& f : found)
            QVERIFY2(foundPart.contains(f), qPrintable(file.error));
        for (const QString& e : QStringList{"startni broj", "„ime”", "„prezime”", "država", "klub", "spol", "datum rođenja"})
            QVERIFY2(expectedPart.contains(e), qPrintable(file.error));
        QVERIFY(!missingPart.contains(QStringLiteral("spol")));
    }

    void emptyEntryFileIsRefused()
    {
        QCOMPARE(io::readEntryFile(QByteArray("\xEF\xBB\xBF\r\n\r\n")).error, tx::ioEmptyFile());
        QCOMPARE(io::readEntryFile(QByteArray("a\n\xFE")).error, tx::ioNotUtf8(2));
    }

    void timeIsRead_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("time");
        QTest::addColumn<int>("outcome");
        const auto ok = [](const char* name, const char* text, const char* time) {
            QTest::newRow(name) << text << time << int(Read);
        };
        const auto no = [](const char* name, const char* text, TimeOutcome outcome) {
            QTest::newRow(name) << text << "" << int(outcome);
        };
        ok("h:mm:ss", "1:02:03", "01:02:03");
        ok("hh:mm:ss", "01:02:03", "01:02:03");
        ok("blanks around", " 1:02:03 ", "01:02:03");
        ok("m:ss", "4:05", "00:04:05");
        ok("mm:ss", "59:59", "00:59:59");
        ok("minutes past 59", "64:04", "01:04:04");
        ok("three-digit minutes", "125:00", "02:05:00");
        ok("largest mm:ss", "3599:59", "59:59:59");
        ok("largest time", "59:59:59", "59:59:59");
        ok("fraction rounds up", "1:02:03.4", "01:02:04");
        ok("small fraction rounds up", "1:02:03.01", "01:02:04");
        ok("comma fraction", "1:02:03,47", "01:02:04");
        ok("zero fraction", "1:02:03.0", "01:02:03");
        ok("zero comma fraction", "1:02:03,00", "01:02:03");
        ok("rounding carries into minutes", "0:59.9", "00:01:00");
        ok("rounding carries into hours", "0:59:59.5", "01:00:00");
        no("rounding reaches 60 hours", "59:59:59.1", TooLong);
        no("60 hours", "60:00:00", TooLong);
        no("three-digit hours", "100:00:00", TooLong);
        no("60 hours as minutes", "3600:00", TooLong);
        no("minutes 60 in h:mm:ss", "1:60:00", Minutes);
        no("seconds 60", "1:02:60", Seconds);
        no("seconds 60 in mm:ss", "64:60", Seconds);
        no("one-digit minutes in h:mm:ss", "1:2:03", Shape);
        no("one-digit seconds", "1:3", Shape);
        no("four parts", "1:02:03:04", Shape);
        no("dot without fraction", "1:02:03.", Shape);
        no("two fractions", "1:02:03.4.5", Shape);
        no("fraction not after seconds", "1.5:02:03", Shape);
        no("negative", "-1:02", Shape);
        no("letters", "1h02m", Shape);
        no("seconds only", "3723", Shape);
        no("empty", "  ", Empty);
    }

    void timeIsRead()
    {
        QFETCH(QString, text);
        QFETCH(QString, time);
        QFETCH(int, outcome);
        const io::TimeReading reading = io::readTime(text);
        QCOMPARE(reading.time, time);
        QCOMPARE(reading.refusal, refusalFor(TimeOutcome(outcome), text));
        QCOMPARE(io::normaliseTime(text).value_or(QString()), time);
        if (reading.ok())
            QVERIFY(rules::isFinishTime(reading.time));
    }

    void timeFileIsRead_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("header skipped")
            << QByteArray("\xEF\xBB\xBF" "Broj;Vrijeme\r\n12;1:02:03\r\n") << QStringList{"2|12|01:02:03"};
        QTest::newRow("every separator")
            << QByteArray("1,1:02:03\n2;0:59\n3\t64:04\n4   1:02:03,47\n5 , 1:00:00.5\n6,1:02:03,5")
            << QStringList{"1|1|01:02:03", "2|2|00:00:59", "3|3|01:04:04", "4|4|01:02:04", "5|5|01:00:01",
                           "6|6|01:02:04"};
        QTest::newRow("quoted") << QByteArray("\"12\",\"1:02:03\"\n\"7\";\"abc\"")
                                << QStringList{"1|12|01:02:03", "2|7|!"};
        QTest::newRow("numbered first line with a bad time is no header")
            << QByteArray("7;abc\n8;1:00:00") << QStringList{"1|7|!", "2|8|01:00:00"};
        QTest::newRow("only the first line may be a header")
            << QByteArray("12;1:00:00\nBroj;Vrijeme") << QStringList{"1|12|01:00:00", "2|Broj|!"};
        QTest::newRow("blank lines counted, not read")
            << QByteArray("\n \t\n12 1:00:00\n\n13 61:00") << QStringList{"3|12|01:00:00", "5|13|01:01:00"};
        QTest::newRow("number or time missing, extra column")
            << QByteArray("12\n,1:02:03\n13;1:02:03;Ivo") << QStringList{"1|12|!", "2||!", "3|13|!"};
    }

    void timeFileIsRead()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        const io::TimeFileResult file = io::readTimeFile(bytes);
        QVERIFY2(file.ok(), qPrintable(file.error));
        QCOMPARE(rendered(file), lines);
    }

    void timeFileRefusalsSayWhy()
    {
        const io::TimeFileResult file = io::readTimeFile(QByteArray("12\n,1:02:03\n13;1:60:00"));
        QCOMPARE(file.lines.size(), 3);
        QCOMPARE(file.lines[0].refusal, tx::ioNoTime());
        QCOMPARE(file.lines[1].refusal, tx::ioNoStartNumber());
        QCOMPARE(file.lines[2].refusal, tx::ioTimeMinutes(QStringLiteral("1:60:00")));
        QCOMPARE(io::readTimeFile(QByteArray("12;1:00:00\n\x80")).error, tx::ioNotUtf8(2));
    }

    void htmlIsEscapedAndWellFormed_data()
    {
        QTest::addColumn<int>("lists");
        QTest::newRow("one list, no contents") << 1;
        QTest::newRow("three lists with contents") << 3;
    }

    void htmlIsEscapedAndWellFormed()
    {
        QFETCH(int, lists);
        const QString evil = QStringLiteral("<script>alert(1)</script>");
        io::HtmlDocument doc;
        doc.title = QStringLiteral("Rezultati </title><script>x</script>");
        doc.raceName = evil;
        doc.organiser = QStringLiteral("AK \"Brzi\" & 'Spori'");
        doc.dateText = QStringLiteral("01.06.2010");
        for (int i = 0; i < lists; ++i) {
            doc.lists.append({QStringLiteral("Lista %1 <i>&</i>").arg(i),
                              {"Mj.", "Ime", "Vrijeme"},
                              {{"1", evil, "01:02:03"}, {"2", QStringLiteral("a\x01" "b\"c'd>")}}});
        }
        QXmlStreamReader xml(io::writeHtml(doc));
        QStringList h1, cells, links, ids, headings, paragraphs;
        QString title, lang;
        bool sawScript = false, sawNav = false;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            const QStringView name = xml.name();
            if (name == u"html")
                lang = xml.attributes().value("lang").toString();
            else if (name == u"a")
                links.append(xml.attributes().value("href").toString());
            else if (name == u"section")
                ids.append(QLatin1Char('#') + xml.attributes().value("id").toString());
            sawScript = sawScript || name == u"script";
            sawNav = sawNav || name == u"nav";
            if (name == u"title")
                title = xml.readElementText();
            else if (name == u"h1")
                h1.append(xml.readElementText());
            else if (name == u"h2")
                headings.append(xml.readElementText());
            else if (name == u"p")
                paragraphs.append(xml.readElementText());
            else if (name == u"td")
                cells.append(xml.readElementText());
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY(!sawScript);
        QCOMPARE(lang, QStringLiteral("hr"));
        QCOMPARE(title, doc.title);
        QCOMPARE(h1, QStringList{evil});
        QCOMPARE(sawNav, lists > 1);
        QCOMPARE(ids.size(), lists);
        if (lists > 1)
            QCOMPARE(links, ids);
        QStringList listHeadings;
        for (const io::HtmlList& list : doc.lists)
            listHeadings.append(list.heading);
        QCOMPARE(headings.mid(headings.size() - lists), listHeadings);
        QVERIFY(paragraphs.contains(tx::ioOrganiser() + QLatin1Char(' ') + doc.organiser));
        QCOMPARE(cells.mid(0, 6), (QStringList{"1", evil, "01:02:03", "2", QStringLiteral("a\uFFFDb\"c'd>"), ""}));
    }
};

QTEST_GUILESS_MAIN(TestFileFormats)
#include "test_fileformats.moc"
