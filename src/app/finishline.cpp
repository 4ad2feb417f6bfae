#include "app/finishline.h"

#include "app/racesession.h"
#include "app/station.h"
#include "core/texts.h"
#include "core/texts_finishline.h"
#include "data/database.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTime>
#include <QUuid>
#include <algorithm>

namespace finishline {

namespace {

// Above this many changed records the finish list is read again instead of
// being changed row by row.
constexpr int kRowByRowLimit = 300;

std::optional<qint64> readSeconds(const QString& text, bool signedValue)
{
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    static const QRegularExpression shape(QStringLiteral("^[+-]?\\d+(\\.\\d+)?$"));
    if (!shape.match(t).hasMatch() || (!signedValue && (t.startsWith(u'-') || t.startsWith(u'+'))))
        return std::nullopt;
    const double seconds = t.toDouble();
    if (std::abs(seconds) > 12 * 3600)
        return std::nullopt;
    return qint64(std::llround(seconds * 1000));
}

} // namespace

qint64 SystemClock::wallTimeOfDayMs() const
{
    return QTime::currentTime().msecsSinceStartOfDay();
}

QString defaultJournalPath(RaceSession& session)
{
    const Database& db = session.database();
    if (!db.isPostgres())
        return db.path() + QStringLiteral(".cilj");
    QString name = db.displayName();
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]+")), QStringLiteral("_"));
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("kelvora-cilj-%1.txt").arg(name));
}

// ---- Times files ----------------------------------------------------------------

Outcome<QList<ImportLine>> readTimesFile(const QByteArray& bytes)
{
    using Result = Outcome<QList<ImportLine>>;
    QList<ImportLine> lines;
    const QStringList texts = QString::fromUtf8(bytes).split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    // The fraction takes every digit after the point, so that a run of
    // digits past what a time holds is refused rather than read as a number.
    static const QRegularExpression timeWithPoint(QStringLiteral("^(\\d{1,2}:\\d{2}:\\d{2}(?:\\.(\\d+))?)(.*)$"));
    static const QRegularExpression timeWithComma(QStringLiteral("^(\\d{1,2}:\\d{2}:\\d{2}(?:[.,](\\d+))?)(.*)$"));
    // Only a first line that does not even begin like a time is a header.
    static const QRegularExpression timeShape(QStringLiteral("^\\d{1,2}:\\d"));
    constexpr qsizetype kMostFractionDigits = 9;
    bool first = true;
    for (int i = 0; i < texts.size(); ++i) {
        const QString line = texts.at(i).trimmed();
        if (line.isEmpty())
            continue;
        // A comma after the seconds is a decimal comma only where the
        // columns are apart by semicolons or tabs.
        const bool commaFraction = line.contains(u';') || line.contains(u'\t');
        const QRegularExpressionMatch m = (commaFraction ? timeWithComma : timeWithPoint).match(line);
        const auto time = m.hasMatch() && m.captured(2).size() <= kMostFractionDigits
            ? timing::readTimeOfDay(m.captured(1))
            : std::nullopt;
        QString rest = m.hasMatch() ? m.captured(3).trimmed() : QString();
        while (!rest.isEmpty() && (rest.front() == u',' || rest.front() == u';'))
            rest = rest.mid(1).trimmed();
        const auto number = rest.isEmpty() ? std::optional<QString>(QString()) : timing::readNumber(rest);
        if (!time || !number) {
            if (first && !timeShape.match(line).hasMatch())
                continue; // a header line
            return Result::refused(Field::None, tx::flFileLine(i + 1, line));
        }
        first = false;
        lines.append({i + 1, *time, *number});
    }
    return Result::done(lines);
}

ImportPlan planImport(const QList<timing::CapturedRow>& rows, const QList<ImportLine>& lines, qint64 offsetMs,
                      qint64 toleranceMs)
{
    ImportPlan plan;
    const QList<int> order = timing::crossingOrder(rows);
    QList<qint64> times;
    times.reserve(order.size());
    for (const int i : order)
        times.append(*rows.at(i).timeMs);
    QList<bool> paired(order.size(), false);
    for (ImportLine line : lines) {
        line.timeMs = ((line.timeMs + offsetMs) % timing::kDayMs + timing::kDayMs) % timing::kDayMs;
        const qsizetype at = std::lower_bound(times.cbegin(), times.cend(), line.timeMs) - times.cbegin();
        qsizetype best = -1;
        for (qsizetype k = at - 1; k >= 0 && line.timeMs - times.at(k) <= toleranceMs; --k)
            if (!paired.at(k)) {
                best = k;
                break;
            }
        for (qsizetype k = at; k < times.size() && times.at(k) - line.timeMs <= toleranceMs; ++k)
            if (!paired.at(k)) {
                if (best < 0 || times.at(k) - line.timeMs < line.timeMs - times.at(best))
                    best = k;
                break;
            }
        if (best < 0) {
            plan.added.append(line);
            continue;
        }
        paired[best] = true;
        ++plan.paired;
        const timing::CapturedRow& row = rows.at(order.at(best));
        if (row.number.isEmpty() && !line.number.isEmpty())
            plan.fills.append({row.id, line.number});
    }
    return plan;
}

// ---- The finish line ----------------------------------------------------------------

