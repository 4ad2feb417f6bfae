#pragma once

// The finish line's store: its journal file and the writes to the database,
// in the order they were made. On race day the writes run on a connection
// and thread of their own, so that a disk that stalls on a sync, a file
// another program holds locked or a server that stops never holds up the
// window: what the operator pressed is in the journal and on the screen at
// once, and in the database as soon as it can be.

#include "data/dblocation.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class Database;

namespace finishline {

class CaptureWriter : public QObject {
    Q_OBJECT

public:
    enum class Mode {
        Direct,   // a write runs at once on the given connection (the command line, tests)
        Threaded, // on a connection and thread of its own
    };

    // What a write did: retry keeps it (and every write after it) waiting
    // and tries it again a little later; then runs in the owner's thread.
    struct Done {
        bool retry = false;
        std::function<void()> then;
    };
    using Write = std::function<Done(Database&)>;

    // db: the owner's connection (Direct) or the one whose location and
    // station a connection of the writer's own opens (Threaded).
    CaptureWriter(Database& db, Mode mode, QString journalPath, QObject* parent = nullptr);
    ~CaptureWriter() override;

    Mode mode() const { return m_mode; }
    // Queues a write behind every write queued before it. Direct: it runs
    // before this returns unless an earlier one waits for a retry.
    void submit(Write write);
    // Every write submitted has run and its then() has been called.
    bool idle() const { return m_finished == m_submitted; }
    // Handles events until idle or ms have passed; whether it is idle.
    bool waitIdle(int ms);

    // ---- The journal file ----
    QString journalPath() const { return m_journalPath; }
    // Appends a line: a plain write with no sync, so that a killed
    // program loses nothing the kernel holds. False when it could not be written.
    bool append(const QByteArray& line);
    // Writes the journal anew as these lines (opening the finish line):
    // they are kept when the writes they stand for are all stored.
    bool rewrite(const QByteArray& kept, const QByteArray& waiting);
    // Every line appended since has been stored: the file goes back to the
    // kept lines (removed when there are none), from the writer's thread
    // when there is one.
    void drained();

signals:
    void becameIdle();

private:
    struct State;
    void finished(const std::function<void()>& then);
    void runDirect();

    Database& m_db;
    Mode m_mode;
    QString m_journalPath;
    qint64 m_submitted = 0;
    qint64 m_finished = 0;
    std::shared_ptr<State> m_state;
};

} // namespace finishline
