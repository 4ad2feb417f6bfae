#include "core/columnfit.h"

#include <QtGlobal>

namespace lists {

QList<int> fitWidths(const QList<int>& preset, const QList<int>& needed, int available)
{
    QList<int> need;
    QList<int> widths;
    qint64 wanted = 0;
    qint64 least = 0;
    for (qsizetype i = 0; i < preset.size(); ++i) {
        need.append(i < needed.size() ? qMax(0, needed.at(i)) : 0);
        widths.append(qMax(preset.at(i), need.last()));
        wanted += widths.last();
        least += need.last();
    }
    if (least >= available)
        return need;
    if (wanted <= available)
        return widths;
    // The slack (preset width beyond the content) shrinks in proportion.
    const qint64 slack = wanted - least;
    const qint64 excess = wanted - available;
    qint64 taken = 0;
    for (qsizetype i = 0; i < widths.size(); ++i) {
        const qint64 own = widths.at(i) - need.at(i);
        // Rounded up, so that the sum never exceeds what is available.
        const qint64 give = qMin(qMin(own, (excess * own + slack - 1) / slack), excess - taken);
        widths[i] -= int(give);
        taken += give;
    }
    return widths;
}

} // namespace lists
