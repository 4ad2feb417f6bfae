#include "pgserver.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUuid>
#include <csignal>
#include <memory>
#include <unistd.h>

namespace testutil {

namespace {

const char* const kUser = "kvrtest";

std::unique_ptr<PgServer>& server()
{
    static std::unique_ptr<PgServer> s;
    return s;
}

QString& reason()
{
    static QString r;
    return r;
}

// The folder of initdb, pg_ctl and postgres: pg_config's, else the newest
// of Debian's /usr/lib/postgresql/<version>/bin.
QString findBinaries()
{
    const auto usable = [](const QString& dir) {
        return QFileInfo(dir + QStringLiteral("/initdb")).isExecutable()
            && QFileInfo(dir + QStringLiteral("/pg_ctl")).isExecutable()
            && QFileInfo(dir + QStringLiteral("/postgres")).isExecutable();
    };
    QProcess config;
    config.start(QStringLiteral("pg_config"), {QStringLiteral("--bindir")});
    if (config.waitForFinished(5000) && config.exitCode() == 0) {
        const QString dir = QString::fromLocal8Bit(config.readAllStandardOutput()).trimmed();
        if (usable(dir))
            return dir;
    }
    QDir versions(QStringLiteral("/usr/lib/postgresql"));
    QStringList found = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(found.begin(), found.end(), [](const QString& a, const QString& b) { return a.toInt() > b.toInt(); });
    for (const QString& v : found) {
        const QString dir = versions.filePath(v + QStringLiteral("/bin"));
        if (usable(dir))
            return dir;
    }
    return QString();
}

// A process as "pid start-time", telling it from a later one with its pid.
QString processTag(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    const QByteArray line = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 19 ? QStringLiteral("%1 %2").arg(pid).arg(QString::fromLatin1(fields.at(19))) : QString();
}

} // namespace

int PgServer::stopLeftOvers()
{
    int stopped = 0;
    for (const QString& name : QDir(QStringLiteral("/tmp")).entryList({"kvrpg-*"}, QDir::Dirs)) {
        const QDir dir(QStringLiteral("/tmp/") + name);
        QFile owner(dir.filePath(QStringLiteral("owner"))); // none: not ours to judge
        const QString tag = owner.open(QIODevice::ReadOnly) ? QString::fromLatin1(owner.readAll()) : QString();
        if (tag.isEmpty() || processTag(tag.section(QLatin1Char(' '), 0, 0).toLongLong()) == tag)
            continue;
        QFile pid(dir.filePath(QStringLiteral("data/postmaster.pid")));
        const pid_t postmaster = pid.open(QIODevice::ReadOnly) ? pid_t(pid.readLine().trimmed().toLongLong()) : 0;
        if (postmaster > 0 && ::kill(postmaster, SIGQUIT) == 0) {
            ++stopped;
            // Its files go only once it has written its last.
            for (int wait = 0; wait < 100 && QFileInfo::exists(pid.fileName()); ++wait)
                QThread::msleep(50);
        }
        QDir(dir).removeRecursively();
    }
    return stopped;
}

PgServer* PgServer::instance()
{
    static bool tried = false;
    if (!tried) {
        tried = true;
        stopLeftOvers();
        std::unique_ptr<PgServer> s(new PgServer);
        if (s->start())
            server() = std::move(s);
        else
            reason() = s->m_error;
    }
    return server().get();
}

QString PgServer::unavailableReason()
{
    return QStringLiteral("no PostgreSQL server for the tests: ") + reason();
}

bool PgServer::runTool(const QString& tool, const QStringList& arguments, int timeoutMs)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    const QString program = m_bin + QLatin1Char('/') + tool;
    if (m_asPostgres)
        p.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("postgres"),
                                                       QStringLiteral("--"), program} + arguments);
    else
        p.start(program, arguments);
    if (!p.waitForFinished(timeoutMs) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        m_error = tool + QStringLiteral(" failed: ") + QString::fromLocal8Bit(p.readAll()).trimmed();
        return false;
    }
    return true;
}

