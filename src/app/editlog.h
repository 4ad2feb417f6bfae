#pragma once

// Undo and redo of this station's changes, and the race's change log as
// the window and the command line show it. The log in the database is the
// history: an undo writes the opposite change and logs it, and the stacks
// here are read back from the log, so they outlive a restart.

#include "core/changelog.h"
#include "core/outcome.h"
#include "core/records.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QObject>

class RaceSession;

namespace editlog {

// One change of this station: the batch it logged and the batch that last
// wrote its rows (itself or its last redo; for a change undone, its last
// undo). Undo and redo write back, as one batch, what that last batch found.
class Edit {
public:
    Edit(qint64 batch, qint64 applied, qint64 raceId)
        : m_batch(batch)
        , m_applied(applied)
        , m_raceId(raceId)
    {
    }
    qint64 id() const { return m_batch; }
    qint64 applied() const { return m_applied; }
    qint64 raceId() const { return m_raceId; }
    // Refused, changing nothing, when another station changed one of its
    // rows since, or when a row is no longer as the change left it.
    Status undo(RaceSession& session) const { return reverse(session, true); }
    Status redo(RaceSession& session) const { return reverse(session, false); }

private:
    Status reverse(RaceSession& session, bool undo) const;
    qint64 m_batch;
    qint64 m_applied;
    qint64 m_raceId;
};

// The race's log, oldest first.
Outcome<QList<ChangeEntry>> raceLog(RaceSession& session, qint64 raceId);
// The start number and name each entry is about (for the list, its filter
// and the export), from the race's start list and the log's own rows of
// competitors since removed.
struct Who {
    QString number;
    QString name;
};
QList<Who> whoOf(const QList<ChangeEntry>& entries, const QList<Competitor>& startList);
// The log as CSV, newest first, as the window's list shows it.
QByteArray csv(const QList<ChangeEntry>& entries, const QList<Who>& who);
// One line of the log as text: the same cells as CSV, apart by tabs.
QStringList cells(const ChangeEntry& e, const Who& who);
// Sets this station's name (empty: the computer's name) for the program
// and for the log of the session's changes.
void setStationName(RaceSession& session, const QString& name);

} // namespace editlog

// This station's undo and redo, following the change log: what can be
// undone or redone, and in words.
class EditLog : public QObject {
    Q_OBJECT

public:
    explicit EditLog(RaceSession& session, QObject* parent = nullptr);

    // Reads the station's changes logged since the last look (all of them
    // at the first) and updates the stacks.
    Status sync();
    // Forgets the stacks and reads them again (after the station's name changed).
    Status restart();
    bool canUndo() const { return !m_undo.isEmpty(); }
    bool canRedo() const { return !m_redo.isEmpty(); }
    // The change the next undo or redo would take back or make again, in words.
    QString undoText() const { return m_undoText; }
    QString redoText() const { return m_redoText; }
    // Undoes the station's last change not undone (refused when there is
    // none); the session then shows the race it concerns as stored.
    Status undo();
    Status redo();

signals:
    void changed();

private:
    Status apply(bool undo);
    QString captionOf(qint64 batch);

    RaceSession& m_session;
    QString m_station;
    qint64 m_seenSeq = 0;
    QList<editlog::Edit> m_undo;
    QList<editlog::Edit> m_redo;
    QHash<qint64, QString> m_captions;
    QString m_undoText;
    QString m_redoText;
};

// The race's log, newest first, filtered by station, kind and start number
// or name. The words of a row are worked out when it is shown.
class ChangeLogModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit ChangeLogModel(QObject* parent = nullptr);
    void setLog(QList<ChangeEntry> entries, QList<editlog::Who> who);
    // Empty: any.
    void setFilter(const QString& station, const QString& kind, const QString& text);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // The stations and kind codes the log holds, for the filters.
    QStringList stations() const;
    QStringList kindCodes() const;
    const QList<ChangeEntry>& entries() const { return m_entries; }
    const QList<editlog::Who>& who() const { return m_who; }
    // The entries shown, top to bottom.
    QList<int> shownRows() const { return m_shown; }

private:
    QList<ChangeEntry> m_entries;
    QList<editlog::Who> m_who;
    QList<int> m_shown; // indexes into m_entries, newest first
};