namespace {

// A line of the journal file: kind, race, time or number, station, token,
// and for a number the time it was typed (a sixth field earlier versions
// leave unread).
QByteArray journalLine(const JournalEntry& e)
{
    QString line = QStringLiteral("%1\t%2\t%3\t%4\t%5")
                       .arg(e.press ? QStringLiteral("P") : QStringLiteral("N"))
                       .arg(e.raceId)
                       .arg(e.press ? QString::number(e.timeMs) : e.number)
                       .arg(e.station, e.token);
    if (e.typedAtMs)
        line += QLatin1Char('\t') + QString::number(*e.typedAtMs);
    return (line + QLatin1Char('\n')).toUtf8();
}

// Whether a failed write is one the writer tries again (the file locked, the
// server gone) rather than a refusal of what was asked.
bool worthRetry(const DbError& error, Database& db)
{
    return error.isBusy() || db.connectionLost() || !db.isOpen();
}

} // namespace

FinishLine::FinishLine(RaceSession& session, std::shared_ptr<Clock> clock, QString journalPath,
                       CaptureWriter::Mode mode, QObject* parent)
    : QObject(parent)
    , m_session(session)
    , m_clock(clock ? std::move(clock) : std::make_shared<SystemClock>())
    , m_journalPath(journalPath.isEmpty() ? defaultJournalPath(session) : std::move(journalPath))
    , m_station(station::name())
    , m_raceId(session.race().id)
{
    m_anchorWall = m_clock->wallTimeOfDayMs();
    m_anchorMono = m_clock->monotonicMs();
    m_writer = new CaptureWriter(session.database(), mode, m_journalPath, this);
    loadJournal();
    m_loaded = reload();
    connect(&m_session, &RaceSession::listsChanged, this, &FinishLine::onListsChanged);
    connect(&m_session, &RaceSession::capturedRowsChanged, this, [this] { reload(); });
    connect(&m_session, &RaceSession::capturedRowsNoted, this, &FinishLine::onCapturedNoted);
    // What the journal held when the program last ended goes to the
    // database first, in its order; laid out once after all of it.
    ++m_holdLayout;
    const QList<JournalEntry> waiting = m_pending;
    for (const JournalEntry& e : waiting)
        submitEntry(e);
    --m_holdLayout;
    if (m_layoutDue && m_writer->mode() == CaptureWriter::Mode::Direct)
        layoutNow();
    m_told = &m_session;
    m_session.finishLineOpen(true);
}

FinishLine::~FinishLine()
{
    // Writes still queued are stored by the writer as it closes (or wait
    // in the journal for the next time); nothing is shown any more.
    blockSignals(true);
    if (m_told)
        m_told->finishLineOpen(false);
}

FinishLine::FinishLine(RaceSession& session, InStepOnly)
    : m_session(session)
    , m_clock(std::make_shared<SystemClock>())
    , m_station(station::name())
    , m_raceId(session.race().id)
{
    m_writer = new CaptureWriter(session.database(), CaptureWriter::Mode::Direct, QString(), this);
    m_loaded = reload();
}

Status FinishLine::bringRecordsInStep(RaceSession& session)
{
    return FinishLine(session, InStepOnly{}).loadStatus();
}

qint64 FinishLine::timeOfDay(qint64 monotonicMs) const
{
    const qint64 t = m_anchorWall + (monotonicMs - m_anchorMono);
    return (t % timing::kDayMs + timing::kDayMs) % timing::kDayMs;
}

qint64 FinishLine::momentOfEvent(quint64 eventTimestamp)
{
    const qint64 now = m_clock->monotonicMs();
    if (eventTimestamp == 0)
        return now;
    const qint64 ts = qint64(eventTimestamp);
    // The base takes the smallest delay seen between an event and its
    // handling; a moment later than now, or far behind (a new base of the
    // platform's clock), sets it again.
    if (m_eventBase) {
        const qint64 at = *m_eventBase + ts;
        if (at <= now && at >= now - 2000)
            return at;
    }
    m_eventBase = now - ts;
    return now;
}

std::optional<qint64> FinishLine::elapsedNow() const
{
    if (!m_start)
        return std::nullopt;
    return timing::elapsedMs(timeOfDay(m_clock->monotonicMs()), *m_start);
}

const timing::CapturedRow* FinishLine::row(qint64 id) const
{
    const int i = m_index.value(id, -1);
    return i < 0 ? nullptr : &m_rows.at(i);
}

FinishLine::Counts FinishLine::counts() const
{
    Counts c;
    int freeTimes = 0;
    int freeNumbers = 0;
    for (const timing::CapturedRow& r : m_rows) {
        if (r.deleted)
            continue;
        if (!r.timeMs) {
            ++freeNumbers;
            continue;
        }
        ++c.times;
        if (!r.number.isEmpty())
            ++c.numbered;
        else
            ++freeTimes;
    }
    for (const JournalEntry& e : m_pending) {
        if (e.press) {
            ++c.times;
            ++freeTimes;
        } else {
            ++freeNumbers;
        }
    }
    const int paired = std::min(freeTimes, freeNumbers);
    c.numbered += paired;
    c.without = freeTimes - paired;
    c.numbersWaiting = freeNumbers - paired;
    return c;
}

