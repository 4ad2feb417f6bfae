#include "core/entryfile.h"

#include "core/dates.h"
#include "core/inputrules.h"
#include "core/iotexts.h"

#include <algorithm>
#include <array>

namespace io {

namespace {

using Column = EntryColumn;
constexpr Column StartNumber = Column::StartNumber, FullName = Column::FullName, FirstName = Column::FirstName,
                 LastName = Column::LastName, Country = Column::Country, Club = Column::Club, Sex = Column::Sex,
                 BirthDate = Column::BirthDate;

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
QString columnLine(const QString& name, Column column, bool optional)
{
    QString line = name + QStringLiteral(" (") + quotedList(entryColumnHeaders(column));
    if (optional)
        line += QStringLiteral("; ") + tx::ioOptional();
    return line + QLatin1Char(')');
}

QString nameLine()
{
    return tx::ioColumnName() + QStringLiteral(" (") + quotedList(entryColumnHeaders(FullName))
        + QStringLiteral(" ili dva stupca: ime (") + quotedList(entryColumnHeaders(FirstName))
        + QStringLiteral(") i prezime (") + quotedList(entryColumnHeaders(LastName)) + QStringLiteral("))");
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

// A name or club as typed by many hands: runs of spaces inside become one.
// Other blanks (tabs, line breaks) stay, for the checks that refuse them.
QString collapseSpaces(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (c == u' ' && (result.isEmpty() || result.back() == u' '))
            continue;
        result.append(c);
    }
    if (result.endsWith(u' '))
        result.chop(1);
    return result;
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

QString missingColumns(const CsvResult& csv, const EntryLayout& layout, const EntryDefaults& defaults)
{
    const auto given = [&](Column c) { return layout.indexOf(c) >= 0 || !defaults.value(c).isEmpty(); };
    QStringList missing;
    if (layout.indexOf(FullName) < 0 && layout.indexOf(FirstName) < 0)
        missing.append(nameLine());
    if (!given(Country))
        missing.append(columnLine(tx::ioColumnCountry(), Country, false));
    if (!given(Club))
        missing.append(columnLine(tx::ioColumnClub(), Club, false));
    if (!given(BirthDate) && !given(Column::BirthYear) && !given(Column::Category))
        missing.append(columnLine(tx::ioColumnBirthDate(), BirthDate, false));
    if (missing.isEmpty())
        return {};
    QStringList found;
    if (!csv.rows.isEmpty()) {
        for (const QString& h : csv.rows.front().fields) {
            if (!h.trimmed().isEmpty())
                found.append(quoted(tx::ioShown(h.trimmed())));
        }
    }
    const QStringList expected = {
        columnLine(tx::ioColumnStartNumber(), StartNumber, true),
        nameLine(),
        columnLine(tx::ioColumnCountry(), Country, false),
        columnLine(tx::ioColumnClub(), Club, false),
        columnLine(tx::ioColumnSex(), Sex, true),
        columnLine(tx::ioColumnBirthDate(), BirthDate, false),
    };
    return tx::ioMissingColumns(missing, found, expected);
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
    const EntryLayout layout = headerLayout(csv);
    result.error = missingColumns(csv, layout, {});
    if (!result.ok())
        return result;
    return readEntries(csv, layout, {});
}

EntryFileResult readEntries(const CsvResult& csv, const EntryLayout& layout, const EntryDefaults& defaults)
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

    std::array<qsizetype, kEntryColumnKinds> at;
    for (int c = 0; c < kEntryColumnKinds; ++c)
        at[c] = layout.indexOf(Column(c));
    const auto col = [&at](Column c) { return at[size_t(c)]; };

    // One column for the whole name wins; otherwise last and first name are
    // joined; either alone holds the whole name.
    const bool splitName = col(FullName) < 0 && col(FirstName) >= 0 && col(LastName) >= 0;
    const qsizetype nameAt = col(FullName) >= 0 ? col(FullName)
        : col(FirstName) >= 0                    ? col(FirstName)
                                                 : col(LastName);
    // The defaults, looked up once rather than per row.
    std::array<QString, kEntryColumnKinds> fallback;
    for (auto it = defaults.cbegin(); it != defaults.cend(); ++it)
        fallback[size_t(it.key())] = it.value().trimmed();

    result.rows.reserve(csv.rows.size());
    for (qsizetype r = layout.header ? 1 : 0; r < csv.rows.size(); ++r) {
        const CsvRow& row = csv.rows[r];
        const auto cell = [&row](qsizetype k) {
            return k >= 0 && k < row.fields.size() ? unguardedField(row.fields[k].trimmed()) : QString();
        };
        const auto field = [&](Column c) {
            QString value = cell(col(c));
            return value.isEmpty() ? fallback[size_t(c)] : value;
        };
        EntryRow entry;
        entry.lineNumber = row.line;
        entry.sbroj = cell(col(StartNumber));
        entry.ime = collapseSpaces(splitName ? joinName(cell(col(LastName)), cell(col(FirstName))) : cell(nameAt));
        entry.drzava = field(Country);
        entry.klub = collapseSpaces(field(Club));
        entry.spol = readSex(field(Sex));
        entry.datumText = readBirthDate(field(BirthDate));
        entry.kategorija = field(Column::Category);
        if (entry.datumText.isEmpty()) {
            const QString year = field(Column::BirthYear);
            if (!year.isEmpty()) {
                entry.birthYearText = year;
                if (const QDate first(year.toInt(), 1, 1); rules::allDigits(year, 4, 4) && first.isValid())
                    entry.datumText = dateText(first);
            }
        }
        result.rows.append(std::move(entry));
    }
    return result;
}

EntryFileResult readEntryFile(const QByteArray& bytes)
{
    return readEntries(readCsv(bytes));
}

} // namespace io
