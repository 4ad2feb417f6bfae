#include "app/editlog.h"

#include "app/finishline.h"

#include "app/racesession.h"
#include "app/station.h"
#include "core/csv.h"
#include "core/texts_editlog.h"
#include "data/database.h"

#include <QTimer>
#include <QPointer>
#include <QSet>

#include <algorithm>

namespace editlog {

namespace {

// Shows the race a change concerns as it is now stored: read again when it
// is the current race (opened again when its own row changed, forgotten
// when it is no longer offered), opened when it is another race still offered.
Status follow(RaceSession& session, qint64 raceId, bool raceRow)
{
    const bool current = session.hasRace() && session.race().id == raceId;
    if (current && !raceRow)
        return session.reload();
    const auto race = session.database().race(raceId);
    const bool offered = race && race.value().id == raceId && race.value().da.startsWith(QLatin1Char('y'));
    if (!offered) {
        if (current)
            session.closeRace();
        return Status::done();
    }
    return session.openRace(raceId);
}

} // namespace

Status Edit::reverse(RaceSession& session, bool undo) const
{
    Database& db = session.database();
    const auto batch = db.changeBatch(m_applied);
    if (!batch)
        return Status::dbFailed(batch.error());
    const auto done = db.reverseBatch(batch.value(), undo ? m_batch : 0, undo ? 0 : m_batch);
    if (!done) {
        if (done.error().isGone() || done.error().isDuplicate()) {
            // Refused: nothing changed, but the lists show what another station stored.
            session.refresh();
            return Status::refused(Field::None, done.error());
        }
        return Status::dbFailed(done.error());
    }
    // An open timing window reads the rows written back before the lists follow.
    if (std::any_of(batch.value().cbegin(), batch.value().cend(),
                    [](const ChangeEntry& e) { return changes::makesRecords(e.table); }))
        session.capturedRowsWritten();
    const bool raceRow = std::any_of(batch.value().cbegin(), batch.value().cend(),
                                     [](const ChangeEntry& e) { return e.table == QLatin1String("utrke"); });
    // A competitor's number back or gone moves the records of captured times too.
    const bool captured = std::any_of(batch.value().cbegin(), batch.value().cend(), [](const ChangeEntry& e) {
        return changes::makesRecords(e.table) || e.table == QLatin1String("startna");
    });
    if (const Status shown = follow(session, m_raceId, raceRow); !shown || !captured)
        return shown;
    // The finish records follow the captured rows as they are now: made,
    // changed or removed as the finish line does after any correction.
    if (!session.hasRace() || session.race().id != m_raceId)
        return Status::done();
    return finishline::FinishLine::bringRecordsInStep(session);
}

Outcome<QList<ChangeEntry>> raceLog(RaceSession& session, qint64 raceId)
{
    auto entries = session.database().changeLog(raceId);
    if (!entries)
        return Outcome<QList<ChangeEntry>>::dbFailed(entries.error());
    return Outcome<QList<ChangeEntry>>::done(std::move(entries.value()));
}

QList<Who> whoOf(const QList<ChangeEntry>& entries, const QList<Competitor>& startList)
{
    // Each entry's values are read once.
    QList<changes::Subject> subjects;
    subjects.reserve(entries.size());
    for (const ChangeEntry& e : entries)
        subjects.append(changes::subject(e));
    QHash<qint64, Who> competitors;
    // A competitor since removed is named as the log last held them.
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (entries.at(i).table == QLatin1String("startna"))
            competitors.insert(entries.at(i).key, {subjects.at(i).number, subjects.at(i).name});
    }
    for (const Competitor& c : startList)
        competitors.insert(c.id, {c.sbroj, c.ime});
    QList<Who> who;
    who.reserve(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const changes::Subject& s = subjects.at(i);
        Who w{s.number, s.name};
        if (entries.at(i).table != QLatin1String("utrke") && s.competitor) {
            const Who found = competitors.value(s.competitor);
            if (w.number.isEmpty())
                w.number = found.number;
            if (w.name.isEmpty())
                w.name = found.name;
        }
        who.append(w);
    }
    return who;
}

QStringList cells(const ChangeEntry& e, const Who& who)
{
    return {QString::number(e.seq), changes::localTime(e.time), e.station, e.user, changes::kindWords(e),
            who.number, who.name, changes::describe(e), QString::number(e.batch)};
}

QByteArray csv(const QList<ChangeEntry>& entries, const QList<Who>& who)
{
    QList<QStringList> rows;
    rows.reserve(entries.size());
    for (qsizetype i = entries.size() - 1; i >= 0; --i)
        rows.append(cells(entries.at(i), who.value(i)));
    return io::writeCsv(tx::changeLogColumns(), rows, io::separatorChar(io::kDefaultSeparator));
}

void setStationName(RaceSession& session, const QString& name)
{
    station::setName(name);
    session.database().setStation(station::name(), station::osUser());
}

} // namespace editlog

// ---- EditLog ------------------------------------------------------------------------

EditLog::EditLog(RaceSession& session, QObject* parent)
    : QObject(parent)
    , m_session(session)
{
    // Every change of the session may be one of this station's: looked at
    // after each (a look is one indexed read of the log's newest rows).
    connect(&m_session, &RaceSession::listsChanged, this, [this] { sync(); });
    connect(&m_session, &RaceSession::raceChanged, this, [this] { sync(); });
    // A change that tells nothing else (the prize fund) is read once its
    // call is over: never in the middle of its transaction.
    m_session.database().setLogListener([self = QPointer<EditLog>(this)] {
        if (self)
            QMetaObject::invokeMethod(self, [self] { if (self) self->sync(); }, Qt::QueuedConnection);
    });
    sync();
}

