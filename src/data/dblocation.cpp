#include "data/dblocation.h"

#include "core/texts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>
#include <cctype>

namespace {

// Percent-decodes one part of the URL; false for a '%' not followed by two
// hexadecimal digits.
bool decode(QStringView part, QString& out)
{
    const QByteArray bytes = part.toUtf8();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes.at(i) != '%')
            continue;
        if (i + 2 >= bytes.size() || !isxdigit(uchar(bytes.at(i + 1))) || !isxdigit(uchar(bytes.at(i + 2))))
            return false;
    }
    out = QString::fromUtf8(QByteArray::fromPercentEncoding(bytes));
    return true;
}

bool parsePort(const QString& text, int& port)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 1 || value > 65535 || text.startsWith(QLatin1Char('+')))
        return false;
    port = value;
    return true;
}

// A value as libpq's "key=value" connection string reads it.
QString conninfoValue(const QString& value)
{
    if (!value.isEmpty() && !value.contains(QLatin1Char(' ')) && !value.contains(QLatin1Char('\''))
        && !value.contains(QLatin1Char('\\')))
        return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    quoted.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

bool isOptionKey(const QString& key)
{
    if (key.isEmpty())
        return false;
    return std::all_of(key.cbegin(), key.cend(),
                       [](QChar c) { return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || c == QLatin1Char('_'); });
}

DbResult<DbLocation> refuse(const QString& detail)
{
    return DbResult<DbLocation>::failure(tx::dbUrlInvalid(detail));
}

} // namespace

bool isPostgresUrl(const QString& text)
{
    return text.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || text.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

bool looksLikeAddress(const QString& text)
{
    // A scheme: a letter, then letters, digits, '+', '-' or '.', then ':'.
    // One letter before the colon is a drive, not a scheme.
    static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.\\-]+):"));
    // An address mistyped: user:password@host, "://" anywhere (after a
    // blank, say), or the scheme's name followed by a slash without its colon.
    static const QRegularExpression schemeWithoutColon(QStringLiteral("^\\s*postgres(ql)?/"),
                                                       QRegularExpression::CaseInsensitiveOption);
    if (text.contains(QLatin1Char('@')) || text.contains(QLatin1String("://"))
        || schemeWithoutColon.match(text).hasMatch())
        return true;
    const QRegularExpressionMatch m = scheme.match(text);
    if (!m.hasMatch())
        return false;
    if (text.mid(m.capturedEnd(), 2) == QLatin1String("//"))
        return true;
    const QString name = m.captured(1).toLower();
    return name.startsWith(QLatin1String("postg")) || name.startsWith(QLatin1String("pg"))
        || name == QLatin1String("psql");
}

