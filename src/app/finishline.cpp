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
#include <QSaveFile>
#include <QSet>
#include <QTime>
#include <QUuid>
#include <algorithm>
#include <unistd.h>

namespace finishline {

namespace {

// How long one slice of a journal flush may keep the window's thread.
constexpr int kFlushSliceMs = 8;
// How often a journal being stored is written again without its stored entries.
constexpr qint64 kJournalRewriteMs = 1000;

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
    static const QRegularExpression timeWithPoint(QStringLiteral("^(\\d{1,2}:\\d{2}:\\d{2}(?:\\.\\d{1,9})?)(.*)$"));
    static const QRegularExpression timeWithComma(QStringLiteral("^(\\d{1,2}:\\d{2}:\\d{2}(?:[.,]\\d{1,9})?)(.*)$"));
    bool first = true;
    for (int i = 0; i < texts.size(); ++i) {
        const QString line = texts.at(i).trimmed();
        if (line.isEmpty())
            continue;
        // A comma after the seconds is a decimal comma only where the
        // columns are apart by semicolons or tabs.
        const bool commaFraction = line.contains(u';') || line.contains(u'\t');
        const QRegularExpressionMatch m = (commaFraction ? timeWithComma : timeWithPoint).match(line);
        const auto time = m.hasMatch() ? timing::readTimeOfDay(m.captured(1)) : std::nullopt;
        QString rest = m.hasMatch() ? m.captured(2).trimmed() : QString();
        while (!rest.isEmpty() && (rest.front() == u',' || rest.front() == u';'))
            rest = rest.mid(1).trimmed();
        const auto number = rest.isEmpty() ? std::optional<QString>(QString()) : timing::readNumber(rest);
        if (!time || !number) {
            if (first && !time)
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

FinishLine::FinishLine(RaceSession& session, std::shared_ptr<Clock> clock, QString journalPath, QObject* parent)
    : QObject(parent)
    , m_session(session)
    , m_clock(clock ? std::move(clock) : std::make_shared<SystemClock>())
    , m_journalPath(journalPath.isEmpty() ? defaultJournalPath(session) : std::move(journalPath))
    , m_station(station::name())
    , m_raceId(session.race().id)
{
    m_anchorWall = m_clock->wallTimeOfDayMs();
    m_anchorMono = m_clock->monotonicMs();
    loadJournal();
    m_loaded = reload();
    connect(&m_session, &RaceSession::listsChanged, this, &FinishLine::onListsChanged);
    connect(&m_session, &RaceSession::capturedRowsChanged, this, [this] { reload(); });
    m_retry.setInterval(1000);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        if (!m_pending.isEmpty())
            flushJournal(kFlushSliceMs);
    });
    m_retry.start();
    if (!m_pending.isEmpty())
        flushJournal();
    m_told = &m_session;
    m_session.finishLineOpen(true);
}

FinishLine::~FinishLine()
{
    if (m_told)
        m_told->finishLineOpen(false);
}

FinishLine::FinishLine(RaceSession& session, InStepOnly)
    : m_session(session)
    , m_clock(std::make_shared<SystemClock>())
    , m_station(station::name())
    , m_raceId(session.race().id)
{
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
    for (const timing::CapturedRow& r : m_rows) {
        if (r.deleted || !r.timeMs)
            continue;
        ++c.times;
        if (!r.number.isEmpty())
            ++c.numbered;
    }
    c.without = c.times - c.numbered;
    return c;
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
    const auto version = db.dataVersion();
    if (!version)
        return Status::dbFailed(version.error());
    const auto start = db.captureStart(m_raceId);
    if (!start)
        return Status::dbFailed(start.error());
    auto rows = db.capturedRows(m_raceId);
    if (!rows)
        return Status::dbFailed(rows.error());
    m_seenVersion = version.value();
    m_start = start.value();
    m_rows = std::move(rows.value());
    rebuild();
    emit startChanged();
    emit rowsReset();
    return syncRecords();
}

Status FinishLine::refresh()
{
    const auto version = m_session.database().dataVersion();
    if (!version)
        return Status::dbFailed(version.error());
    if (version.value() == m_seenVersion)
        return Status::done();
    return reload();
}

void FinishLine::onListsChanged()
{
    // The start list or the finish list changed elsewhere: a runner
    // registered since makes the row's record now; a typed record shows as a conflict.
    if (m_applying)
        return;
    m_applying = true;
    if (refresh().ok()) {
        rebuild();
        syncRecords();
        emit rowsReset();
    }
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
}

Status FinishLine::syncRecords()
{
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
    const auto stored = m_session.database().applyCaptureRecords(m_raceId, changes);
    if (!stored)
        return Status::dbFailed(stored.error());
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
    const bool wasApplying = m_applying;
    m_applying = true;
    if (changes.remove.size() + stored.value().added.size() > kRowByRowLimit || !refused.isEmpty()) {
        // Many at once, or another station's typed records met: read the lists again.
        m_session.ownWriteStored();
        m_session.reload();
        rebuild();
    } else {
        m_session.applyFinishChanges(changes.remove, stored.value().added);
    }
    m_applying = wasApplying;
    return Status::done();
}

// ---- The start ----

Status FinishLine::start()
{
    if (const Status fresh = refresh(); !fresh)
        return fresh;
    if (m_start)
        return Status::refused(Field::None, tx::flStartAlready());
    const qint64 mono = m_clock->monotonicMs();
    const qint64 wall = m_clock->wallTimeOfDayMs();
    if (const DbStatus s = m_session.database().setCaptureStart(m_raceId, wall, m_station); !s)
        return Status::dbFailed(s.error());
    m_session.ownWriteStored();
    // The race clock is the wall clock at the start, kept by the monotonic clock from then on.
    m_anchorWall = wall;
    m_anchorMono = mono;
    m_eventBase.reset();
    m_start = wall;
    m_startPressed = mono;
    rebuild();
    const Status synced = syncRecords();
    emit startChanged();
    emit rowsReset();
    return synced;
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
    if (const DbStatus s = m_session.database().setCaptureStart(m_raceId, std::nullopt, m_station); !s)
        return Status::dbFailed(s.error());
    m_session.ownWriteStored();
    m_start.reset();
    m_startPressed.reset();
    rebuild();
    const Status synced = syncRecords();
    emit startChanged();
    emit rowsReset();
    return synced;
}

Status FinishLine::setStart(const QString& text)
{
    const auto ms = timing::readTimeOfDay(text);
    if (!ms)
        return Status::refused(Field::None, tx::flStartShape());
    if (const Status fresh = refresh(); !fresh)
        return fresh;
    if (const DbStatus s = m_session.database().setCaptureStart(m_raceId, *ms, m_station); !s)
        return Status::dbFailed(s.error());
    m_session.ownWriteStored();
    m_start = *ms;
    m_startPressed.reset();
    rebuild();
    const Status synced = syncRecords();
    emit startChanged();
    emit rowsReset();
    return synced;
}

// ---- Capturing ----

Outcome<timing::CapturedRow> FinishLine::press(std::optional<qint64> monotonicMs)
{
    JournalEntry e;
    e.raceId = m_raceId;
    e.press = true;
    e.timeMs = timeOfDay(monotonicMs.value_or(m_clock->monotonicMs()));
    e.station = m_station;
    return storeEntry(e, false);
}

Outcome<timing::CapturedRow> FinishLine::pressAt(qint64 timeOfDayMs)
{
    JournalEntry e;
    e.raceId = m_raceId;
    e.press = true;
    e.timeMs = timeOfDayMs;
    e.station = m_station;
    return storeEntry(e, false);
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
    return storeEntry(e, false);
}

Outcome<timing::CapturedRow> FinishLine::storeEntry(const JournalEntry& entry, bool fromJournal)
{
    using Result = Outcome<timing::CapturedRow>;
    // Behind entries still waiting, a new one waits too: the order stays.
    if (!fromJournal && !m_pending.isEmpty()) {
        const Result kept = journal(entry);
        flushJournal(kFlushSliceMs);
        return kept;
    }
    if (!fromJournal)
        refresh(); // another station's rows; a failure here is met by the store below
    Database& db = m_session.database();
    const DbResult<timing::CapturedRow> stored =
        entry.press ? db.storePress(m_raceId, entry.timeMs, QString(), entry.station, QString(), entry.token)
                    : db.storeNumber(m_raceId, entry.number, entry.station, entry.token);
    if (!stored) {
        if (fromJournal && stored.error().isDuplicate())
            return Result::done({}); // stored before the journal was rewritten
        if (fromJournal)
            return Result::dbFailed(stored.error());
        return journal(entry);
    }
    m_session.ownWriteStored();
    const timing::CapturedRow& row = stored.value();
    if (fromJournal) {
        // The flush lays the rows out once when it is done, not once per
        // entry; a plain press needs no lay-out at all (see flushJournal).
        if (isPlainPress(entry, row)) {
            appendPlain(row);
            ++m_flushedPlain;
        } else {
            keepRow(row);
            m_flushNeedsLayout = true;
        }
        return Result::done(row);
    }
    rowStored(row, isPlainPress(entry, row) && m_pending.isEmpty());
    return Result::done(row);
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
}

void FinishLine::rowStored(const timing::CapturedRow& row, bool plainAppend)
{
    if (plainAppend) {
        appendPlain(row);
        emit rowAppended(int(m_rows.size() - 1));
        return;
    }
    keepRow(row);
    rebuild();
    syncRecords();
    emit rowsReset();
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

Outcome<timing::CapturedRow> FinishLine::journal(JournalEntry entry)
{
    if (entry.token.isEmpty())
        entry.token = QUuid::createUuid().toString(QUuid::WithoutBraces);
    QFile file(m_journalPath);
    const QString line = QStringLiteral("%1\t%2\t%3\t%4\t%5\n")
                             .arg(entry.press ? QStringLiteral("P") : QStringLiteral("N"))
                             .arg(entry.raceId)
                             .arg(entry.press ? QString::number(entry.timeMs) : entry.number)
                             .arg(entry.station, entry.token);
    if (!file.open(QIODevice::Append | QIODevice::Text) || file.write(line.toUtf8()) < 0 || !file.flush()
        || ::fsync(file.handle()) != 0)
        return Outcome<timing::CapturedRow>::dbFailed(DbError(file.errorString()));
    file.close();
    m_pending.append(entry);
    emit pendingAppended();
    emit pendingChanged(int(m_pending.size()));
    timing::CapturedRow shown;
    if (entry.press)
        shown.timeMs = entry.timeMs;
    shown.number = entry.number;
    shown.station = entry.station;
    return Outcome<timing::CapturedRow>::done(shown);
}

void FinishLine::loadJournal()
{
    QFile file(m_journalPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    while (!file.atEnd()) {
        const QStringList f = QString::fromUtf8(file.readLine()).trimmed().split(QLatin1Char('\t'));
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
        (e.raceId == m_raceId ? m_pending : m_otherRaces).append(e);
    }
}

void FinishLine::writeJournal()
{
    const QList<JournalEntry> all = m_otherRaces + m_pending;
    if (all.isEmpty()) {
        QFile::remove(m_journalPath);
        return;
    }
    QSaveFile file(m_journalPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return; // the old journal stays; its stored entries are known by their tokens
    for (const JournalEntry& e : all)
        file.write(QStringLiteral("%1\t%2\t%3\t%4\t%5\n")
                       .arg(e.press ? QStringLiteral("P") : QStringLiteral("N"))
                       .arg(e.raceId)
                       .arg(e.press ? QString::number(e.timeMs) : e.number)
                       .arg(e.station, e.token)
                       .toUtf8());
    file.commit();
}

bool FinishLine::flushJournal(int budgetMs)
{
    const qsizetype before = m_pending.size();
    const qint64 began = m_clock->monotonicMs();
    bool more = false;
    m_flushedPlain = 0;
    m_flushNeedsLayout = false;
    while (!m_pending.isEmpty()) {
        if (!storeEntry(m_pending.first(), true))
            break;
        m_pending.removeFirst();
        if (budgetMs >= 0 && !m_pending.isEmpty() && m_clock->monotonicMs() - began >= budgetMs) {
            more = true;
            break;
        }
    }
    // A long journal goes in slices, so the next key is met between them;
    // the next slice waits on a timer, so that the list is painted between
    // slices too (a slice queued as an event would go before the paint).
    if (more)
        QTimer::singleShot(1, this, [this] {
            if (!m_pending.isEmpty())
                flushJournal(kFlushSliceMs);
        });
    if (m_pending.size() != before) {
        // Rewritten when the journal is stored, and at most once a second
        // while it is: an entry stored but still in the file after a crash
        // is known by its token and skipped the next time.
        if (m_pending.isEmpty() || m_clock->monotonicMs() - m_journalWrittenAt >= kJournalRewriteMs) {
            writeJournal();
            m_journalWrittenAt = m_clock->monotonicMs();
        }
        emit pendingChanged(int(m_pending.size()));
        if (m_pending.isEmpty()) {
            reload();
        } else if (m_flushNeedsLayout) {
            rebuild();
            syncRecords();
            emit rowsReset();
        } else {
            // Only plain presses: each takes the place its waiting entry
            // had at the end of the list, and nothing else changes.
            emit pendingStored(m_flushedPlain);
        }
    }
    return m_pending.isEmpty();
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
    if (const Status fresh = refresh(); !fresh)
        return fresh.failure<timing::CapturedRow>();
    const auto stored = m_session.database().storePress(m_raceId, *ms, *n, m_station, tx::flSourceTyped());
    if (!stored)
        return Result::dbFailed(stored.error());
    m_session.ownWriteStored();
    rowStored(stored.value(), false);
    return Result::done(stored.value());
}

Status FinishLine::storeFailed(const DbError& error)
{
    if (!error.isGone())
        return Status::dbFailed(error);
    // Removed by another station: show what is stored.
    reload();
    return Status::refused(Field::None, tx::flRowGone());
}

Status FinishLine::setDeleted(qint64 rowId, bool deleted)
{
    if (const Status fresh = refresh(); !fresh)
        return fresh;
    if (!row(rowId))
        return Status::refused(Field::None, tx::flRowGone());
    if (const DbStatus s = m_session.database().setCapturedDeleted(m_raceId, rowId, deleted); !s)
        return storeFailed(s.error());
    m_session.ownWriteStored();
    m_rows[m_index.value(rowId)].deleted = deleted;
    rebuild();
    const Status synced = syncRecords();
    emit rowsReset();
    return synced;
}

Status FinishLine::setNumber(qint64 rowId, const QString& text)
{
    std::optional<QString> n = QString();
    if (!text.trimmed().isEmpty())
        n = timing::readNumber(text);
    if (!n)
        return Status::refused(Field::StartNumber, tx::flNumberShape());
    if (const Status fresh = refresh(); !fresh)
        return fresh;
    if (!row(rowId))
        return Status::refused(Field::None, tx::flRowGone());
    if (const DbStatus s = m_session.database().setCapturedNumbers(m_raceId, {{rowId, *n}}); !s)
        return storeFailed(s.error());
    m_session.ownWriteStored();
    m_rows[m_index.value(rowId)].number = *n;
    rebuild();
    const Status synced = syncRecords();
    emit rowsReset();
    return synced;
}

Status FinishLine::shiftNumbers(const QList<qint64>& rowIds, bool up)
{
    if (const Status fresh = refresh(); !fresh)
        return fresh;
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
    if (const DbStatus s = m_session.database().setCapturedNumbers(m_raceId, shift->numbers, shift->consumedWaiting,
                                                                   shift->pushedOff, m_station);
        !s)
        return storeFailed(s.error());
    m_session.ownWriteStored();
    return reload();
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
    if (const Status fresh = refresh(); !fresh)
        return fresh.failure<ImportPlan>();
    const ImportPlan plan = planImport(m_rows, lines.value(), *offset, *tolerance);
    QList<std::pair<qint64, QString>> added;
    for (const ImportLine& l : plan.added)
        added.append({l.timeMs, l.number});
    if (const DbStatus s = m_session.database().storeCaptureImport(m_raceId, plan.fills, added, m_station, source);
        !s)
        return Result::dbFailed(s.error());
    m_session.ownWriteStored();
    if (const Status read = reload(); !read)
        return read.failure<ImportPlan>();
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
    case 5:
        return stateText(state);
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
