#include "core/entryfile.h"

#include "core/dates.h"
#include "core/inputrules.h"
#include "core/iotexts.h"

#include <algorithm>
#include <array>

namespace io {

namespace {

// A value that a spreadsheet export guarded against formulas (an apostrophe
// before =, +, -, @) reads back as it was written.
QString unguarded(const QString& value)
{
    if (value.size() >= 2 && value.at(0) == QLatin1Char('\'')
        && QStringView(u"=+-@").contains(value.at(1)))
        return value.mid(1);
    return value;
}

// The columns an entry file may have. Name has three ways of being given:
// one column for the whole name, or a first-name and a last-name column.
enum Column { StartNumber, FullName, FirstName, LastName, Country, Club, Sex, BirthDate, ColumnCount };

// The headers that name each column, as they are shown in the refusal
// message; they are folded before matching.
const std::array<QStringList, ColumnCount>& columnHeaders()
{
    static const std::array<QStringList, ColumnCount> headers = {
        QStringList{QStringLiteral("startni broj"), QStringLiteral("st. br."), QStringLiteral("st.br."),
                    QStringLiteral("broj"), QStringLiteral("bib"), QStringLiteral("start number")},
        QStringList{QStringLiteral("prezime i ime"), QStringLiteral("ime i prezime"), QStringLiteral("name"),
                    QStringLiteral("full name")},
        QStringList{QStringLiteral("ime"), QStringLiteral("first name")},
        QStringList{QStringLiteral("prezime"), QStringLiteral("last name"), QStringLiteral("surname")},
        QStringList{QStringLiteral("država"), QStringLiteral("country")},
        QStringList{QStringLiteral("klub"), QStringLiteral("club")},
        QStringList{QStringLiteral("spol"), QStringLiteral("sex"), QStringLiteral("gender")},
        QStringList{QStringLiteral("datum rođenja"), QStringLiteral("datum rod."), QStringLiteral("birth date"),
                    QStringLiteral("date of birth"), QStringLiteral("dob")},
    };
    return headers;
}

const std::array<QStringList, ColumnCount>& foldedColumnHeaders()
{
    static const std::array<QStringList, ColumnCount> folded = [] {
        std::array<QStringList, ColumnCount> result;
        for (int c = 0; c < ColumnCount; ++c) {
            for (const QString& header : columnHeaders()[c])
                result[c].append(foldHeader(header));
        }
        return result;
    }();
    return folded;
}

QString quoted(const QString& text)
{
    return QStringLiteral("„") + text + QStringLiteral("”");
}

QString quotedList(const QStringList& texts)
{
    QStringList parts;
    for (const QString& t : texts)
        parts.append(quoted(t));
    return parts.join(QStringLiteral(", "));
}

// How a column is named in the refusal message: its name and its headers.
QString columnLine(const QString& name, int column, bool optional)
{
    QString line = name + QStringLiteral(" (") + quotedList(columnHeaders()[column]);
    if (optional)
        line += QStringLiteral("; ") + tx::ioOptional();
    return line + QLatin1Char(')');
}

QString nameLine()
{
    return tx::ioColumnName() + QStringLiteral(" (") + quotedList(columnHeaders()[FullName])
        + QStringLiteral(" ili dva stupca: ime (") + quotedList(columnHeaders()[FirstName])
        + QStringLiteral(") i prezime (") + quotedList(columnHeaders()[LastName]) + QStringLiteral("))");
}

// A valid date in the lists' form "dd.MM.yyyy", as kvr::formatDate writes
// it, built by hand: an entry file of thousands of rows would spend most of
// its reading time in QDate::toString's format parsing.
QString dateText(const QDate& date)
{
    QString text(10, QLatin1Char('.'));
    const auto put = [&text](qsizetype at, int value, int digits) {
        for (int k = digits - 1; k >= 0; --k, value /= 10)
            text[at + k] = QLatin1Char(char('0' + value % 10));
    };
    put(0, date.day(), 2);
    put(3, date.month(), 2);
    put(6, date.year(), 4);
    return text;
}

// "Prezime Ime"; either alone when the other is empty.
QString joinName(const QString& last, const QString& first)
{
    if (last.isEmpty())
        return first;
    if (first.isEmpty())
        return last;
    return last + QLatin1Char(' ') + first;
}

} // namespace

QString foldHeader(const QString& header)
{
    QString text = header.toLower();
    text.replace(QChar(0x0111), QLatin1Char('d')); // đ has no decomposition
    text.replace(QLatin1Char('_'), QLatin1Char(' '));
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            folded += c;
    }
    folded = folded.simplified();
    while (folded.endsWith(QLatin1Char(':')) || folded.endsWith(QLatin1Char('*'))
           || folded.endsWith(QLatin1Char(' ')))
        folded.chop(1);
    return folded;
}

