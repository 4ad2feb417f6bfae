#pragma once

#include <QList>
#include <QString>
#include <optional>

// PostgreSQL has no counterpart of SQLite's data_version. What it has is the
// snapshot of transaction ids (txid_current_snapshot(): "xmin:xmax:ids in
// progress"): comparing two snapshots tells which transactions ended between
// them. A transaction that ended and is not one of this connection's own
// means another writer may have changed the database. Transactions of other
// databases of the same server count too, which costs a needless reload,
// never a missed one.
namespace pgsnapshot {

struct Snapshot {
    qint64 xmin = 0;
    qint64 xmax = 0; // the first id not yet handed out
    QList<qint64> inProgress;
};

std::optional<Snapshot> parse(const QString& text);

// Whether a transaction other than those in own ended between the two
// snapshots.
bool othersEnded(const Snapshot& before, const Snapshot& after, const QList<qint64>& own);

} // namespace pgsnapshot
