#include "core/categoryscheme.h"

#include "core/competitorrules.h"

#include "core/csv.h"
#include "core/texts.h"
#include "core/texts_rules.h"

#include <algorithm>

namespace {

int clampedAge(int age)
{
    return std::clamp(age, kMinRuleAge, kMaxRuleAge);
}

QStringList labelsOf(const QString& label)
{
    QStringList parts = label.split(QLatin1Char('|'));
    for (QString& p : parts)
        p = p.trimmed();
    return parts;
}

bool sexesMeet(RuleSex a, RuleSex b)
{
    return a == RuleSex::Both || b == RuleSex::Both || a == b;
}

std::optional<int> readAge(const QString& text)
{
    bool ok = false;
    const int age = text.trimmed().toInt(&ok);
    if (!ok || age < kMinRuleAge || age > kMaxRuleAge)
        return std::nullopt;
    return age;
}

// Cells of one row read as a table row: label or name, sex, from, to and
// (prizes) the count. Refusals name the row.
template <typename T>
Outcome<T> refusedAt(const QString& message)
{
    return Outcome<T>::refused(Field::None, message);
}

Outcome<QList<QStringList>> fileCells(const QByteArray& file, const QStringList& header)
{
    const io::CsvResult csv = io::readCsv(file);
    if (!csv.ok())
        return Outcome<QList<QStringList>>::refused(Field::None, csv.error);
    if (csv.rows.isEmpty())
        return Outcome<QList<QStringList>>::refused(Field::None, tx::rulesFileColumns(header));
    QStringList found = csv.rows.first().fields;
    for (QString& f : found)
        f = f.trimmed().toLower();
    if (found.mid(0, header.size()) != header)
        return Outcome<QList<QStringList>>::refused(Field::None, tx::rulesFileColumns(header));
    QList<QStringList> cells;
    for (qsizetype i = 1; i < csv.rows.size(); ++i) {
        QStringList row = csv.rows.at(i).fields;
        for (QString& field : row)
            field = io::unguardedField(field); // "+60" written by this program reads back "+60"
        cells.append(row);
    }
    return Outcome<QList<QStringList>>::done(cells);
}

// The line of the file a table row came from, for a refusal that names a row.
template <typename T>
Outcome<T> withFileLines(const QByteArray& file, Outcome<T> checked)
{
    if (checked.kind() != Outcome<T>::Kind::Refused)
        return checked;
    // Table rows are numbered from 1 after the header; the file's own
    // line numbers are told instead when the rows are not the lines.
    const io::CsvResult csv = io::readCsv(file);
    QString message = checked.refusal().message;
    for (qsizetype i = csv.rows.size() - 1; i >= 1; --i) {
        const QString row = tx::rulesRow(int(i));
        if (message.startsWith(row))
            return Outcome<T>::refused(Field::None, tx::rulesFileLine(csv.rows.at(i).line, message.mid(row.size())));
    }
    return checked;
}

QString cell(const QStringList& row, int i)
{
    return row.value(i).trimmed();
}

} // namespace

bool sexTakes(RuleSex sex, const QString& spol)
{
    switch (sex) {
    case RuleSex::Men:
        return spol == tx::sexMale();
    case RuleSex::Women:
        return spol == tx::sexFemale();
    case RuleSex::Both:
        break;
    }
    return true;
}

CategoryScheme::CategoryScheme(QList<CategoryRow> rows)
    : m_rows(std::move(rows))
{
    m_folded.reserve(m_rows.size());
    for (const CategoryRow& row : m_rows) {
        QStringList folded = labelsOf(row.label);
        for (QString& f : folded)
            f = f.toCaseFolded();
        m_folded.append(folded);
        m_shown.append(labelsOf(row.label).first());
    }
    for (int i = 0; i < m_rows.size(); ++i) {
        for (int j = i + 1; j < m_rows.size(); ++j) {
            const CategoryRow& a = m_rows.at(i);
            const CategoryRow& b = m_rows.at(j);
            if (sexesMeet(a.sex, b.sex) && a.from <= b.to && b.from <= a.to)
                m_disjoint = false;
        }
    }
}

