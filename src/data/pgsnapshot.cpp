#include "data/pgsnapshot.h"

namespace pgsnapshot {

std::optional<Snapshot> parse(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 3)
        return std::nullopt;
    Snapshot s;
    bool ok1 = false;
    bool ok2 = false;
    s.xmin = parts.at(0).toLongLong(&ok1);
    s.xmax = parts.at(1).toLongLong(&ok2);
    if (!ok1 || !ok2 || s.xmin > s.xmax)
        return std::nullopt;
    for (const QString& id : parts.at(2).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        s.inProgress.append(id.toLongLong(&ok));
        if (!ok)
            return std::nullopt;
    }
    return s;
}

bool othersEnded(const Snapshot& before, const Snapshot& after, const QList<qint64>& own)
{
    const auto endedByAfter = [&](qint64 id) {
        return id < after.xmax && !after.inProgress.contains(id) && !own.contains(id);
    };
    // Running at the first look, or begun since.
    for (qint64 id : before.inProgress) {
        if (endedByAfter(id))
            return true;
    }
    // Many transactions since the last look: somebody else was busy.
    if (after.xmax - before.xmax > 1000)
        return true;
    for (qint64 id = before.xmax; id < after.xmax; ++id) {
        if (endedByAfter(id))
            return true;
    }
    return false;
}

} // namespace pgsnapshot