QString FinishLine::numberPreview(const QString& text) const
{
    const auto number = timing::readNumber(text);
    if (!number)
        return {};
    // Numbers still being stored take the oldest free times first.
    int taken = 0;
    for (const JournalEntry& e : m_pending) {
        if (!e.press && e.number == *number)
            return tx::flPreviewUsed();
        taken += e.press ? 0 : 1;
    }
    for (const timing::CapturedRow& r : m_rows)
        if (!r.deleted && r.number == *number)
            return tx::flPreviewUsed();
    std::optional<qint64> target;
    if (taken == 0) {
        // The usual case, at every digit typed: the oldest free time, no sort.
        if (const int i = timing::pairTarget(m_rows); i >= 0)
            target = *m_rows.at(i).timeMs;
    } else {
        for (const int i : timing::crossingOrder(m_rows)) {
            if (m_rows.at(i).number.isEmpty() && taken-- == 0) {
                target = *m_rows.at(i).timeMs;
                break;
            }
        }
    }
    for (qsizetype k = 0; !target && k < m_pending.size(); ++k) {
        if (m_pending.at(k).press && taken-- == 0)
            target = m_pending.at(k).timeMs;
    }
    const qint64 id = m_session.startNumbers().first(*number);
    const Competitor* c = id ? m_session.competitor(id) : nullptr;
    if (!c)
        return tx::flPreviewNotOnList();
    if (!target)
        return tx::flPreviewWaits() + QStringLiteral(" · ") + *number + QLatin1Char(' ') + c->ime;
    const QString time = m_start ? timing::elapsedText(timing::elapsedMs(*target, *m_start))
                                 : timing::timeOfDayText(*target, 1);
    return tx::flPreview(time, *number, c->ime);
}

qint64 FinishLine::oldestPendingMs() const
{
    return m_pending.isEmpty() ? 0 : m_clock->monotonicMs() - m_pending.first().journaledAt;
}

// ---- Reading ----

Status FinishLine::reload()
{
    if (!m_session.hasRace() || m_session.race().id != m_raceId)
        return Status::refused(Field::None, tx::openOrCreateRace());
    // The lists the session reads now must not be matched with the rows
    // held until the rows are read too: records would follow rows gone.
    const bool wasApplying = std::exchange(m_applying, true);
    const Status fresh = m_session.refresh();
    m_applying = wasApplying;
    if (!fresh)
        return fresh;
    Database& db = m_session.database();
    const auto start = db.captureStart(m_raceId);
    if (!start)
        return Status::dbFailed(start.error());
    auto rows = db.capturedRows(m_raceId);
    if (!rows)
        return Status::dbFailed(rows.error());
    auto notes = db.captureNotes(m_raceId);
    if (!notes)
        return Status::dbFailed(notes.error());
    m_start = start.value();
    m_rows = std::move(rows.value());
    m_notes = std::move(notes.value());
    m_layoutDue = false;
    rebuild();
    emit startChanged();
    emit rowsReset();
    return syncRecords();
}

Status FinishLine::refresh()
{
    Database& db = m_session.database();
    if (m_writer->mode() == CaptureWriter::Mode::Direct)
        return m_session.refresh();
    // A file another program holds locked is looked at again at the next look.
    db.setBusyWait(false);
    const Status fresh = m_session.refresh();
    db.setBusyWait(true);
    return fresh;
}

void FinishLine::onCapturedNoted(const QList<qint64>& keys, bool all)
{
    if (m_applying || !m_session.hasRace() || m_session.race().id != m_raceId)
        return;
    if (all) {
        m_applying = true;
        const auto start = m_session.database().captureStart(m_raceId);
        auto rows = m_session.database().capturedRows(m_raceId);
        auto notes = m_session.database().captureNotes(m_raceId);
        m_applying = false;
        if (!start || !rows || !notes)
            return; // read at the next look, which reads everything again
        const bool startMoved = m_start != start.value();
        m_start = start.value();
        if (!startMoved && rows.value() == m_rows && notes.value() == m_notes)
            return;
        m_notes = std::move(notes.value());
        m_rows = std::move(rows.value());
        layoutNow();
        if (startMoved)
            emit startChanged();
        return;
    }
    const auto fresh = m_session.database().capturedRowsOf(m_raceId, keys);
    const auto notes = m_session.database().captureNotes(m_raceId);
    if (!fresh || !notes)
        return;
    // Rows this station's writer stored come back the same and change nothing.
    QSet<qint64> found;
    bool changed = notes.value() != m_notes;
    m_notes = notes.value();
    for (const timing::CapturedRow& r : fresh.value()) {
        found.insert(r.id);
        const int i = m_index.value(r.id, -1);
        if (i >= 0 && m_rows.at(i) == r)
            continue;
        changed = true;
        keepRow(r);
    }
    QList<timing::CapturedRow> kept;
    for (const qint64 key : keys)
        if (!found.contains(key) && m_index.contains(key))
            changed = true;
    if (!changed)
        return;
    if (found.size() != keys.size()) {
        kept.reserve(m_rows.size());
        const QSet<qint64> named(keys.cbegin(), keys.cend());
        for (const timing::CapturedRow& r : std::as_const(m_rows))
            if (!named.contains(r.id) || found.contains(r.id))
                kept.append(r);
        m_rows = std::move(kept);
    }
    layoutNow();
}

void FinishLine::onListsChanged()
{
    // The start list or the finish list changed: a runner registered since
    // makes the row's record now; a typed record shows as a conflict.
    if (m_applying)
        return;
    m_applying = true;
    const QList<timing::RowState> states = m_eval.states;
    const QList<qint64> competitors = m_eval.competitors;
    const QList<bool> doubt = m_doubt;
    rebuild();
    if (states != m_eval.states || competitors != m_eval.competitors || doubt != m_doubt)
        emit statesChanged();
    syncRecords();
    m_applying = false;
}

void FinishLine::rebuild()
{
    m_index.clear();
    m_index.reserve(m_rows.size());
    QSet<qint64> made;
    for (int i = 0; i < m_rows.size(); ++i) {
        m_index.insert(m_rows.at(i).id, i);
        if (m_rows.at(i).recordId != 0)
            made.insert(m_rows.at(i).recordId);
    }
    QSet<qint64> typed;
    for (const FinishRecord& r : m_session.finishList())
        if (!made.contains(r.id))
            typed.insert(r.idtakmicara);
    m_eval = timing::evaluate(m_rows, m_start, m_session.startNumbers(), typed);
    m_doubt = timing::doubtful(m_rows, m_notes, m_session.settings().doubt);
}

