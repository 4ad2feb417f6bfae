#include "cli/commandline.h"

#include "app/racesession.h"
#include "core/clitexts.h"
#include "core/dates.h"
#include "core/texts.h"
#include "data/database.h"
#include "data/dblocation.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QTextStream>
#include <functional>

namespace cli {

namespace {

enum Exit { Done = 0, Failed = 1, Usage = 2 };

const QString kDb = QStringLiteral("--db");

// The arguments of one command, after the command's name.
struct Arguments {
    QHash<QString, QString> values;
    QSet<QString> flags;
    QStringList positional;
    bool help = false;
    QString error;

    QString value(const QString& option) const { return values.value(option); }
    bool has(const QString& option) const { return values.contains(option); }
};

Arguments parse(const QStringList& list, const QSet<QString>& valueOptions, const QSet<QString>& flagOptions)
{
    Arguments args;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QString& a = list.at(i);
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            args.help = true;
            continue;
        }
        if (!a.startsWith(QLatin1String("--")) || a == QLatin1String("--")) {
            args.positional.append(a);
            continue;
        }
        const qsizetype eq = a.indexOf(QLatin1Char('='));
        const QString name = eq < 0 ? a : a.left(eq);
        if (flagOptions.contains(name) && eq < 0) {
            args.flags.insert(name);
        } else if (valueOptions.contains(name)) {
            if (eq >= 0) {
                args.values.insert(name, a.mid(eq + 1));
            } else if (i + 1 < list.size()) {
                args.values.insert(name, list.at(++i));
            } else {
                args.error = tx::cliMissingValue(name);
                return args;
            }
        } else {
            args.error = tx::cliUnknownOption(a);
            return args;
        }
    }
    return args;
}

// A command: its options and what it does.
struct Command {
    QSet<QString> valueOptions;
    QSet<QString> flagOptions;
    QString (*help)();
    std::function<int(const Arguments&, const QString& db, QTextStream& out, QTextStream& err)> run;
};

// A message box text as lines of a terminal.
QString terminalText(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// The session on the database, opened; an unusable database is reported
// and left as it is. Only a new race may create a new database file.
std::unique_ptr<RaceSession> openSession(const QString& db, bool mayCreate, QTextStream& err)
{
    const DbResult<DbLocation> location = parseDbLocation(db);
    if (!location) {
        err << location.error() << Qt::endl;
        return nullptr;
    }
    const QString shown = location.value().displayName();
    if (!mayCreate && !location.value().isPostgres() && !QFileInfo::exists(location.value().filePath)) {
        err << tx::cliNoDatabase(shown) << Qt::endl;
        return nullptr;
    }
    auto session = std::make_unique<RaceSession>(location.value());
    if (const DbStatus opened = session->database().open(); !opened) {
        err << terminalText(tx::dbUnusable(shown, opened.error(), session->database().journalFound())) << Qt::endl;
        return nullptr;
    }
    return session;
}

// The race named by --race, made current.
[[maybe_unused]] bool openRace(RaceSession& session, const Arguments& args, QTextStream& err)
{
    if (!args.has(QStringLiteral("--race"))) {
        err << tx::cliMissingOption(QStringLiteral("--race")) << Qt::endl;
        return false;
    }
    bool ok = false;
    const qint64 id = args.value(QStringLiteral("--race")).toLongLong(&ok);
    if (!ok || id <= 0) {
        err << tx::cliBadValue(QStringLiteral("--race"), args.value(QStringLiteral("--race"))) << Qt::endl;
        return false;
    }
    const auto race = session.database().race(id);
    if (!race) {
        err << tx::dbError(race.error()) << Qt::endl;
        return false;
    }
    if (race.value().id != id) {
        err << tx::cliNoRace(id) << Qt::endl;
        return false;
    }
    if (const ::Status opened = session.openRace(id); !opened) {
        err << tx::dbError(opened.dbError()) << Qt::endl;
        return false;
    }
    return true;
}


template <typename T>
int failure(const Outcome<T>& outcome, QTextStream& err)
{
    err << terminalText(outcome.kind() == Outcome<T>::Kind::Refused ? outcome.refusal().message
                                                                    : tx::dbError(outcome.dbError()))
        << Qt::endl;
    return Failed;
}

int races(const Arguments&, const QString& db, QTextStream& out, QTextStream& err)
{
    const auto session = openSession(db, false, err);
    if (!session)
        return Failed;
    const auto all = session->database().allRaces();
    if (!all) {
        err << tx::dbError(all.error()) << Qt::endl;
        return Failed;
    }
    for (const Race& r : all.value()) {
        out << r.id << '\t' << r.ime << '\t' << r.org << '\t' << kvr::formatDate(r.datum) << '\t'
            << (r.da.startsWith(QLatin1Char('y')) ? "y" : "n") << '\n';
    }
    return Done;
}

int newRace(const Arguments& args, const QString& db, QTextStream& out, QTextStream& err)
{
    for (const char* option : {"--name", "--org", "--date"}) {
        if (!args.has(QLatin1String(option))) {
            err << tx::cliMissingOption(QLatin1String(option)) << Qt::endl;
            return Usage;
        }
    }
    const auto session = openSession(db, true, err);
    if (!session)
        return Failed;
    const auto race = session->createRace(args.value(QStringLiteral("--name")), args.value(QStringLiteral("--org")),
                                          args.value(QStringLiteral("--date")));
    if (!race)
        return failure(race, err);
    out << race.value().id << '\n';
    return Done;
}

const QHash<QString, Command>& commands()
{
    static const QHash<QString, Command> all{
        {QStringLiteral("races"), {{kDb}, {}, &tx::cliHelpRaces, &races}},
        {QStringLiteral("new-race"),
         {{kDb, QStringLiteral("--name"), QStringLiteral("--org"), QStringLiteral("--date")}, {}, &tx::cliHelpNewRace,
          &newRace}},
    };
    return all;
}

} // namespace

bool isCommand(const QStringList& arguments)
{
    if (arguments.size() < 2)
        return false;
    const QString& first = arguments.at(1);
    return !first.startsWith(QLatin1String("--")) || first == QLatin1String("--help") || first == QLatin1String("-h");
}

QString databaseArgument(const QStringList& arguments, const QString& defaultLocation)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        if (a == kDb && i + 1 < arguments.size())
            return arguments.at(i + 1);
        if (a.startsWith(kDb + QLatin1Char('=')))
            return a.mid(kDb.size() + 1);
    }
    const QString fromEnvironment = qEnvironmentVariable("KELVORA_DB");
    return fromEnvironment.isEmpty() ? defaultLocation : fromEnvironment;
}

int run(const QStringList& arguments, const QString& defaultLocation, QTextStream& out, QTextStream& err)
{
    const QString name = arguments.value(1);
    if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
        out << tx::cliUsage();
        return Done;
    }
    const auto it = commands().constFind(name);
    if (it == commands().cend()) {
        err << tx::cliUnknownCommand(name) << Qt::endl;
        return Usage;
    }
    const Arguments args = parse(arguments.mid(2), it->valueOptions, it->flagOptions);
    if (args.help) {
        out << it->help();
        return Done;
    }
    if (!args.error.isEmpty()) {
        err << args.error << Qt::endl << it->help();
        return Usage;
    }
    return it->run(args, databaseArgument(arguments, defaultLocation), out, err);
}

} // namespace cli
