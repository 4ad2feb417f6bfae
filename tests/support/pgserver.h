#pragma once

#include "data/dblocation.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace testutil {

// A PostgreSQL server of the test program's own: a cluster made with initdb
// in a temporary folder, listening only on a Unix socket in that folder (no
// TCP port), fsync off, stopped when the program ends. A server installed on
// the machine is never used. Run as root, the server's programs run as the
// system user postgres, which PostgreSQL requires.
class PgServer {
public:
    // The program's server, started at the first call (a second or so);
    // null when it cannot run, see unavailableReason().
    static PgServer* instance();
    static QString unavailableReason();
    // Stops (SIGQUIT) the servers whose folder names a test program that is
    // gone, removes their folders, and says how many; instance() calls it.
    static int stopLeftOvers();

    ~PgServer();
    PgServer(const PgServer&) = delete;
    PgServer& operator=(const PgServer&) = delete;

    // A new, empty database on the server.
    DbLocation newDatabase();
    // One owned by a role that must give this password; the location holds none.
    DbLocation newDatabaseWithPassword(const QString& role, const QString& password);
    DbLocation location(const QString& dbname) const;
    QString socketDir() const { return m_dir.path(); }

    // Runs statements through a connection of their own, as another program
    // would; false (with a warning) when one fails.
    static bool exec(const DbLocation& location, const QStringList& statements);
    // The result of a query's first column, row by row, joined with '|'.
    static QString query(const DbLocation& location, const QString& sql);

    // Takes the server away as a lost network would for its clients: a fast
    // shutdown (open transactions rolled back, connections cut), waiting
    // until it is down. restart() starts it again on the same data folder
    // and socket, so the same locations reach the same databases. Both
    // return false (see unavailableReason()) when pg_ctl fails.
    bool stop();
    bool restart();

private:
    PgServer() = default;
    bool start();
    bool startServer();
    bool runTool(const QString& tool, const QStringList& arguments, int timeoutMs = 60000);

    QTemporaryDir m_dir{QStringLiteral("/tmp/kvrpg-XXXXXX")};
    QString m_bin;
    bool m_asPostgres = false;
    bool m_running = false;
    QString m_error;
    int m_databases = 0;
};

} // namespace testutil