void FinishLine::layoutSoon()
{
    if (m_layoutDue)
        return;
    m_layoutDue = true;
    if (m_holdLayout > 0)
        return;
    if (m_writer->mode() == CaptureWriter::Mode::Direct)
        layoutNow();
    else
        QTimer::singleShot(0, this, [this] {
            if (m_layoutDue)
                layoutNow();
        });
}

void FinishLine::layoutNow()
{
    m_layoutDue = false;
    rebuild();
    emit rowsReset();
    syncRecords();
}

Status FinishLine::syncRecords()
{
    // One store of made records at a time: the next is worked out from
    // what the last one made.
    if (m_recordsInFlight) {
        m_recordsAgain = true;
        return Status::done();
    }
    QHash<qint64, const FinishRecord*> byId;
    bool anyMade = false;
    for (const timing::CapturedRow& r : m_rows)
        anyMade = anyMade || r.recordId != 0;
    if (!anyMade && m_eval.records.isEmpty())
        return Status::done();
    byId.reserve(m_session.finishList().size());
    for (const FinishRecord& r : m_session.finishList())
        byId.insert(r.id, &r);
    QHash<qint64, FinishRecord> madeByRow;
    QList<qint64> stale; // records of rows no longer in the finish list
    for (const timing::CapturedRow& r : m_rows) {
        if (r.recordId == 0)
            continue;
        if (const FinishRecord* f = byId.value(r.recordId))
            madeByRow.insert(r.id, *f);
        else
            stale.append(r.recordId);
    }
    timing::RecordChanges changes = timing::recordChanges(m_eval.records, madeByRow);
    changes.remove.append(stale);
    if (changes.isEmpty())
        return Status::done();
    m_recordsInFlight = true;
    m_directFailure.reset();
    const qint64 raceId = m_raceId;
    m_writer->submit([this, raceId, changes](Database& db) -> CaptureWriter::Done {
        const auto stored = db.applyCaptureRecords(raceId, changes);
        return {false, [this, changes, stored] { recordsStored(changes, stored); }};
    });
    return submitted();
}

void FinishLine::recordsStored(const timing::RecordChanges& changes,
                               const DbResult<Database::CaptureRecordsStored>& stored)
{
    m_recordsInFlight = false;
    if (!stored) {
        m_directFailure = Status::dbFailed(stored.error());
        emit problem(tx::dbError(stored.error()));
        // Worked out again at the next change, or in a moment.
        QTimer::singleShot(1000, this, [this] { syncRecords(); });
        return;
    }
    if (m_writer->mode() == CaptureWriter::Mode::Direct)
        m_session.ownWriteStored();
    const QSet<qint64> removed(changes.remove.cbegin(), changes.remove.cend());
    for (timing::CapturedRow& r : m_rows)
        if (removed.contains(r.recordId))
            r.recordId = 0;
    const QSet<qint64> refused(stored.value().refusedRows.cbegin(), stored.value().refusedRows.cend());
    qsizetype next = 0;
    for (const timing::MadeRecord& m : changes.add) {
        if (refused.contains(m.rowId))
            continue;
        const int i = m_index.value(m.rowId, -1);
        if (i >= 0 && next < stored.value().added.size())
            m_rows[i].recordId = stored.value().added.at(next).id;
        ++next;
    }
    const bool wasApplying = std::exchange(m_applying, true);
    if (changes.remove.size() + stored.value().added.size() > kRowByRowLimit || !refused.isEmpty()) {
        // Many at once, or another station's typed records met: read the lists again.
        m_session.ownWriteStored();
        m_session.reload();
    } else {
        m_session.applyFinishChanges(changes.remove, stored.value().added);
    }
    m_applying = wasApplying;
    // The change feed may have brought these records in before this
    // answer, when they read as typed ones: the rows are evaluated again
    // now that they are known as made.
    rebuild();
    emit statesChanged();
    if (std::exchange(m_recordsAgain, false))
        syncRecords();
}

void FinishLine::submitWrite(std::function<DbStatus(Database&)> write, std::function<void()> then, bool retry)
{
    m_directFailure.reset();
    m_writer->submit([this, write, then, retry](Database& db) -> CaptureWriter::Done {
        const DbStatus stored = write(db);
        if (!stored && retry && worthRetry(stored.error(), db))
            return {true, {}};
        return {false, [this, stored, then] {
                    if (!stored) {
                        m_directFailure = storeFailed(stored.error());
                        emit problem(m_directFailure->kind() == Status::Kind::Refused ? m_directFailure->refusal().message
                                                                                     : tx::dbError(stored.error()));
                        return;
                    }
                    if (m_writer->mode() == CaptureWriter::Mode::Direct)
                        m_session.ownWriteStored();
                    if (then)
                        then();
                }};
    });
}

Status FinishLine::submitted()
{
    if (m_writer->mode() != CaptureWriter::Mode::Direct)
        return Status::done();
    const std::optional<Status> failure = std::exchange(m_directFailure, std::nullopt);
    return failure.value_or(Status::done());
}

// ---- The start ----

void FinishLine::storeStart(std::optional<qint64> startMs)
{
    // The start is tried until it is stored: the race's clock depends on it.
    const qint64 raceId = m_raceId;
    const QString station = m_station;
    submitWrite([raceId, startMs, station](Database& db) { return db.setCaptureStart(raceId, startMs, station); },
                {}, true);
}

