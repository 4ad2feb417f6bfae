#include "core/entrycolumns.h"

#include "core/categorycodes.h"
#include "core/dates.h"
#include "core/entryfile.h"
#include "core/inputrules.h"
#include "core/texts_entrycolumns.h"

#include <QSet>
#include <algorithm>
#include <array>

namespace io {

namespace {

// How many rows the value recognition looks at: enough to see a kind, few
// enough that a large file is not read twice.
constexpr qsizetype kRecognitionRows = 50;

struct Meaning {
    EntryColumn column;
    const char* key;
    QString (*caption)();
};

const std::array<Meaning, kEntryColumnKinds>& meanings()
{
    static const std::array<Meaning, kEntryColumnKinds> all = {{
        {EntryColumn::StartNumber, "startni_broj", &tx::ecStartNumber},
        {EntryColumn::FullName, "ime_i_prezime", &tx::ecFullName},
        {EntryColumn::FirstName, "ime", &tx::ecFirstName},
        {EntryColumn::LastName, "prezime", &tx::ecLastName},
        {EntryColumn::Country, "drzava", &tx::ecCountry},
        {EntryColumn::Club, "klub", &tx::ecClub},
        {EntryColumn::Sex, "spol", &tx::ecSex},
        {EntryColumn::BirthDate, "datum_rodjenja", &tx::ecBirthDate},
        {EntryColumn::BirthYear, "godina_rodjenja", &tx::ecBirthYear},
        {EntryColumn::Category, "kategorija", &tx::ecCategory},
        {EntryColumn::Skip, "-", &tx::ecSkip},
    }};
    return all;
}

const std::array<QStringList, kEntryColumnKinds>& headers()
{
    static const std::array<QStringList, kEntryColumnKinds> all = {
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
        QStringList{QStringLiteral("godina rođenja"), QStringLiteral("god. rođenja"), QStringLiteral("godište"),
                    QStringLiteral("year of birth"), QStringLiteral("birth year"), QStringLiteral("yob")},
        QStringList{QStringLiteral("kategorija"), QStringLiteral("category")},
        QStringList{},
    };
    return all;
}

const std::array<QStringList, kEntryColumnKinds>& foldedHeaders()
{
    static const std::array<QStringList, kEntryColumnKinds> folded = [] {
        std::array<QStringList, kEntryColumnKinds> result;
        for (int c = 0; c < kEntryColumnKinds; ++c) {
            for (const QString& header : headers()[c])
                result[c].append(foldHeader(header));
        }
        return result;
    }();
    return folded;
}

QStringList keys(bool withSkip)
{
    QStringList all;
    for (const Meaning& m : meanings()) {
        if (withSkip || m.column != EntryColumn::Skip)
            all.append(QLatin1String(m.key));
    }
    return all;
}

bool isBirthYear(const QString& value)
{
    return rules::allDigits(value, 4, 4) && value.toInt() >= 1800 && value.toInt() <= 2099;
}

// Three capital letters, as countries are written in entry files (HRV, GBR).
bool isCountryCode(const QString& value)
{
    return value.size() == 3
        && std::all_of(value.cbegin(), value.cend(), [](QChar c) { return c >= u'A' && c <= u'Z'; });
}

// Letters in one or more words, as a person's name is written (with
// hyphens, apostrophes and dots).
bool isNameText(const QString& value)
{
    bool letter = false;
    for (const QChar c : value) {
        if (c.isLetter())
            letter = true;
        else if (!c.isSpace() && c != u'-' && c != u'\'' && c != u'.' && c != u'\u2019')
            return false;
    }
    return letter;
}

// What the values of a column left by the kinds above look like as text.
// A file typed by many hands has a stray value here and there ("?" for a
// club not known): nine values in ten decide.
struct TextColumn {
    qsizetype column = -1;
    bool names = false;     // letters only
    bool letters = false;   // with a letter
    bool oneWord = false;   // a single word
    bool mostlyTwo = false; // at least half of them two words or more
    bool repeated = false;  // some value more than once
    bool distinct = false;  // nine in ten values or more different
};

TextColumn textColumn(qsizetype column, const QStringList& values)
{
    TextColumn t;
    t.column = column;
    QSet<QString> seen;
    qsizetype names = 0, letters = 0, oneWord = 0, multi = 0;
    for (const QString& v : values) {
        const QString plain = v.simplified();
        names += isNameText(plain);
        letters += std::any_of(plain.cbegin(), plain.cend(), [](QChar c) { return c.isLetter(); });
        const bool words = plain.contains(QLatin1Char(' '));
        oneWord += !words;
        multi += words;
        seen.insert(plain.toCaseFolded());
    }
    const auto most = [&values](qsizetype n) { return 10 * n >= 9 * values.size(); };
    t.names = most(names);
    t.letters = most(letters);
    t.oneWord = most(oneWord);
    t.mostlyTwo = 2 * multi >= values.size();
    t.repeated = seen.size() < values.size();
    t.distinct = most(seen.size());
    return t;
}

// The kind all the non-empty values of a column share, or Skip.
EntryColumn kindOfValues(const QStringList& values, bool numbersDistinct, const CategoryScheme* categories)
{
    if (values.isEmpty())
        return EntryColumn::Skip;
    const auto all = [&values](auto test) { return std::all_of(values.cbegin(), values.cend(), test); };
    if (all([](const QString& v) { return isBirthYear(v); }))
        return EntryColumn::BirthYear;
    if (all([](const QString& v) { return kvr::parseDayMonthYear(readBirthDate(v)).has_value(); }))
        return EntryColumn::BirthDate;
    if (all([](const QString& v) { const QString s = readSex(v); return s == QStringLiteral("M") || s == QStringLiteral("Ž"); }))
        return EntryColumn::Sex;
    if (all([categories](const QString& v) {
            return (categories && categories->rowByLabel(v) >= 0) || schemes::readCategoryCode(v).has_value();
        }))
        return EntryColumn::Category;
    if (all([](const QString& v) { return isCountryCode(v); }))
        return EntryColumn::Country;
    if (numbersDistinct && all([](const QString& v) { return rules::allDigits(v, 1, 6); }))
        return EntryColumn::StartNumber;
    return EntryColumn::Skip;
}

} // namespace

QList<EntryColumn> entryColumnChoices()
{
    QList<EntryColumn> all;
    for (const Meaning& m : meanings())
        all.append(m.column);
    return all;
}

QString entryColumnKey(EntryColumn column)
{
    return QLatin1String(meanings()[size_t(column)].key);
}

std::optional<EntryColumn> entryColumnNamed(QStringView key)
{
    for (const Meaning& m : meanings()) {
        if (key == QLatin1String(m.key))
            return m.column;
    }
    return std::nullopt;
}

QString entryColumnCaption(EntryColumn column)
{
    return meanings()[size_t(column)].caption();
}

const QStringList& entryColumnHeaders(EntryColumn column)
{
    return headers()[size_t(column)];
}

EntryColumn columnOfHeader(const QString& header)
{
    const QString folded = foldHeader(header);
    for (int c = 0; c < kEntryColumnKinds; ++c) {
        if (foldedHeaders()[c].contains(folded))
            return EntryColumn(c);
    }
    return EntryColumn::Skip;
}

qsizetype EntryLayout::indexOf(EntryColumn column) const
{
    return columns.indexOf(column);
}

qsizetype columnCount(const CsvResult& csv)
{
    qsizetype count = 0;
    for (qsizetype r = 0; r < csv.rows.size() && r <= kRecognitionRows; ++r)
        count = std::max(count, csv.rows[r].fields.size());
    return count;
}

EntryLayout headerLayout(const CsvResult& csv)
{
    EntryLayout layout;
    layout.header = true;
    if (csv.rows.isEmpty())
        return layout;
    const QStringList& header = csv.rows.front().fields;
    layout.columns.fill(EntryColumn::Skip, std::max(header.size(), columnCount(csv)));
    for (qsizetype k = 0; k < header.size(); ++k) {
        const EntryColumn c = columnOfHeader(header[k]);
        if (c != EntryColumn::Skip && !layout.columns.contains(c))
            layout.columns[k] = c;
    }
    return layout;
}

EntryLayout recogniseLayout(const CsvResult& csv, const CategoryScheme* categories)
{
    EntryLayout byHeader = headerLayout(csv);
    if (std::any_of(byHeader.columns.cbegin(), byHeader.columns.cend(),
                    [](EntryColumn c) { return c != EntryColumn::Skip; }))
        return byHeader;

    EntryLayout layout;
    const qsizetype count = columnCount(csv);
    layout.columns.fill(EntryColumn::Skip, count);
    QList<TextColumn> texts;
    for (qsizetype k = 0; k < count; ++k) {
        QStringList values;
        QSet<QString> seen;
        bool distinct = true;
        for (qsizetype r = 0; r < csv.rows.size() && r < kRecognitionRows; ++r) {
            const QString v = csv.rows[r].fields.value(k).trimmed();
            if (v.isEmpty())
                continue;
            values.append(v);
            if (seen.contains(v))
                distinct = false;
            seen.insert(v);
        }
        const EntryColumn kind = kindOfValues(values, distinct, categories);
        if (kind != EntryColumn::Skip && !layout.columns.contains(kind))
            layout.columns[k] = kind;
        else if (kind == EntryColumn::Skip && !values.isEmpty())
            texts.append(textColumn(k, values));
    }

    // The columns of text, left to right: the runner's name (first and last
    // name in two columns of single words, or a name of two words or more,
    // each runner's own), then the club (texts that repeat).
    bool named = false;
    bool club = false;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const TextColumn& t = texts[i];
        if (!named && t.names && t.oneWord && i + 1 < texts.size() && texts[i + 1].column == t.column + 1
            && texts[i + 1].names && texts[i + 1].oneWord) {
            layout.columns[t.column] = EntryColumn::FirstName;
            layout.columns[texts[i + 1].column] = EntryColumn::LastName;
            named = true;
            ++i;
        } else if (!named && t.names && t.mostlyTwo && t.distinct) {
            layout.columns[t.column] = EntryColumn::FullName;
            named = true;
        } else if (!club && t.letters && (t.repeated || named)) {
            layout.columns[t.column] = EntryColumn::Club;
            club = true;
        }
    }
    return layout;
}