Status EditLog::restart()
{
    m_station.clear();
    return sync();
}

Status EditLog::sync()
{
    Database& db = m_session.database();
    if (!db.isOpen())
        return Status::done();
    if (m_station != db.stationName()) {
        m_station = db.stationName();
        m_seenSeq = 0;
        m_undo.clear();
        m_redo.clear();
        m_undoText.clear();
        m_redoText.clear();
        emit changed();
    }
    // A look after a change never waits for another program's lock on the
    // file: the window goes on, and the look is made again in a moment.
    db.setBusyWait(false);
    const auto batches = db.stationBatches(m_station, m_seenSeq);
    db.setBusyWait(true);
    if (!batches) {
        if (batches.error().isBusy())
            QTimer::singleShot(500, this, [this] { sync(); });
        return Status::dbFailed(batches.error());
    }
    if (batches.value().isEmpty())
        return Status::done();
    const auto take = [](QList<editlog::Edit>& stack, qint64 batch) {
        for (qsizetype i = stack.size() - 1; i >= 0; --i) {
            if (stack.at(i).id() == batch) {
                stack.removeAt(i);
                return;
            }
        }
    };
    for (const Database::LoggedBatch& b : batches.value()) {
        if (b.follows) {
            // Records brought in step with captured rows: undone with the rows.
        } else if (b.undoes) {
            take(m_undo, b.undoes);
            m_redo.append(editlog::Edit(b.undoes, b.batch, b.raceId));
        } else if (b.redoes) {
            take(m_redo, b.redoes);
            m_undo.append(editlog::Edit(b.redoes, b.batch, b.raceId));
        } else {
            m_undo.append(editlog::Edit(b.batch, b.batch, b.raceId));
            m_redo.clear();
        }
        m_seenSeq = std::max(m_seenSeq, b.lastSeq);
    }
    m_undoText = m_undo.isEmpty() ? QString() : captionOf(m_undo.last().id());
    m_redoText = m_redo.isEmpty() ? QString() : captionOf(m_redo.last().id());
    emit changed();
    return Status::done();
}

QString EditLog::captionOf(qint64 batch)
{
    if (const auto known = m_captions.constFind(batch); known != m_captions.cend())
        return *known;
    const auto entries = m_session.database().changeBatch(batch);
    const QString caption = entries ? changes::caption(entries.value()) : QString();
    m_captions.insert(batch, caption);
    return caption;
}

Status EditLog::undo()
{
    return apply(true);
}

Status EditLog::redo()
{
    return apply(false);
}

Status EditLog::apply(bool undo)
{
    if (const Status looked = sync(); !looked)
        return looked;
    const QList<editlog::Edit>& stack = undo ? m_undo : m_redo;
    if (stack.isEmpty())
        return Status::refused(Field::None, undo ? tx::nothingToUndo() : tx::nothingToRedo());
    const editlog::Edit edit = stack.last();
    const Status done = undo ? edit.undo(m_session) : edit.redo(m_session);
    // The undo or redo is logged: the stacks follow from the log.
    const Status looked = sync();
    return done ? looked : done;
}

// ---- ChangeLogModel -------------------------------------------------------------------

ChangeLogModel::ChangeLogModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void ChangeLogModel::setLog(QList<ChangeEntry> entries, QList<editlog::Who> who)
{
    beginResetModel();
    m_entries = std::move(entries);
    m_who = std::move(who);
    m_shown.clear();
    m_shown.reserve(m_entries.size());
    for (qsizetype i = m_entries.size() - 1; i >= 0; --i)
        m_shown.append(int(i));
    endResetModel();
}

void ChangeLogModel::setFilter(const QString& station, const QString& kind, const QString& text)
{
    beginResetModel();
    m_shown.clear();
    const QString wanted = text.trimmed();
    for (qsizetype i = m_entries.size() - 1; i >= 0; --i) {
        const ChangeEntry& e = m_entries.at(i);
        if (!station.isEmpty() && e.station != station)
            continue;
        if (!kind.isEmpty() && e.kind != kind)
            continue;
        if (!wanted.isEmpty()) {
            const editlog::Who& w = m_who.at(i);
            if (w.number.trimmed() != wanted && !w.name.contains(wanted, Qt::CaseInsensitive))
                continue;
        }
        m_shown.append(int(i));
    }
    endResetModel();
}

int ChangeLogModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_shown.size());
}

int ChangeLogModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(tx::changeLogColumns().size());
}

QVariant ChangeLogModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_shown.size())
        return {};
    const int i = m_shown.at(index.row());
    return editlog::cells(m_entries.at(i), m_who.value(i)).value(index.column());
}

QVariant ChangeLogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return tx::changeLogColumns().value(section);
}

QStringList ChangeLogModel::stations() const
{
    QSet<QString> all;
    for (const ChangeEntry& e : m_entries)
        all.insert(e.station);
    QStringList sorted(all.cbegin(), all.cend());
    sorted.sort();
    return sorted;
}

QStringList ChangeLogModel::kindCodes() const
{
    QSet<QString> all;
    for (const ChangeEntry& e : m_entries)
        all.insert(e.kind);
    QStringList sorted(all.cbegin(), all.cend());
    sorted.sort();
    return sorted;
}