Status FinishLine::start()
{
    refresh(); // another station's start; a failure is met by the store
    if (m_start)
        return Status::refused(Field::None, tx::flStartAlready());
    const qint64 mono = m_clock->monotonicMs();
    const qint64 wall = m_clock->wallTimeOfDayMs();
    // The race clock is the wall clock at the start, kept by the monotonic clock from then on.
    m_anchorWall = wall;
    m_anchorMono = mono;
    m_eventBase.reset();
    m_start = wall;
    m_startPressed = mono;
    storeStart(wall);
    const Status stored = submitted();
    if (!stored) {
        m_start.reset();
        m_startPressed.reset();
        return stored;
    }
    rebuild();
    emit startChanged();
    emit rowsReset();
    syncRecords();
    return submitted();
}

bool FinishLine::canUndoStart() const
{
    return m_start && m_startPressed && m_clock->monotonicMs() - *m_startPressed < 60 * 1000;
}

Status FinishLine::undoStart()
{
    if (!m_start)
        return Status::refused(Field::None, tx::flNoStartToUndo());
    if (!canUndoStart())
        return Status::refused(Field::None, tx::flUndoTooLate());
    storeStart(std::nullopt);
    if (const Status stored = submitted(); !stored)
        return stored;
    m_start.reset();
    m_startPressed.reset();
    rebuild();
    emit startChanged();
    emit rowsReset();
    syncRecords();
    return submitted();
}

Status FinishLine::setStart(const QString& text)
{
    const auto ms = timing::readTimeOfDay(text);
    if (!ms)
        return Status::refused(Field::None, tx::flStartShape());
    refresh();
    storeStart(*ms);
    if (const Status stored = submitted(); !stored)
        return stored;
    m_start = *ms;
    m_startPressed.reset();
    rebuild();
    emit startChanged();
    emit rowsReset();
    syncRecords();
    return submitted();
}

// ---- Capturing ----

Outcome<timing::CapturedRow> FinishLine::press(std::optional<qint64> monotonicMs)
{
    JournalEntry e;
    e.raceId = m_raceId;
    e.press = true;
    e.timeMs = timeOfDay(monotonicMs.value_or(m_clock->monotonicMs()));
    e.station = m_station;
    return take(e);
}

Outcome<timing::CapturedRow> FinishLine::pressAt(qint64 timeOfDayMs)
{
    JournalEntry e;
    e.raceId = m_raceId;
    e.press = true;
    e.timeMs = timeOfDayMs;
    e.station = m_station;
    return take(e);
}

Outcome<timing::CapturedRow> FinishLine::number(const QString& text)
{
    const auto n = timing::readNumber(text);
    if (!n)
        return Outcome<timing::CapturedRow>::refused(Field::StartNumber, tx::flNumberShape());
    JournalEntry e;
    e.raceId = m_raceId;
    e.press = false;
    e.number = *n;
    e.station = m_station;
    e.typedAtMs = timeOfDay(m_clock->monotonicMs());
    return take(e);
}

Outcome<timing::CapturedRow> FinishLine::take(JournalEntry entry)
{
    entry.token = QUuid::createUuid().toString(QUuid::WithoutBraces);
    entry.journaledAt = m_clock->monotonicMs();
    // The journal first: a program killed from here on loses nothing.
    const bool journaled = m_writer->append(journalLine(entry));
    m_pending.append(entry);
    emit pendingAppended();
    emit pendingChanged(int(m_pending.size()));
    if (!journaled)
        emit problem(tx::flJournalUnwritten(m_journalPath));
    m_lastStored.reset();
    submitEntry(entry);
    // The direct writer has stored it already, unless the database refused.
    if (m_lastStored && m_lastStored->first == entry.token)
        return Outcome<timing::CapturedRow>::done(m_lastStored->second);
    timing::CapturedRow shown;
    if (entry.press)
        shown.timeMs = entry.timeMs;
    shown.number = entry.number;
    shown.station = entry.station;
    return Outcome<timing::CapturedRow>::done(shown);
}

void FinishLine::submitEntry(const JournalEntry& entry)
{
    m_writer->submit([this, entry](Database& db) -> CaptureWriter::Done {
        const DbResult<timing::CapturedRow> stored =
            entry.press ? db.storePress(entry.raceId, entry.timeMs, QString(), entry.station, QString(), entry.token)
                        : db.storeNumber(entry.raceId, entry.number, entry.station, entry.token, entry.typedAtMs);
        // Never dropped: tried again until stored; a duplicate token was stored before.
        if (!stored && !stored.error().isDuplicate())
            return {true, {}};
        return {false, [this, entry, stored] { entryStored(entry, stored); }};
    });
}

void FinishLine::entryStored(const JournalEntry& entry, const DbResult<timing::CapturedRow>& stored)
{
    qsizetype at = 0;
    while (at < m_pending.size() && m_pending.at(at).token != entry.token)
        ++at;
    if (at == m_pending.size())
        return;
    m_pending.removeAt(at);
    if (m_writer->mode() == CaptureWriter::Mode::Direct)
        m_session.ownWriteStored();
    if (stored && entry.typedAtMs)
        m_notes[stored.value().id] = {entry.typedAtMs, false};
    if (!stored) {
        m_readAllWhenStored = true;
        emit pendingTaken(int(at));
    } else if (at == 0 && !m_layoutDue && isPlainPress(entry, stored.value())) {
        // A press with no number after every timed row: the list only grows
        // by it, in the place its waiting entry had.
        appendPlain(stored.value());
        emit pendingStored(1);
    } else {
        emit pendingTaken(int(at));
        keepRow(stored.value());
        layoutSoon();
    }
    if (stored)
        m_lastStored = std::make_pair(entry.token, stored.value());
    emit entryDone(entry.token, stored ? stored.value().id : 0);
    if (m_pending.isEmpty()) {
        m_writer->drained();
        if (std::exchange(m_readAllWhenStored, false))
            reload();
    }
    emit pendingChanged(int(m_pending.size()));
}