const CategoryScheme& CategoryScheme::standard()
{
    static const CategoryScheme scheme = [] {
        const QStringList labels = tx::categoryLabels();
        static constexpr int kUpper[] = {18, 24, 29, 34, 39, 44, 49, 54, 59, 64, 69, kMaxRuleAge};
        QList<CategoryRow> rows;
        int from = kMinRuleAge;
        for (int i = 0; i < labels.size(); ++i) {
            rows.append({labels.at(i), RuleSex::Both, from, kUpper[i]});
            from = kUpper[i] + 1;
        }
        return CategoryScheme(rows);
    }();
    return scheme;
}

int CategoryScheme::rowFor(const QString& spol, std::optional<int> age, const QString& knownLabel) const
{
    if (age) {
        const int a = clampedAge(*age);
        for (int i = 0; i < m_rows.size(); ++i) {
            const CategoryRow& row = m_rows.at(i);
            if (a >= row.from && a <= row.to && sexTakes(row.sex, spol))
                return i;
        }
        return -1;
    }
    if (knownLabel.trimmed().isEmpty())
        return -1;
    const QString folded = knownLabel.trimmed().toCaseFolded();
    int anySex = -1;
    for (int i = 0; i < m_rows.size(); ++i) {
        if (!m_folded.at(i).contains(folded))
            continue;
        if (sexTakes(m_rows.at(i).sex, spol))
            return i;
        if (anySex < 0)
            anySex = i;
    }
    return anySex;
}

QString CategoryScheme::labelFor(const QString& spol, std::optional<int> age, const QString& knownLabel) const
{
    return shownLabel(rowFor(spol, age, knownLabel));
}

int CategoryScheme::rowByLabel(const QString& text) const
{
    const QString folded = text.trimmed().toCaseFolded();
    for (int i = 0; i < m_folded.size(); ++i) {
        if (m_folded.at(i).contains(folded))
            return i;
    }
    return -1;
}

std::optional<RuleSex> CategoryScheme::sexOfLabel(const QString& text) const
{
    const QString folded = text.trimmed().toCaseFolded();
    std::optional<RuleSex> sex;
    for (int i = 0; i < m_folded.size(); ++i) {
        if (!m_folded.at(i).contains(folded))
            continue;
        // Rows of one label for different sexes leave the sex open.
        if (sex && *sex != m_rows.at(i).sex)
            return RuleSex::Both;
        sex = m_rows.at(i).sex;
    }
    return sex;
}

QString CategoryScheme::shownLabel(int row) const
{
    if (row < 0 || row >= m_shown.size())
        return {};
    return m_shown.at(row);
}

bool CategoryScheme::takes(const QString& label, const QString& spol, std::optional<int> age) const
{
    if (!age)
        return false;
    if (!m_disjoint)
        return labelFor(spol, age) == label;
    const int a = clampedAge(*age);
    for (int i = 0; i < m_rows.size(); ++i) {
        const CategoryRow& row = m_rows.at(i);
        if (a >= row.from && a <= row.to && m_shown.at(i) == label && sexTakes(row.sex, spol))
            return true;
    }
    return false;
}

QStringList CategoryScheme::labels() const
{
    QStringList shown;
    for (int i = 0; i < m_rows.size(); ++i) {
        const QString label = shownLabel(i);
        if (!shown.contains(label))
            shown.append(label);
    }
    return shown;
}

const PrizeScheme& PrizeScheme::standard()
{
    static const PrizeScheme scheme({{tx::prizeOverallName(), RuleSex::Both, kMinRuleAge, kMaxRuleAge, 5}});
    return scheme;
}

const RaceRules& RaceRules::standard()
{
    static const RaceRules rules;
    return rules;
}

