#include "core/timing.h"

#include "core/texts_finishline.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace timing {

namespace {

bool digitsOnly(QStringView s)
{
    return !s.isEmpty() && std::all_of(s.begin(), s.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QString two(qint64 v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

QString clock(qint64 seconds)
{
    return two(seconds / 3600) + QLatin1Char(':') + two(seconds / 60 % 60) + QLatin1Char(':') + two(seconds % 60);
}

} // namespace

std::optional<qint64> readTimeOfDay(const QString& text)
{
    const QString t = text.trimmed();
    QStringView whole = t;
    qint64 fractionMs = 0;
    const qsizetype mark = std::max(t.lastIndexOf(QLatin1Char('.')), t.lastIndexOf(QLatin1Char(',')));
    if (mark >= 0) {
        const QStringView fraction = QStringView(t).sliced(mark + 1);
        if (!digitsOnly(fraction) || fraction.size() > 9)
            return std::nullopt;
        // Milliseconds: the first three digits, padded.
        QString ms = fraction.first(std::min<qsizetype>(3, fraction.size())).toString();
        while (ms.size() < 3)
            ms += QLatin1Char('0');
        fractionMs = ms.toLongLong();
        whole = whole.first(mark);
    }
    const QList<QStringView> parts = whole.split(QLatin1Char(':'));
    if (parts.size() != 3 || !digitsOnly(parts[0]) || parts[0].size() > 2 || !digitsOnly(parts[1])
        || parts[1].size() != 2 || !digitsOnly(parts[2]) || parts[2].size() != 2)
        return std::nullopt;
    const qint64 h = parts[0].toLongLong(), m = parts[1].toLongLong(), s = parts[2].toLongLong();
    if (h >= 24 || m >= 60 || s >= 60)
        return std::nullopt;
    return ((h * 60 + m) * 60 + s) * 1000 + fractionMs;
}

QString timeOfDayText(qint64 ms, int decimals)
{
    ms = ((ms % kDayMs) + kDayMs) % kDayMs;
    QString text = clock(ms / 1000);
    if (decimals > 0)
        text += QLatin1Char('.') + QStringLiteral("%1").arg(ms % 1000, 3, 10, QLatin1Char('0')).left(decimals);
    return text;
}

qint64 elapsedMs(qint64 timeOfDayMs, qint64 startMs)
{
    qint64 d = timeOfDayMs - startMs;
    if (d < -kDayMs / 2)
        d += kDayMs;
    return d;
}

QString elapsedText(qint64 elapsed)
{
    const qint64 a = elapsed < 0 ? -elapsed : elapsed;
    return (elapsed < 0 ? QStringLiteral("-") : QString()) + clock(a / 1000) + QLatin1Char('.')
        + QString::number(a % 1000 / 100);
}

std::optional<QString> finishTime(qint64 elapsed)
{
    if (elapsed <= 0)
        return std::nullopt;
    const qint64 seconds = (elapsed + 999) / 1000;
    if (seconds >= 60LL * 3600)
        return std::nullopt;
    return clock(seconds);
}

std::optional<QString> readNumber(const QString& text)
{
    const QString t = text.trimmed();
    if (!digitsOnly(t) || t.size() > 6)
        return std::nullopt;
    return t;
}

bool crossesBefore(const CapturedRow& a, const CapturedRow& b)
{
    const qint64 ta = a.timeMs.value_or(-1), tb = b.timeMs.value_or(-1);
    if (ta != tb)
        return ta < tb;
    if (a.seq != b.seq)
        return a.seq < b.seq;
    return a.id < b.id;
}

QList<int> crossingOrder(const QList<CapturedRow>& rows)
{
    QList<int> order;
    order.reserve(rows.size());
    for (int i = 0; i < rows.size(); ++i)
        if (rows.at(i).timeMs && !rows.at(i).deleted)
            order.append(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return crossesBefore(rows.at(a), rows.at(b)); });
    return order;
}

int pairTarget(const QList<CapturedRow>& rows)
{
    int best = -1;
    for (int i = 0; i < rows.size(); ++i) {
        const CapturedRow& r = rows.at(i);
        if (r.deleted || !r.timeMs || !r.number.isEmpty())
            continue;
        if (best < 0 || crossesBefore(r, rows.at(best)))
            best = i;
    }
    return best;
}

int waitingNumber(const QList<CapturedRow>& rows)
{
    int best = -1;
    for (int i = 0; i < rows.size(); ++i) {
        const CapturedRow& r = rows.at(i);
        if (!r.deleted && !r.timeMs && (best < 0 || r.id < rows.at(best).id))
            best = i;
    }
    return best;
}

Evaluation evaluate(const QList<CapturedRow>& rows, std::optional<qint64> startMs,
                    const rules::StartNumberIndex& startNumbers, const QSet<qint64>& typedFinishers)
{
    Evaluation e;
    e.states.resize(rows.size(), RowState::NoNumber);
    e.competitors.resize(rows.size(), 0);
    for (int i = 0; i < rows.size(); ++i) {
        const CapturedRow& r = rows.at(i);
        if (r.deleted)
            e.states[i] = RowState::Deleted;
        else if (!r.timeMs)
            e.states[i] = RowState::Waiting;
        if (!r.number.isEmpty())
            e.competitors[i] = startNumbers.first(r.number);
    }
    QSet<QString> used;
    int order = 0;
    for (const int i : crossingOrder(rows)) {
        const CapturedRow& r = rows.at(i);
        const QString number = r.number.trimmed();
        if (number.isEmpty())
            continue;
        if (used.contains(number)) {
            e.states[i] = RowState::NumberUsed;
            continue;
        }
        used.insert(number);
        const qint64 competitor = e.competitors.at(i);
        if (competitor == 0) {
            e.states[i] = RowState::NotOnList;
            continue;
        }
        if (typedFinishers.contains(competitor)) {
            e.states[i] = RowState::Conflict;
            e.conflicts.append(i);
            continue;
        }
        e.states[i] = RowState::Matched;
        if (!startMs)
            continue;
        if (const auto time = finishTime(elapsedMs(*r.timeMs, *startMs)))
            e.records.append({r.id, competitor, r.number, *time, order++});
    }
    return e;
}

RecordChanges recordChanges(const QList<MadeRecord>& planned, const QHash<qint64, FinishRecord>& madeByRow)
{
    RecordChanges c;
    QSet<qint64> plannedRows;
    QList<bool> added(planned.size(), false);
    QHash<QString, int> firstAdd; // second -> crossing order of its first added record
    for (int i = 0; i < planned.size(); ++i) {
        const MadeRecord& p = planned.at(i);
        plannedRows.insert(p.rowId);
        const auto it = madeByRow.constFind(p.rowId);
        const bool same = it != madeByRow.cend() && it->idtakmicara == p.competitorId && it->vrijeme == p.time
            && it->sbroj == p.number;
        if (same)
            continue;
        if (it != madeByRow.cend())
            c.remove.append(it->id);
        added[i] = true;
        if (!firstAdd.contains(p.time))
            firstAdd.insert(p.time, p.order);
    }
    for (auto it = madeByRow.cbegin(); it != madeByRow.cend(); ++it)
        if (!plannedRows.contains(it.key()))
            c.remove.append(it->id);
    // Records of the same second that cross after an added one are stored
    // again after it.
    for (int i = 0; i < planned.size(); ++i) {
        const MadeRecord& p = planned.at(i);
        if (added.at(i)) {
            c.add.append(p);
            continue;
        }
        const auto first = firstAdd.constFind(p.time);
        if (first != firstAdd.cend() && p.order > *first) {
            c.remove.append(madeByRow.value(p.rowId).id);
            c.add.append(p);
        }
    }
    return c;
}

std::optional<Shift> shiftNumbers(const QList<CapturedRow>& block, bool up, const CapturedRow* waiting)
{
    if (block.isEmpty())
        return std::nullopt;
    const qsizetype n = block.size();
    Shift s;
    if (up) {
        s.pushedOff = block.first().number;
        for (qsizetype i = 0; i + 1 < n; ++i)
            s.numbers.append({block.at(i).id, block.at(i + 1).number});
        QString last;
        if (waiting) {
            last = waiting->number;
            s.consumedWaiting = waiting->id;
        }
        s.numbers.append({block.last().id, last});
    } else {
        s.pushedOff = block.last().number;
        s.numbers.append({block.first().id, QString()});
        for (qsizetype i = 1; i < n; ++i)
            s.numbers.append({block.at(i).id, block.at(i - 1).number});
    }
    return s;
}

QList<bool> doubtful(const QList<CapturedRow>& rows, const QHash<qint64, RowNote>& notes, const DoubtLimits& limits)
{
    QList<bool> doubt(rows.size(), false);
    const auto confirmed = [&](int i) { return notes.value(rows.at(i).id).confirmed; };
    const QList<int> order = crossingOrder(rows);
    // A press made twice: too soon after the one before.
    for (qsizetype k = 1; k < order.size(); ++k)
        if (*rows.at(order.at(k)).timeMs - *rows.at(order.at(k - 1)).timeMs < limits.leastGapMs)
            doubt[order.at(k)] = true;
    // A number typed while no time waited: waiting still, or taken by a
    // later press (typed before its time). Typing each number after its
    // runner's press, this is what a missed press leaves from there on.
    for (int i = 0; i < rows.size(); ++i) {
        const std::optional<qint64> typed = notes.value(rows.at(i).id).typedAtMs;
        if (!rows.at(i).timeMs || (typed && !rows.at(i).number.isEmpty() && *typed < *rows.at(i).timeMs))
            doubt[i] = true;
    }
    // A number typed into a time that had waited too long while newer times
    // waited too: the earliest such typing starts the block.
    std::optional<qint64> blockFrom;
    for (qsizetype k = 0; k < order.size(); ++k) {
        const CapturedRow& r = rows.at(order.at(k));
        const std::optional<qint64> typed = notes.value(r.id).typedAtMs;
        if (r.number.isEmpty() || !typed || confirmed(order.at(k)) || *typed - *r.timeMs <= limits.longestWaitMs)
            continue;
        // A newer time pressed before the number was typed that had no number then.
        for (qsizetype n = k + 1; n < order.size() && *rows.at(order.at(n)).timeMs < *typed; ++n) {
            const CapturedRow& newer = rows.at(order.at(n));
            const std::optional<qint64> newerTyped = notes.value(newer.id).typedAtMs;
            if (newer.number.isEmpty() || (newerTyped && *newerTyped > *typed)) {
                blockFrom = std::min(blockFrom.value_or(*typed), *typed);
                break;
            }
        }
    }
    if (blockFrom)
        for (const int i : order) {
            const std::optional<qint64> typed = notes.value(rows.at(i).id).typedAtMs;
            if (!rows.at(i).number.isEmpty() && typed && *typed >= *blockFrom)
                doubt[i] = true;
        }
    for (int i = 0; i < rows.size(); ++i)
        doubt[i] = doubt.at(i) && !rows.at(i).deleted && !confirmed(i);
    return doubt;
}

Outcome<DoubtLimits> readDoubtLimits(const QString& leastGapText, const QString& longestWaitText, DoubtLimits held)
{
    // Seconds with a decimal point or comma, to the millisecond.
    const auto read = [](const QString& text, qint64 least, qint64 most) -> std::optional<qint64> {
        QString t = text.trimmed();
        t.replace(QLatin1Char(','), QLatin1Char('.'));
        static const QRegularExpression shape(QStringLiteral("^\\d{1,4}(\\.\\d{1,3})?$"));
        if (!shape.match(t).hasMatch())
            return std::nullopt;
        const qint64 ms = std::llround(t.toDouble() * 1000);
        return ms >= least && ms <= most ? std::optional(ms) : std::nullopt;
    };
    if (!leastGapText.trimmed().isEmpty()) {
        const auto gap = read(leastGapText, 0, 10000);
        if (!gap)
            return Outcome<DoubtLimits>::refused(Field::None, tx::flSettingsGapShape());
        held.leastGapMs = *gap;
    }
    if (!longestWaitText.trimmed().isEmpty()) {
        const auto wait = read(longestWaitText, 1000, 3600000);
        if (!wait)
            return Outcome<DoubtLimits>::refused(Field::None, tx::flSettingsWaitShape());
        held.longestWaitMs = *wait;
    }
    return Outcome<DoubtLimits>::done(held);
}

QList<checks::Finding> findings(const QList<CapturedRow>& rows, std::optional<qint64> startMs,
                                const QList<Competitor>& startList, const QList<FinishRecord>& finishList,
                                const QHash<qint64, RowNote>& notes, const DoubtLimits& limits)
{
    QList<checks::Finding> found;
    QSet<qint64> made;
    for (const CapturedRow& r : rows)
        if (r.recordId != 0)
            made.insert(r.recordId);
    QHash<qint64, const FinishRecord*> typed;
    for (const FinishRecord& f : finishList)
        if (!made.contains(f.id))
            typed.insert(f.idtakmicara, &f);
    QHash<qint64, const Competitor*> byId;
    for (const Competitor& c : startList)
        byId.insert(c.id, &c);
    const rules::StartNumberIndex numbers(startList);
    const QSet<qint64> typedIds(typed.keyBegin(), typed.keyEnd());
    const Evaluation e = evaluate(rows, startMs, numbers, typedIds);
    int withoutStart = 0;
    for (const int i : crossingOrder(rows)) {
        const CapturedRow& r = rows.at(i);
        checks::Finding f;
        f.severity = checks::Severity::Error;
        f.sbroj = r.number;
        f.capturedId = r.id;
        const QString time = startMs ? elapsedText(elapsedMs(*r.timeMs, *startMs)) : timeOfDayText(*r.timeMs, 1);
        switch (e.states.at(i)) {
        case RowState::NoNumber:
            f.kind = checks::Kind::TimeWithoutNumber;
            f.message = tx::checkTimeWithoutNumber(r.seq, time);
            f.key = QStringLiteral("capture-nonumber:%1").arg(r.id);
            break;
        case RowState::NotOnList:
            f.kind = checks::Kind::NumberNotOnList;
            f.message = tx::checkNumberNotOnList(r.number, r.seq);
            f.key = QStringLiteral("capture-notonlist:%1").arg(r.id);
            break;
        case RowState::Conflict: {
            const qint64 id = e.competitors.at(i);
            const Competitor* c = byId.value(id);
            f.kind = checks::Kind::CaptureConflict;
            f.competitorId = id;
            f.finishId = typed.value(id)->id;
            f.ime = c ? c->ime : QString();
            const auto captured = startMs ? finishTime(elapsedMs(*r.timeMs, *startMs)) : std::nullopt;
            f.message = tx::checkCaptureConflict(r.number, f.ime, typed.value(id)->vrijeme,
                                                 captured.value_or(timeOfDayText(*r.timeMs, 1)));
            f.key = QStringLiteral("capture-conflict:%1").arg(r.id);
            break;
        }
        case RowState::NumberUsed:
            f.kind = checks::Kind::NumberUsedTwice;
            f.message = tx::checkNumberUsedTwice(r.number, r.seq, time);
            f.key = QStringLiteral("capture-numbertwice:%1").arg(r.id);
            break;
        case RowState::Matched:
            // A matched row makes a finish record only from a start it crossed after.
            if (!startMs) {
                ++withoutStart;
                continue;
            }
            if (elapsedMs(*r.timeMs, *startMs) > 0)
                continue;
            f.kind = checks::Kind::TimeBeforeStart;
            f.message = tx::checkTimeBeforeStart(r.number, r.seq, time);
            f.key = QStringLiteral("capture-beforestart:%1").arg(r.id);
            break;
        default:
            continue;
        }
        found.append(f);
    }
    // Rows that may be wrong: warnings, after the errors.
    const QList<bool> doubt = doubtful(rows, notes, limits);
    QList<int> listed = crossingOrder(rows);
    for (int i = 0; i < rows.size(); ++i)
        if (!rows.at(i).timeMs)
            listed.append(i);
    for (const int i : listed) {
        if (!doubt.at(i))
            continue;
        const CapturedRow& r = rows.at(i);
        checks::Finding f;
        f.severity = checks::Severity::Warning;
        f.kind = checks::Kind::CaptureDoubtful;
        f.sbroj = r.number;
        f.capturedId = r.id;
        const QString time = !r.timeMs  ? QString()
            : startMs                   ? elapsedText(elapsedMs(*r.timeMs, *startMs))
                                        : timeOfDayText(*r.timeMs, 1);
        f.message = tx::checkCaptureDoubtful(r.seq, time, r.number);
        f.key = QStringLiteral("capture-doubtful:%1").arg(r.id);
        found.append(f);
    }
    if (withoutStart > 0) {
        checks::Finding f;
        f.severity = checks::Severity::Error;
        f.kind = checks::Kind::NoStart;
        f.message = tx::checkNoStart(withoutStart);
        f.key = QStringLiteral("capture-nostart");
        found.prepend(f);
    }
    return found;
}

} // namespace timing