bool FinishLine::isPlainPress(const JournalEntry& entry, const timing::CapturedRow& row) const
{
    return entry.press && row.number.isEmpty() && !m_index.contains(row.id)
        && (m_rows.isEmpty() || !m_rows.last().timeMs || *m_rows.last().timeMs <= *row.timeMs);
}

void FinishLine::appendPlain(const timing::CapturedRow& row)
{
    // A press with no number: no other row's state changes.
    m_rows.append(row);
    m_index.insert(row.id, int(m_rows.size() - 1));
    m_eval.states.append(timing::RowState::NoNumber);
    m_eval.competitors.append(0);
    // Doubtful only when pressed too soon after the press before it.
    qsizetype before = m_rows.size() - 2;
    while (before >= 0 && (m_rows.at(before).deleted || !m_rows.at(before).timeMs))
        --before;
    m_doubt.append(before >= 0 && *row.timeMs - *m_rows.at(before).timeMs < m_session.settings().doubt.leastGapMs);
}

void FinishLine::keepRow(const timing::CapturedRow& row)
{
    const int i = m_index.value(row.id, -1);
    if (i >= 0) {
        m_rows[i] = row;
        return;
    }
    m_rows.append(row);
    m_index.insert(row.id, int(m_rows.size() - 1));
}

// ---- The journal ----

void FinishLine::loadJournal()
{
    QFile file(m_journalPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    QByteArray kept;
    QByteArray waiting;
    const qint64 now = m_clock->monotonicMs();
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        const QStringList f = QString::fromUtf8(line).trimmed().split(QLatin1Char('\t'));
        if (f.size() < 5)
            continue; // a line cut short by a crash was never shown
        JournalEntry e;
        e.press = f.at(0) == QLatin1String("P");
        e.raceId = f.at(1).toLongLong();
        if (e.press)
            e.timeMs = f.at(2).toLongLong();
        else
            e.number = f.at(2);
        e.station = f.at(3);
        e.token = f.at(4);
        if (!e.press && f.size() > 5)
            e.typedAtMs = f.at(5).toLongLong();
        e.journaledAt = now;
        if (e.raceId == m_raceId) {
            m_pending.append(e);
            waiting += journalLine(e);
        } else {
            m_otherRaces.append(e);
            kept += journalLine(e);
        }
    }
    file.close();
    // Other races' entries stay in the file until their finish line is opened.
    m_writer->rewrite(kept, waiting);
}

// ---- Corrections ----

Outcome<timing::CapturedRow> FinishLine::insertTime(const QString& timeText, const QString& numberText)
{
    using Result = Outcome<timing::CapturedRow>;
    const auto ms = timing::readTimeOfDay(timeText);
    if (!ms)
        return Result::refused(Field::FinishTime, tx::flTimeShape());
    std::optional<QString> n = QString();
    if (!numberText.trimmed().isEmpty())
        n = timing::readNumber(numberText);
    if (!n)
        return Result::refused(Field::StartNumber, tx::flNumberShape());
    refresh();
    auto inserted = std::make_shared<timing::CapturedRow>();
    const qint64 raceId = m_raceId;
    const QString station = m_station;
    const QString number = *n;
    const qint64 timeMs = *ms;
    submitWrite(
        [=](Database& db) {
            const auto stored = db.storePress(raceId, timeMs, number, station, tx::flSourceTyped());
            if (stored)
                *inserted = stored.value();
            return stored ? DbStatus::success() : DbStatus::failure(stored.error());
        },
        [this, inserted] {
            keepRow(*inserted);
            layoutNow();
            emit corrected(inserted->id);
        },
        false);
    if (const Status s = submitted(); !s)
        return s.failure<timing::CapturedRow>();
    timing::CapturedRow shown = *inserted;
    if (shown.id == 0) {
        shown.timeMs = timeMs;
        shown.number = number;
    }
    return Result::done(shown);
}

Status FinishLine::storeFailed(const DbError& error)
{
    // What the database holds is shown again, in place of what was changed here.
    reload();
    if (!error.isGone())
        return Status::dbFailed(error);
    return Status::refused(Field::None, tx::flRowGone());
}

Status FinishLine::setDeleted(qint64 rowId, bool deleted)
{
    refresh();
    if (!row(rowId))
        return Status::refused(Field::None, tx::flRowGone());
    const qint64 raceId = m_raceId;
    // The change is written before the records that follow it.
    submitWrite([=](Database& db) { return db.setCapturedDeleted(raceId, rowId, deleted); }, {}, false);
    if (const Status stored = submitted(); !stored)
        return stored;
    m_rows[m_index.value(rowId)].deleted = deleted;
    layoutNow();
    return submitted();
}

Status FinishLine::confirm(const QList<qint64>& rowIds)
{
    QList<qint64> known;
    for (const qint64 id : rowIds)
        if (row(id))
            known.append(id);
    if (known.isEmpty())
        return Status::refused(Field::None, tx::flConfirmEmpty());
    const qint64 raceId = m_raceId;
    submitWrite([=](Database& db) { return db.confirmCaptured(raceId, known); }, {}, false);
    if (const Status stored = submitted(); !stored)
        return stored;
    for (const qint64 id : known)
        m_notes[id].confirmed = true;
    rebuild();
    emit statesChanged();
    return Status::done();
}

