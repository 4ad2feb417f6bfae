#include "pgserver.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUuid>
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

// The folders of the test servers: /tmp/kvrpg-XXXXXX.
const char* const kFolderPattern = "kvrpg-*";
// The file in a server's folder naming the test program that made it.
const char* const kOwnerFile = "owner";

// A process as "pid start-time": the start time tells a process from a
// later one that got the same pid.
QString processTag(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray line = stat.readAll();
    // The fields after the command name, which may hold blanks, in brackets.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 19 ? QStringLiteral("%1 %2").arg(pid).arg(QString::fromLatin1(fields.at(19))) : QString();
}

bool ownerAlive(const QString& folder)
{
    QFile owner(folder + QLatin1Char('/') + QLatin1String(kOwnerFile));
    if (!owner.open(QIODevice::ReadOnly))
        return true; // not made by this support (or still being made): left alone
    const QString tag = QString::fromLatin1(owner.readAll()).trimmed();
    return processTag(tag.section(QLatin1Char(' '), 0, 0).toLongLong()) == tag;
}

} // namespace

int PgServer::stopLeftOvers()
{
    const QString bin = findBinaries();
    const bool asPostgres = ::geteuid() == 0;
    int stopped = 0;
    const QDir tmp(QStringLiteral("/tmp"));
    for (const QFileInfo& folder : tmp.entryInfoList({QLatin1String(kFolderPattern)}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString path = folder.absoluteFilePath();
        if (ownerAlive(path))
            continue;
        const QString data = path + QStringLiteral("/data");
        if (QFileInfo::exists(data + QStringLiteral("/postmaster.pid")) && !bin.isEmpty()) {
            QString error;
            if (runTool(bin, asPostgres, QStringLiteral("pg_ctl"),
                        {QStringLiteral("-D"), data, QStringLiteral("-m"), QStringLiteral("immediate"),
                         QStringLiteral("-w"), QStringLiteral("stop")},
                        30000, &error))
                ++stopped;
        }
        QDir(path).removeRecursively();
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
    return runTool(m_bin, m_asPostgres, tool, arguments, timeoutMs, &m_error);
}

bool PgServer::runTool(const QString& bin, bool asPostgres, const QString& tool, const QStringList& arguments,
                       int timeoutMs, QString* error)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    const QString program = bin + QLatin1Char('/') + tool;
    if (asPostgres)
        p.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("postgres"),
                                                       QStringLiteral("--"), program} + arguments);
    else
        p.start(program, arguments);
    if (!p.waitForFinished(timeoutMs) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *error = tool + QStringLiteral(" failed: ") + QString::fromLocal8Bit(p.readAll()).trimmed();
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
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return false;
    }
    // Whose server this is: a later test program stops it when this one
    // was killed before it could.
    QFile owner(m_dir.filePath(QLatin1String(kOwnerFile)));
    if (!owner.open(QIODevice::WriteOnly) || owner.write(processTag(::getpid()).toLatin1()) < 0) {
        m_error = QStringLiteral("cannot write the owner of the temporary folder");
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
    const QString hbaPath = m_dir.filePath(QStringLiteral("data/pg_hba.conf"));
    QFile hba(hbaPath);
    if (!hba.open(QIODevice::ReadOnly))
        qFatal("cannot read pg_hba.conf");
    const QByteArray rules = hba.readAll();
    hba.close();
    const QByteArray rule = "local all " + role.toUtf8() + " scram-sha-256\n";
    if (!rules.startsWith(rule)) {
        if (!exec(location(QStringLiteral("postgres")),
                  {QStringLiteral("create role %1 login password '%2'").arg(role, password)}))
            qFatal("cannot create role %s", qPrintable(role));
        if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate) || hba.write(rule + rules) < 0)
            qFatal("cannot write pg_hba.conf");
        hba.close();
        if (!runTool(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")),
                                               QStringLiteral("reload")}))
            qFatal("cannot reload the server: %s", qPrintable(m_error));
        QThread::msleep(300); // the server reads the rules again in the background
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