bool PgServer::start()
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        m_error = QStringLiteral("Qt's QPSQL driver is not installed");
        return false;
    }
    m_bin = findBinaries();
    if (m_bin.isEmpty()) {
        m_error = QStringLiteral("initdb, pg_ctl and postgres not found (package postgresql)");
        return false;
    }
    QFile owner(m_dir.filePath(QStringLiteral("owner")));
    if (!m_dir.isValid() || !owner.open(QIODevice::WriteOnly) || owner.write(processTag(::getpid()).toLatin1()) <= 0) {
        m_error = QStringLiteral("no temporary folder");
        return false;
    }
    owner.close();
    // PostgreSQL refuses to run as root.
    m_asPostgres = ::geteuid() == 0;
    if (m_asPostgres && QProcess::execute(QStringLiteral("chown"), {QStringLiteral("postgres:"), m_dir.path()}) != 0) {
        m_error = QStringLiteral("cannot give the temporary folder to the user postgres");
        return false;
    }
    const QString data = m_dir.filePath(QStringLiteral("data"));
    if (!runTool(QStringLiteral("initdb"), {QStringLiteral("-D"), data, QStringLiteral("--auth=trust"),
                                           QStringLiteral("-U"), QLatin1String(kUser), QStringLiteral("-E"),
                                           QStringLiteral("UTF8"), QStringLiteral("--locale=C"),
                                           QStringLiteral("--no-sync")}))
        return false;
    return startServer();
}

bool PgServer::startServer()
{
    if (!runTool(QStringLiteral("pg_ctl"),
                 {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-l"),
                  m_dir.filePath(QStringLiteral("log")), QStringLiteral("-w"), QStringLiteral("-o"),
                  QStringLiteral("-k %1 -c listen_addresses='' -c fsync=off -c full_page_writes=off").arg(m_dir.path()),
                  QStringLiteral("start")}))
        return false;
    m_running = true;
    return true;
}

bool PgServer::stop()
{
    if (!m_running)
        return true;
    if (!runTool(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")),
                                           QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("-w"),
                                           QStringLiteral("stop")})) {
        reason() = m_error;
        return false;
    }
    m_running = false;
    return true;
}

bool PgServer::restart()
{
    if (m_running)
        return true;
    if (!startServer()) {
        reason() = m_error;
        return false;
    }
    return true;
}

PgServer::~PgServer()
{
    if (m_running)
        runTool(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")),
                                          QStringLiteral("-m"), QStringLiteral("immediate"), QStringLiteral("stop")});
}

DbLocation PgServer::location(const QString& dbname) const
{
    DbLocation l;
    l.engine = DbLocation::Engine::Postgres;
    l.host = m_dir.path();
    l.user = QLatin1String(kUser);
    l.dbname = dbname;
    return l;
}

DbLocation PgServer::newDatabase()
{
    const QString name = QStringLiteral("kvr_%1_%2").arg(::getpid()).arg(++m_databases);
    if (!exec(location(QStringLiteral("postgres")), {QStringLiteral("create database ") + name}))
        qFatal("cannot create database %s", qPrintable(name));
    return location(name);
}

DbLocation PgServer::newDatabaseWithPassword(const QString& role, const QString& password)
{
    QFile hba(m_dir.filePath(QStringLiteral("data/pg_hba.conf")));
    const QByteArray rule = "local all " + role.toUtf8() + " scram-sha-256\n";
    const QByteArray rules = hba.open(QIODevice::ReadOnly) ? hba.readAll() : QByteArray();
    hba.close();
    if (!rules.startsWith(rule)) {
        exec(location(QStringLiteral("postgres")), {QStringLiteral("create role %1 login password '%2'").arg(role, password)});
        const bool written = hba.open(QIODevice::WriteOnly) && hba.write(rule + rules) > 0 && hba.flush();
        if (!written || !runTool(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("reload")}))
            qFatal("cannot ask for a password: %s", qPrintable(m_error));
        QThread::msleep(300); // the server reads its rules again in the background
    }
    DbLocation l = newDatabase();
    exec(location(QStringLiteral("postgres")), {QStringLiteral("alter database %1 owner to %2").arg(l.dbname, role)});
    l.user = role;
    return l;
}

namespace {

template <typename Fn>
bool withConnection(const DbLocation& l, Fn&& fn)
{
    const QString name = QStringLiteral("pg-outside-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(l.host);
        db.setUserName(l.user);
        db.setDatabaseName(l.dbname);
        if (l.port > 0)
            db.setPort(l.port);
        if (db.open())
            ok = fn(db);
        else
            qWarning("cannot connect: %s", qPrintable(db.lastError().text()));
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

} // namespace

bool PgServer::exec(const DbLocation& location, const QStringList& statements)
{
    return withConnection(location, [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        for (const QString& sql : statements) {
            if (!q.exec(sql)) {
                qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
                return false;
            }
        }
        return true;
    });
}

QString PgServer::query(const DbLocation& location, const QString& sql)
{
    QStringList rows;
    withConnection(location, [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        if (!q.exec(sql)) {
            qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
            return false;
        }
        while (q.next())
            rows.append(q.value(0).toString());
        return true;
    });
    return rows.join(QLatin1Char('|'));
}

} // namespace testutil