Status FinishLine::setNumber(qint64 rowId, const QString& text)
{
    std::optional<QString> n = QString();
    if (!text.trimmed().isEmpty())
        n = timing::readNumber(text);
    if (!n)
        return Status::refused(Field::StartNumber, tx::flNumberShape());
    refresh();
    if (!row(rowId))
        return Status::refused(Field::None, tx::flRowGone());
    const qint64 raceId = m_raceId;
    const QString number = *n;
    submitWrite([=](Database& db) { return db.setCapturedNumbers(raceId, {{rowId, number}}); }, {}, false);
    if (const Status stored = submitted(); !stored)
        return stored;
    m_rows[m_index.value(rowId)].number = number;
    layoutNow();
    return submitted();
}

Status FinishLine::shiftNumbers(const QList<qint64>& rowIds, bool up)
{
    refresh();
    const QSet<qint64> chosen(rowIds.cbegin(), rowIds.cend());
    const QList<int> order = timing::crossingOrder(m_rows);
    QList<timing::CapturedRow> block;
    for (const int i : order)
        if (chosen.contains(m_rows.at(i).id))
            block.append(m_rows.at(i));
    if (block.isEmpty())
        return Status::refused(Field::None, tx::flShiftEmpty());
    const timing::CapturedRow* waiting = nullptr;
    if (up && block.last().id == m_rows.at(order.last()).id) {
        const int w = timing::waitingNumber(m_rows);
        if (w >= 0)
            waiting = &m_rows.at(w);
    }
    const auto shift = timing::shiftNumbers(block, up, waiting);
    const qint64 raceId = m_raceId;
    const QString station = m_station;
    const timing::Shift s = *shift;
    submitWrite(
        [=](Database& db) {
            return db.setCapturedNumbers(raceId, s.numbers, s.consumedWaiting, s.pushedOff, station);
        },
        [this] { reload(); }, false);
    if (const Status stored = submitted(); !stored)
        return stored;
    if (m_writer->mode() == CaptureWriter::Mode::Threaded) {
        // Shown as the database will hold it once stored; a number pushed
        // off the block shows when the rows are read again after the store.
        for (const auto& [id, number] : s.numbers)
            m_rows[m_index.value(id)].number = number;
        if (s.consumedWaiting != 0)
            m_rows[m_index.value(s.consumedWaiting)].deleted = true;
        layoutNow();
    }
    return submitted();
}

Outcome<ImportPlan> FinishLine::importTimes(const QByteArray& file, const QString& source, const QString& offsetText,
                                            const QString& toleranceText)
{
    using Result = Outcome<ImportPlan>;
    std::optional<qint64> offset = 0, tolerance = 1000;
    if (!offsetText.trimmed().isEmpty())
        offset = readSeconds(offsetText, true);
    if (!offset)
        return Result::refused(Field::None, tx::flOffsetShape());
    if (!toleranceText.trimmed().isEmpty())
        tolerance = readSeconds(toleranceText, false);
    if (!tolerance)
        return Result::refused(Field::None, tx::flToleranceShape());
    const auto lines = readTimesFile(file);
    if (!lines)
        return lines.failure<ImportPlan>();
    refresh();
    const ImportPlan plan = planImport(m_rows, lines.value(), *offset, *tolerance);
    QList<std::pair<qint64, QString>> added;
    for (const ImportLine& l : plan.added)
        added.append({l.timeMs, l.number});
    const qint64 raceId = m_raceId;
    const QString station = m_station;
    submitWrite([=](Database& db) { return db.storeCaptureImport(raceId, plan.fills, added, station, source); },
                [this] { reload(); }, false);
    if (const Status s = submitted(); !s)
        return s.failure<ImportPlan>();
    return Result::done(plan);
}

} // namespace finishline

// ---- The list model ----------------------------------------------------------------

