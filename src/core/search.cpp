#include "core/search.h"

#include "core/age.h"
#include "core/texts.h"

#include <array>

namespace search {

namespace {

// The fold of one character, the slow way: the base letter of a letter
// with marks, without them.
QString foldSlow(const QString& text)
{
    QString folded;
    folded.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            folded += QChar(u >= 'A' && u <= 'Z' ? char16_t(u + ('a' - 'A')) : u);
        } else if (u == 0x0110 || u == 0x0111) {
            // đ and Đ have no decomposition.
            folded += QLatin1Char('d');
        } else if (c.decompositionTag() == QChar::Canonical) {
            // The base letter, without its marks.
            folded += foldSlow(QString(c).normalized(QString::NormalizationForm_D).left(1));
        } else if (c.category() != QChar::Mark_NonSpacing) {
            folded += c.toLower();
        }
    }
    return folded;
}

// The letters of Latin-1 and Latin Extended-A (č ć š ž đ and their
// neighbours) folded once: a name is folded without decomposing each of
// its letters again. 0: not one character, left to the slow way.
constexpr char16_t kTableFrom = 0x80;
constexpr char16_t kTableTo = 0x180;

const std::array<char16_t, kTableTo - kTableFrom>& foldTable()
{
    static const auto table = [] {
        std::array<char16_t, kTableTo - kTableFrom> t{};
        for (char16_t u = kTableFrom; u < kTableTo; ++u) {
            const QString f = foldSlow(QString(QChar(u)));
            t[u - kTableFrom] = f.size() == 1 ? f.at(0).unicode() : char16_t(0);
        }
        return t;
    }();
    return table;
}

} // namespace

QString fold(const QString& text)
{
    const auto& table = foldTable();
    QString folded;
    folded.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            folded += QChar(u >= 'A' && u <= 'Z' ? char16_t(u + ('a' - 'A')) : u);
        } else if (u < kTableTo && table[u - kTableFrom] != 0) {
            folded += QChar(table[u - kTableFrom]);
        } else {
            folded += foldSlow(QString(c));
        }
    }
    return folded;
}

Query::Query(const QString& typed)
    : number(typed.trimmed())
    , folded(fold(number))
{
}

bool matches(const Query& query, const QString& startNumber, const QString& foldedName, const QString& foldedClub)
{
    if (query.isEmpty())
        return true;
    return startNumber.trimmed() == query.number || foldedName.contains(query.folded)
        || foldedClub.contains(query.folded);
}

bool matches(const Query& query, const Competitor& competitor)
{
    return matches(query, competitor.sbroj, fold(competitor.ime), fold(competitor.klub));
}

QString finishNumberNote(const QString& typed, const Competitor* competitor, const FinishRecord* finish,
                         const QDate& raceDate, const CategoryScheme& scheme)
{
    if (typed.trimmed().isEmpty())
        return {};
    if (!competitor)
        return tx::noteNotOnStartList();
    QStringList parts{competitor->sbroj.trimmed(), competitor->ime.trimmed()};
    if (!competitor->klub.trimmed().isEmpty())
        parts.append(competitor->klub.trimmed());
    const QString sexAndCategory =
        (competitor->spol + QLatin1Char(' ') + standings::categoryFor(competitor->spol, competitor->datum, raceDate, scheme)).trimmed();
    if (!sexAndCategory.isEmpty())
        parts.append(sexAndCategory);
    if (finish)
        parts.append(tx::noteAlreadyFinished(finish->vrijeme));
    return parts.join(tx::noteSeparator());
}

} // namespace search
