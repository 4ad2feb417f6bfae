#pragma once

// A race's own rules: its age categories and its prize categories. A race
// that stores none has the standard rules (the twelve five-year bands for
// both sexes, and the first five overall win the prizes), so every list of
// such a race stays as it always was.

#include "core/outcome.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Which sexes a row of the rules takes: both, or the start list's "M" or "Ž"
// (compared exactly, as the standings compare them).
enum class RuleSex { Both, Men, Women };

// Ages a row may name. A runner's age outside them (a birth year after the
// race's, a typing slip of a century) counts as the nearest of the two.
inline constexpr int kMinRuleAge = 0;
inline constexpr int kMaxRuleAge = 150;

// One age category: the first row that takes a runner's sex and age is the
// runner's category. label may hold several labels apart by "|" (the first
// is the one shown, the others are read as the same category, such as
// "FSen|FS"); each of them at most kMaxCategoryLabel characters.
struct CategoryRow {
    QString label;
    RuleSex sex = RuleSex::Both;
    int from = kMinRuleAge;
    int to = kMaxRuleAge;
    bool operator==(const CategoryRow&) const = default;
};

inline constexpr int kMaxCategoryLabel = 10;

bool sexTakes(RuleSex sex, const QString& spol);

class CategoryScheme {
public:
    CategoryScheme() = default;
    explicit CategoryScheme(QList<CategoryRow> rows);

    // The twelve bands, "do 18" (up to 18) to "70 i više", for both sexes.
    static const CategoryScheme& standard();

    const QList<CategoryRow>& rows() const { return m_rows; }
    bool isEmpty() const { return m_rows.isEmpty(); }

    // The row of a runner, -1 for none. With a known age (clamped to
    // kMinRuleAge..kMaxRuleAge): the first row taking sex and age. Without
    // one, a known category label (any of a row's labels, letter case
    // ignored): the first row of that label that takes the sex, else the
    // first row of that label.
    int rowFor(const QString& spol, std::optional<int> age, const QString& knownLabel = {}) const;
    // The label shown for rowFor(); empty for none.
    QString labelFor(const QString& spol, std::optional<int> age, const QString& knownLabel = {}) const;
    // The first row one of whose labels is text, letter case ignored; -1 for none.
    int rowByLabel(const QString& text) const;
    // The sex a label gives: that of every row with the label (Both when
    // they differ or take both); none when no row has it.
    std::optional<RuleSex> sexOfLabel(const QString& text) const;
    // The label a row shows (its first label).
    QString shownLabel(int row) const;
    // The shown labels in row order, each once.
    QStringList labels() const;
    // Whether labelFor(spol, age) is label; quicker for many runners and one
    // label, since only the rows of that label are looked at when no two
    // rows take the same runner.
    bool takes(const QString& label, const QString& spol, std::optional<int> age) const;

    bool operator==(const CategoryScheme& other) const { return m_rows == other.m_rows; }

private:
    QList<CategoryRow> m_rows;
    QList<QStringList> m_folded; // each row's labels, folded for lookup
    QStringList m_shown;         // each row's first label
    bool m_disjoint = true;      // no two rows take the same sex at the same age
};

// One prize category: its prizes go, in overall order, to the first ranked
// finishers of its sex and ages who have won nothing yet.
struct PrizeRow {
    QString name;
    RuleSex sex = RuleSex::Both;
    int from = kMinRuleAge;
    int to = kMaxRuleAge;
    int count = 1;
    // A row of every age gives the overall prizes: its winners are left
    // out of the category standings.
    bool coversEveryAge() const { return from <= kMinRuleAge && to >= kMaxRuleAge; }
    bool operator==(const PrizeRow&) const = default;
};

inline constexpr int kMaxPrizeName = 30;
inline constexpr int kMaxPrizeCount = 100;

class PrizeScheme {
public:
    PrizeScheme() = default;
    explicit PrizeScheme(QList<PrizeRow> rows)
        : m_rows(std::move(rows))
    {
    }
    // One prize category "Ukupno": both sexes, every age, five prizes.
    static const PrizeScheme& standard();
    const QList<PrizeRow>& rows() const { return m_rows; }
    bool isEmpty() const { return m_rows.isEmpty(); }
    bool operator==(const PrizeScheme&) const = default;

private:
    QList<PrizeRow> m_rows;
};

// Team results of a race: clubs ranked by their first size finishers of a
// sex (or of all together). Off (size 0) unless the race turns them on.
struct TeamRules {
    int size = 0;           // the scorers; 0: no team results
    int extra = 0;          // members beyond the scorers a complete team needs
    bool together = false;  // one ranking of all, not men and women apart
    bool byTimes = false;   // the sum of the scorers' times, not of their places
    int prizes = 1;         // teams of each ranking on the prize list
    // Club texts meaning "no club", compared ignoring case and marks; an
    // empty club is no club whatever the list says.
    QStringList noClub = defaultNoClub();
    bool on() const { return size > 0; }
    static QStringList defaultNoClub()
    {
        return {QStringLiteral("-"), QStringLiteral("?"), QStringLiteral("bez kluba"), QStringLiteral("neovisni")};
    }
    bool operator==(const TeamRules&) const = default;
};

inline constexpr int kMaxTeamSize = 50;

// The tables of a race and its team rule.
struct RaceRules {
    CategoryScheme categories = CategoryScheme::standard();
    PrizeScheme prizes = PrizeScheme::standard();
    TeamRules teams = {};
    static const RaceRules& standard();
    bool operator==(const RaceRules&) const = default;
};

namespace schemes {

// The checks of a table as a whole: at least one row; labels and names not
// empty and not too long; ages kMinRuleAge..kMaxRuleAge, from <= to; 1 to
// kMaxPrizeCount prizes; no label "Svi"; two category rows taking the same
// sex at the same age are refused, both named (row numbers from 1).
// fileLines, when given, are the file lines of the rows, named in a refusal
// that names two rows.
Outcome<CategoryScheme> checkCategories(const QList<CategoryRow>& rows, const QList<int>& fileLines = {});
Outcome<PrizeScheme> checkPrizes(const QList<PrizeRow>& rows);

// The sex of a rules file or table cell: "M"; "Ž", "Z", "F", "W" (any
// letter case); empty for both. Nothing for any other text.
std::optional<RuleSex> readSex(const QString& text);
// "M", "Ž" or empty.
QString sexText(RuleSex sex);

// The rules as CSV files (header row, UTF-8, separator detected on
// reading): categories "oznaka,spol,od,do", prizes
// "naziv,spol,od,do,nagrade". Reading checks as the table does; a refusal
// names the file line.
Outcome<CategoryScheme> readCategories(const QByteArray& file);
Outcome<PrizeScheme> readPrizes(const QByteArray& file);
QByteArray writeCategories(const CategoryScheme& scheme);
QByteArray writePrizes(const PrizeScheme& scheme);

// The rows of a table as the settings window edits them: cells as text,
// read and checked as a file's are.
Outcome<CategoryScheme> categoriesFromCells(const QList<QStringList>& cells, const QList<int>& fileLines = {});
Outcome<PrizeScheme> prizesFromCells(const QList<QStringList>& cells);
QList<QStringList> categoryCells(const CategoryScheme& scheme);
QList<QStringList> prizeCells(const PrizeScheme& scheme);

} // namespace schemes