namespace finishline {

CaptureModel::CaptureModel(FinishLine& line, QObject* parent)
    : QAbstractTableModel(parent)
    , m_line(line)
{
    rebuildOrder();
    connect(&line, &FinishLine::rowsReset, this, [this] {
        beginResetModel();
        rebuildOrder();
        endResetModel();
    });
    connect(&line, &FinishLine::startChanged, this, [this] {
        if (!m_order.isEmpty())
            emit dataChanged(index(0, 0), index(int(m_order.size()) - 1, columnCount() - 1));
    });
    connect(&line, &FinishLine::pendingAppended, this, [this] {
        // A waiting entry goes at the end of the list.
        const int first = rowCount();
        const int last = int(m_order.size() + m_line.pending().size()) - 1;
        if (last < first)
            return;
        beginInsertRows({}, first, last);
        m_pendingShown = int(m_line.pending().size());
        endInsertRows();
    });
    connect(&line, &FinishLine::pendingStored, this, [this](int count) {
        // The last count rows were waiting entries shown after every stored
        // row: with no number waiting for a time and the rows in crossing
        // order, they are shown where they were, now stored.
        const QList<timing::CapturedRow>& rows = m_line.rows();
        const int first = int(rows.size()) - count;
        bool inPlace = m_order.size() == first;
        for (int i = first; inPlace && i < rows.size(); ++i) {
            const int previous = i == first ? (m_order.isEmpty() ? -1 : m_order.last()) : i - 1;
            inPlace = rows.at(i).timeMs && (previous < 0 || (rows.at(previous).timeMs
                                                             && !timing::crossesBefore(rows.at(i), rows.at(previous))));
        }
        if (!inPlace) {
            beginResetModel();
            rebuildOrder();
            endResetModel();
            return;
        }
        for (int i = first; i < rows.size(); ++i)
            m_order.append(i);
        m_pendingShown = int(m_line.pending().size());
        emit dataChanged(index(first, 0), index(int(rows.size()) - 1, columnCount() - 1));
    });
    connect(&line, &FinishLine::pendingTaken, this, [this](int at) {
        // A waiting entry leaves the end of the list; the row it became
        // shows when the rows are laid out again.
        if (at >= m_pendingShown)
            return;
        const int listRow = int(m_order.size()) + at;
        beginRemoveRows({}, listRow, listRow);
        --m_pendingShown;
        endRemoveRows();
    });
    connect(&line, &FinishLine::statesChanged, this, [this] {
        if (rowCount() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    });
    connect(&line, &FinishLine::rowAppended, this, [this](int i) {
        // The newest press goes after the last timed row; anything else is laid out again.
        qsizetype timed = 0;
        while (timed < m_order.size() && m_line.rows().at(m_order.at(timed)).timeMs)
            ++timed;
        const bool last = timed == 0 || !timing::crossesBefore(m_line.rows().at(i), m_line.rows().at(m_order.at(timed - 1)));
        if (!last) {
            beginResetModel();
            rebuildOrder();
            endResetModel();
            return;
        }
        beginInsertRows({}, int(timed), int(timed));
        m_order.insert(timed, i);
        endInsertRows();
    });
}

void CaptureModel::rebuildOrder()
{
    const QList<timing::CapturedRow>& rows = m_line.rows();
    m_order.clear();
    m_order.reserve(rows.size());
    QList<int> waiting;
    for (int i = 0; i < rows.size(); ++i)
        (rows.at(i).timeMs ? m_order : waiting).append(i);
    std::stable_sort(m_order.begin(), m_order.end(),
                     [&](int a, int b) { return timing::crossesBefore(rows.at(a), rows.at(b)); });
    m_order += waiting;
    m_pendingShown = int(m_line.pending().size());
}

int CaptureModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_order.size()) + m_pendingShown;
}

int CaptureModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 6;
}

qint64 CaptureModel::rowId(int listRow) const
{
    return listRow >= 0 && listRow < m_order.size() ? m_line.rows().at(m_order.at(listRow)).id : 0;
}

QString CaptureModel::stateText(int state)
{
    switch (state) {
    case int(timing::RowState::Matched):
        return tx::flStateMatched();
    case int(timing::RowState::NotOnList):
        return tx::flStateNotOnList();
    case int(timing::RowState::NumberUsed):
        return tx::flStateNumberUsed();
    case int(timing::RowState::NoNumber):
        return tx::flStateNoNumber();
    case int(timing::RowState::Conflict):
        return tx::flStateConflict();
    case int(timing::RowState::Deleted):
        return tx::flStateDeleted();
    case int(timing::RowState::Waiting):
        return tx::flStateWaiting();
    default:
        return tx::flStatePending();
    }
}

QString CaptureModel::text(int listRow, int column) const
{
    timing::CapturedRow r;
    int state = kPendingState;
    qint64 competitor = 0;
    if (listRow < m_order.size()) {
        const int i = m_order.at(listRow);
        r = m_line.rows().at(i);
        state = int(m_line.evaluation().states.value(i));
        competitor = m_line.evaluation().competitors.value(i);
    } else if (listRow - m_order.size() < m_line.pending().size()) {
        const JournalEntry& e = m_line.pending().at(listRow - m_order.size());
        if (e.press)
            r.timeMs = e.timeMs;
        r.number = e.number;
    }
    switch (column) {
    case 0:
        return r.seq > 0 ? QString::number(r.seq) : QString();
    case 1:
        return r.timeMs ? timing::timeOfDayText(*r.timeMs, 2) : QString();
    case 2:
        return r.timeMs && m_line.startMs() ? timing::elapsedText(timing::elapsedMs(*r.timeMs, *m_line.startMs()))
                                            : QString();
    case 3:
        return r.number;
    case 4:
        if (const Competitor* c = competitor ? m_line.session().competitor(competitor) : nullptr)
            return c->ime;
        return QString();
    case 5: {
        // A row that may be wrong says so first; a time typed in as a correction says so last.
        QString text = stateText(state);
        if (listRow < m_order.size() && m_line.isDoubtful(m_order.at(listRow)))
            text = tx::flStateDoubtful() + QStringLiteral(" · ") + text;
        if (r.source == tx::flSourceTyped())
            text += QStringLiteral(" · ") + tx::flInsertedMark();
        return text;
    }
    default:
        return QString();
    }
}

QVariant CaptureModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const bool stored = index.row() < m_order.size();
    switch (role) {
    case Qt::DisplayRole:
        return text(index.row(), index.column());
    case StateRole:
        return stored ? int(m_line.evaluation().states.value(m_order.at(index.row()))) : kPendingState;
    case DeletedRole:
        return stored && m_line.rows().at(m_order.at(index.row())).deleted;
    case RowIdRole:
        return rowId(index.row());
    case DoubtRole:
        return stored && m_line.isDoubtful(m_order.at(index.row()));
    default:
        return {};
    }
}

QVariant CaptureModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    const QStringList heads{tx::flColSeq(),    tx::flColTimeOfDay(), tx::flColElapsed(),
                            tx::flColNumber(), tx::flColName(),      tx::flColState()};
    return heads.value(section);
}

} // namespace finishline
