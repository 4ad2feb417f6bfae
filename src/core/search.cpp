#include "core/search.h"

#include "core/age.h"
#include "core/texts.h"

namespace search {

QString fold(const QString& text)
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
            folded += fold(QString(c).normalized(QString::NormalizationForm_D).left(1));
        } else if (c.category() != QChar::Mark_NonSpacing) {
            folded += c.toLower();
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
