#include "standings/finishlist.h"

#include "standings/age.h"

#include <QHash>

namespace standings {

QList<QStringList> finishListRows(const QList<FinishRecord>& finishes)
{
    QList<QStringList> rows;
    rows.reserve(finishes.size());
    int place = 0;
    for (const FinishRecord& r : finishes)
        rows.append({QString::number(++place), r.sbroj, r.vrijeme, QString::number(r.idtakmicara)});
    return rows;
}

QList<QStringList> finishDetailRows(const QList<FinishRecord>& finishes, const QList<Competitor>& startList,
                                    const QDate& raceDate)
{
    QHash<qint64, const Competitor*> byId;
    byId.reserve(startList.size());
    for (const Competitor& c : startList) {
        if (!byId.contains(c.id))
            byId.insert(c.id, &c);
    }

    QList<QStringList> rows;
    rows.reserve(finishes.size());
    int place = 0;
    for (const FinishRecord& r : finishes) {
        QStringList row{QString::number(++place), r.sbroj};
        if (const Competitor* c = byId.value(r.idtakmicara)) {
            row << c->ime << (c->datum.isValid() ? QString::number(c->datum.year()) : QString()) << c->drzava
                << c->spol << categoryFor(c->datum, raceDate);
        } else {
            row << QString() << QString() << QString() << QString() << QString();
        }
        row << r.vrijeme;
        rows.append(row);
    }
    return rows;
}

const Competitor* findByStartNumber(const QList<Competitor>& startList, const QString& startNumber)
{
    const QString wanted = startNumber.trimmed();
    if (wanted.isEmpty())
        return nullptr;
    for (const Competitor& c : startList) {
        if (c.sbroj.trimmed() == wanted)
            return &c;
    }
    return nullptr;
}

} // namespace standings