DbResult<DbLocation> parseDbLocation(const QString& text)
{
    if (!isPostgresUrl(text)) {
        // A mistyped address would otherwise become the name of a new file,
        // its password shown wherever the file is named.
        if (looksLikeAddress(text))
            return refuse(tx::dbUrlNotPostgres());
        return DbResult<DbLocation>::success(DbLocation::sqliteFile(text));
    }

    DbLocation l;
    l.engine = DbLocation::Engine::Postgres;
    QStringView rest = QStringView(text).mid(text.indexOf(QLatin1String("://")) + 3);

    // An '@' after the first '/', '?' or '#' means that the user name or the
    // password holds one of those characters unencoded: reading on would put
    // part of the password where the host, port or database is read.
    const auto first = [&rest](char c) {
        const qsizetype at = rest.indexOf(QLatin1Char(c));
        return at < 0 ? rest.size() : at;
    };
    if (rest.indexOf(QLatin1Char('@'), std::min({first('/'), first('?'), first('#')})) >= 0)
        return refuse(tx::dbUrlEncodePassword());

    QStringView query;
    if (const qsizetype q = rest.indexOf(QLatin1Char('?')); q >= 0) {
        query = rest.mid(q + 1);
        rest = rest.left(q);
    }
    QStringView authority = rest;
    if (const qsizetype slash = rest.indexOf(QLatin1Char('/')); slash >= 0) {
        authority = rest.left(slash);
        if (!decode(rest.mid(slash + 1), l.dbname))
            return refuse(tx::dbUrlBadEncoding());
    }
    // The password may hold an '@' of its own: the last one ends it.
    if (const qsizetype at = authority.lastIndexOf(QLatin1Char('@')); at >= 0) {
        const QStringView userinfo = authority.left(at);
        authority = authority.mid(at + 1);
        const qsizetype colon = userinfo.indexOf(QLatin1Char(':'));
        if (!decode(colon < 0 ? userinfo : userinfo.left(colon), l.user)
            || (colon >= 0 && !decode(userinfo.mid(colon + 1), l.password)))
            return refuse(tx::dbUrlBadEncoding());
    }
    if (authority.contains(QLatin1Char(',')))
        return refuse(tx::dbUrlOneHost());
    QStringView hostPart = authority;
    QStringView portPart;
    if (authority.startsWith(QLatin1Char('['))) {
        const qsizetype close = authority.indexOf(QLatin1Char(']'));
        if (close < 0)
            return refuse(tx::dbUrlBadEncoding());
        hostPart = authority.mid(1, close - 1);
        const QStringView after = authority.mid(close + 1);
        if (after.startsWith(QLatin1Char(':')))
            portPart = after.mid(1);
        else if (!after.isEmpty())
            return refuse(tx::dbUrlBadPort());
    } else if (const qsizetype colon = authority.lastIndexOf(QLatin1Char(':')); colon >= 0) {
        hostPart = authority.left(colon);
        portPart = authority.mid(colon + 1);
    }
    if (!decode(hostPart, l.host))
        return refuse(tx::dbUrlBadEncoding());
    if (!portPart.isEmpty() && !parsePort(portPart.toString(), l.port))
        return refuse(tx::dbUrlBadPort());

    // The query's parameters: those the URL names otherwise set the same
    // fields (libpq lets the query win); the rest go to libpq as they are.
    for (QStringView pair : query.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        QString key;
        QString value;
        if (eq < 0 || !decode(pair.left(eq), key) || !decode(pair.mid(eq + 1), value))
            return refuse(tx::dbUrlBadEncoding());
        if (!isOptionKey(key))
            return refuse(tx::dbUrlBadOption(key));
        if (key == QLatin1String("host")) {
            if (value.contains(QLatin1Char(',')))
                return refuse(tx::dbUrlOneHost());
            l.host = value;
        } else if (key == QLatin1String("port")) {
            if (!parsePort(value, l.port))
                return refuse(tx::dbUrlBadPort());
        } else if (key == QLatin1String("user")) {
            l.user = value;
        } else if (key == QLatin1String("password")) {
            l.password = value;
        } else if (key == QLatin1String("dbname")) {
            l.dbname = value;
        } else {
            // Qt's driver turns every ';' into a blank between options.
            if (value.contains(QLatin1Char(';')))
                return refuse(tx::dbUrlBadOption(key));
            l.options.append(key + QLatin1Char('=') + conninfoValue(value));
        }
    }
    return DbResult<DbLocation>::success(l);
}

QString DbLocation::displayName() const
{
    if (engine == Engine::Sqlite)
        return filePath;
    QString name = QStringLiteral("postgresql://");
    if (!user.isEmpty())
        name += QString::fromUtf8(QUrl::toPercentEncoding(user)) + QLatin1Char('@');
    if (host.contains(QLatin1Char(':')) && !host.contains(QLatin1Char('/')))
        name += QLatin1Char('[') + host + QLatin1Char(']');
    else
        name += QString::fromUtf8(QUrl::toPercentEncoding(host));
    if (port > 0)
        name += QLatin1Char(':') + QString::number(port);
    name += QLatin1Char('/') + QString::fromUtf8(QUrl::toPercentEncoding(dbname));
    return name;
}

QString DbLocation::connectOptions() const
{
    QStringList all = options;
    const auto add = [&all](const char* key, const char* value) {
        const QString prefix = QLatin1String(key) + QLatin1Char('=');
        if (!std::any_of(all.cbegin(), all.cend(), [&](const QString& o) { return o.startsWith(prefix); }))
            all.append(prefix + QLatin1String(value));
    };
    // A server that does not answer is told within two seconds (the
    // shortest libpq allows), a lock another station holds within one and
    // a half: the change is refused in words rather than waited for.
    add("connect_timeout", "2");
    add("keepalives", "1");
    add("keepalives_idle", "5");
    add("keepalives_interval", "2");
    add("keepalives_count", "2");
    add("tcp_user_timeout", "10000");
    add("options", "'-c statement_timeout=15000 -c lock_timeout=1500'");
    return all.join(QLatin1Char(';'));
}

QString defaultDatabasePath(const QString& programDir, bool programDirWritable, const QString& userDataDir)
{
    const QString beside = QDir(programDir).filePath(QStringLiteral("kvr.mdb"));
    if (QFileInfo::exists(beside) || programDirWritable)
        return beside;
    return QDir(userDataDir).filePath(QStringLiteral("kvr.mdb"));
}

QString defaultDatabasePath()
{
    const QString programDir = QCoreApplication::applicationDirPath();
    const bool installed = programDir.startsWith(QLatin1String("/usr/"));
    const QString userDir =
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)).filePath(QStringLiteral("kelvora"));
    const QString path = defaultDatabasePath(programDir, !installed && QFileInfo(programDir).isWritable(), userDir);
    if (!path.startsWith(programDir))
        QDir().mkpath(userDir);
    return path;
}