ColumnListResult parseColumnList(const QString& list)
{
    ColumnListResult result;
    for (const QString& part : list.split(QLatin1Char(','))) {
        const QString name = part.trimmed();
        const auto column = entryColumnNamed(name);
        if (!column) {
            result.error = tx::ecUnknownColumn(name, keys(false));
            result.columns.clear();
            return result;
        }
        if (*column != EntryColumn::Skip && result.columns.contains(*column)) {
            result.error = tx::ecColumnTwice(name);
            result.columns.clear();
            return result;
        }
        result.columns.append(*column);
    }
    return result;
}

QString columnList(const EntryLayout& layout)
{
    QStringList names;
    for (const EntryColumn c : layout.columns)
        names.append(entryColumnKey(c));
    return names.join(QLatin1Char(','));
}

QString addDefault(const QString& text, EntryDefaults& defaults)
{
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return tx::ecDefaultShape(text);
    const QString name = text.left(eq).trimmed();
    const auto column = entryColumnNamed(name);
    if (!column || *column == EntryColumn::Skip)
        return tx::ecDefaultUnknown(name, keys(false));
    switch (*column) {
    case EntryColumn::StartNumber:
    case EntryColumn::FullName:
    case EntryColumn::FirstName:
    case EntryColumn::LastName:
        return tx::ecDefaultNotAllowed(name);
    default:
        break;
    }
    if (defaults.contains(*column))
        return tx::ecDefaultTwice(name);
    defaults.insert(*column, text.mid(eq + 1).trimmed());
    return {};
}

} // namespace io