namespace schemes {

Outcome<CategoryScheme> checkCategories(const QList<CategoryRow>& rows, const QList<int>& fileLines)
{
    if (rows.isEmpty())
        return refusedAt<CategoryScheme>(tx::categoriesEmpty());
    for (int i = 0; i < rows.size(); ++i) {
        const CategoryRow& row = rows.at(i);
        const QStringList labels = labelsOf(row.label);
        const bool labelsOk = std::all_of(labels.cbegin(), labels.cend(), [](const QString& l) {
            return !l.isEmpty() && l.size() <= kMaxCategoryLabel
                && QString::compare(l, tx::categoryAll(), Qt::CaseInsensitive) != 0;
        });
        if (!labelsOk)
            return refusedAt<CategoryScheme>(tx::categoryLabelBad(i + 1));
        if (rules::hasControlCharacter(row.label))
            return refusedAt<CategoryScheme>(tx::rulesTextControl(i + 1));
        if (row.from < kMinRuleAge || row.to > kMaxRuleAge || row.from > row.to)
            return refusedAt<CategoryScheme>(tx::rulesAgeBad(i + 1));
    }
    // Few rows: every pair is looked at. A refusal naming two rows names
    // them by their file lines when the rows came from a file.
    const bool inFile = fileLines.size() == rows.size() && !rows.isEmpty();
    const auto number = [&](int i) { return inFile ? fileLines.at(i) : i + 1; };
    for (int i = 0; i < rows.size(); ++i) {
        for (int j = i + 1; j < rows.size(); ++j) {
            const CategoryRow& a = rows.at(i);
            const CategoryRow& b = rows.at(j);
            if (!sexesMeet(a.sex, b.sex))
                continue;
            if (a.from <= b.to && b.from <= a.to)
                return refusedAt<CategoryScheme>(
                    tx::categoriesOverlap(number(j), number(i), b.label.trimmed(), a.label.trimmed(), inFile));
            // One label names one category of a sex: two would be told apart nowhere.
            for (const QString& label : labelsOf(b.label))
                if (labelsOf(a.label).contains(label, Qt::CaseInsensitive))
                    return refusedAt<CategoryScheme>(tx::categoryLabelTwice(number(j), number(i), label, inFile));
        }
    }
    QList<CategoryRow> trimmed = rows;
    for (CategoryRow& row : trimmed)
        row.label = labelsOf(row.label).join(QLatin1Char('|'));
    return Outcome<CategoryScheme>::done(CategoryScheme(trimmed));
}

Outcome<PrizeScheme> checkPrizes(const QList<PrizeRow>& rows)
{
    if (rows.isEmpty())
        return refusedAt<PrizeScheme>(tx::prizesEmpty());
    QList<PrizeRow> trimmed = rows;
    for (int i = 0; i < rows.size(); ++i) {
        PrizeRow& row = trimmed[i];
        row.name = row.name.trimmed();
        if (row.name.isEmpty() || row.name.size() > kMaxPrizeName)
            return refusedAt<PrizeScheme>(tx::prizeNameBad(i + 1));
        if (rules::hasControlCharacter(row.name))
            return refusedAt<PrizeScheme>(tx::rulesTextControl(i + 1));
        if (row.from < kMinRuleAge || row.to > kMaxRuleAge || row.from > row.to)
            return refusedAt<PrizeScheme>(tx::rulesAgeBad(i + 1));
        if (row.count < 1 || row.count > kMaxPrizeCount)
            return refusedAt<PrizeScheme>(tx::prizeCountBad(i + 1));
    }
    return Outcome<PrizeScheme>::done(PrizeScheme(trimmed));
}

std::optional<RuleSex> readSex(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return RuleSex::Both;
    if (t.size() != 1)
        return std::nullopt;
    const QChar c = t.front().toLower();
    if (c == QLatin1Char('m'))
        return RuleSex::Men;
    if (c == QChar(0x017E) || c == QLatin1Char('z') || c == QLatin1Char('f') || c == QLatin1Char('w'))
        return RuleSex::Women;
    return std::nullopt;
}

QString sexText(RuleSex sex)
{
    switch (sex) {
    case RuleSex::Men:
        return tx::sexMale();
    case RuleSex::Women:
        return tx::sexFemale();
    case RuleSex::Both:
        break;
    }
    return {};
}

Outcome<CategoryScheme> categoriesFromCells(const QList<QStringList>& cells, const QList<int>& fileLines)
{
    QList<CategoryRow> rows;
    for (int i = 0; i < cells.size(); ++i) {
        const QStringList& c = cells.at(i);
        const auto sex = readSex(cell(c, 1));
        if (!sex)
            return refusedAt<CategoryScheme>(tx::rulesSexBad(i + 1));
        const auto from = readAge(cell(c, 2));
        const auto to = readAge(cell(c, 3));
        if (!from || !to)
            return refusedAt<CategoryScheme>(tx::rulesAgeBad(i + 1));
        rows.append({cell(c, 0), *sex, *from, *to});
    }
    return checkCategories(rows, fileLines);
}

Outcome<PrizeScheme> prizesFromCells(const QList<QStringList>& cells)
{
    QList<PrizeRow> rows;
    for (int i = 0; i < cells.size(); ++i) {
        const QStringList& c = cells.at(i);
        const auto sex = readSex(cell(c, 1));
        if (!sex)
            return refusedAt<PrizeScheme>(tx::rulesSexBad(i + 1));
        const auto from = readAge(cell(c, 2));
        const auto to = readAge(cell(c, 3));
        if (!from || !to)
            return refusedAt<PrizeScheme>(tx::rulesAgeBad(i + 1));
        bool ok = false;
        const int count = cell(c, 4).toInt(&ok);
        if (!ok)
            return refusedAt<PrizeScheme>(tx::prizeCountBad(i + 1));
        rows.append({cell(c, 0), *sex, *from, *to, count});
    }
    return checkPrizes(rows);
}

QList<QStringList> categoryCells(const CategoryScheme& scheme)
{
    QList<QStringList> cells;
    for (const CategoryRow& r : scheme.rows())
        cells.append({r.label, sexText(r.sex), QString::number(r.from), QString::number(r.to)});
    return cells;
}

QList<QStringList> prizeCells(const PrizeScheme& scheme)
{
    QList<QStringList> cells;
    for (const PrizeRow& r : scheme.rows())
        cells.append({r.name, sexText(r.sex), QString::number(r.from), QString::number(r.to), QString::number(r.count)});
    return cells;
}

Outcome<CategoryScheme> readCategories(const QByteArray& file)
{
    const auto cells = fileCells(file, tx::categoryFileColumns());
    if (!cells)
        return cells.failure<CategoryScheme>();
    // Rows after the header, each with its line in the file.
    const io::CsvResult csv = io::readCsv(file);
    QList<int> lines;
    for (qsizetype i = 1; i < csv.rows.size(); ++i)
        lines.append(csv.rows.at(i).line);
    return withFileLines(file, categoriesFromCells(cells.value(), lines));
}

Outcome<PrizeScheme> readPrizes(const QByteArray& file)
{
    const auto cells = fileCells(file, tx::prizeFileColumns());
    if (!cells)
        return cells.failure<PrizeScheme>();
    return withFileLines(file, prizesFromCells(cells.value()));
}

QByteArray writeCategories(const CategoryScheme& scheme)
{
    return io::writeCsv(tx::categoryFileColumns(), categoryCells(scheme), QLatin1Char(','));
}

QByteArray writePrizes(const PrizeScheme& scheme)
{
    return io::writeCsv(tx::prizeFileColumns(), prizeCells(scheme), QLatin1Char(','));
}

} // namespace schemes