QString readSex(const QString& text)
{
    const QString t = text.trimmed();
    if (t.size() == 1) {
        const QChar c = t.front().toLower();
        if (c == QLatin1Char('m'))
            return QStringLiteral("M");
        if (c == QChar(0x017E) || c == QLatin1Char('z') || c == QLatin1Char('f') || c == QLatin1Char('w'))
            return QStringLiteral("Ž");
    }
    return t;
}

QString readBirthDate(const QString& text)
{
    const QString t = text.trimmed();
    QString compact = t;
    if (std::any_of(t.cbegin(), t.cend(), [](QChar c) { return c.isSpace(); }))
        compact = t.simplified().remove(QLatin1Char(' '));
    if (compact.endsWith(QLatin1Char('.')))
        compact.chop(1);
    if (const auto date = kvr::parseDayMonthYear(compact))
        return dateText(*date);
    const QList<QStringView> iso = QStringView(compact).split(QLatin1Char('-'));
    if (iso.size() == 3 && rules::allDigits(iso[0], 4, 4) && rules::allDigits(iso[1], 1, 2) && rules::allDigits(iso[2], 1, 2)) {
        const QDate date(iso[0].toInt(), iso[1].toInt(), iso[2].toInt());
        if (date.isValid())
            return dateText(date);
    }
    return t;
}

EntryFileResult readEntries(const CsvResult& csv)
{
    EntryFileResult result;
    if (!csv.ok()) {
        result.error = csv.error;
        return result;
    }
    if (csv.rows.isEmpty()) {
        result.error = tx::ioEmptyFile();
        return result;
    }

    // The first header matching a column gives it; later ones are ignored.
    const QStringList& header = csv.rows.front().fields;
    std::array<qsizetype, ColumnCount> at;
    at.fill(-1);
    for (qsizetype k = 0; k < header.size(); ++k) {
        const QString folded = foldHeader(header[k]);
        for (int c = 0; c < ColumnCount; ++c) {
            if (at[c] < 0 && foldedColumnHeaders()[c].contains(folded)) {
                at[c] = k;
                break;
            }
        }
    }

    // One column for the whole name wins; otherwise last and first name are
    // joined; a first-name column alone ("Ime") holds the whole name.
    const bool splitName = at[FullName] < 0 && at[FirstName] >= 0 && at[LastName] >= 0;
    const qsizetype nameAt = at[FullName] >= 0 ? at[FullName] : at[FirstName];

    QStringList missing;
    if (nameAt < 0)
        missing.append(nameLine());
    if (at[Country] < 0)
        missing.append(columnLine(tx::ioColumnCountry(), Country, false));
    if (at[Club] < 0)
        missing.append(columnLine(tx::ioColumnClub(), Club, false));
    if (at[BirthDate] < 0)
        missing.append(columnLine(tx::ioColumnBirthDate(), BirthDate, false));
    if (!missing.isEmpty()) {
        QStringList found;
        for (const QString& h : header) {
            if (!h.trimmed().isEmpty())
                found.append(quoted(tx::ioShown(h.trimmed())));
        }
        const QStringList expected = {
            columnLine(tx::ioColumnStartNumber(), StartNumber, true),
            nameLine(),
            columnLine(tx::ioColumnCountry(), Country, false),
            columnLine(tx::ioColumnClub(), Club, false),
            columnLine(tx::ioColumnSex(), Sex, true),
            columnLine(tx::ioColumnBirthDate(), BirthDate, false),
        };
        result.error = tx::ioMissingColumns(missing, found, expected);
        return result;
    }

    result.rows.reserve(csv.rows.size() - 1);
    for (qsizetype r = 1; r < csv.rows.size(); ++r) {
        const CsvRow& row = csv.rows[r];
        const auto field = [&row](qsizetype k) {
            return k >= 0 && k < row.fields.size() ? unguarded(row.fields[k].trimmed()) : QString();
        };
        EntryRow entry;
        entry.lineNumber = row.line;
        entry.sbroj = field(at[StartNumber]);
        entry.ime = splitName ? joinName(field(at[LastName]), field(at[FirstName])) : field(nameAt);
        entry.drzava = field(at[Country]);
        entry.klub = field(at[Club]);
        entry.spol = readSex(field(at[Sex]));
        entry.datumText = readBirthDate(field(at[BirthDate]));
        result.rows.append(std::move(entry));
    }
    return result;
}

EntryFileResult readEntryFile(const QByteArray& bytes)
{
    return readEntries(readCsv(bytes));
}

} // namespace io
