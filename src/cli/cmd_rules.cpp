// kelvora rules: a race's own categories and prizes, shown or set from files.

#include "cli/cmd_rules.h"

#include "app/racerules.h"
#include "app/racesession.h"
#include "core/clitexts.h"
#include "core/fileerrors.h"
#include "core/texts.h"

#include <QFile>
#include <QTextStream>
#include <optional>

namespace cli {

namespace {

// The file's bytes, or nothing after reporting why it cannot be read.
std::optional<QByteArray> readFile(const QString& path, QTextStream& err)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        err << tx::cliFileNotRead(path, kvr::fileReason(path, file.errorString())) << Qt::endl;
        return std::nullopt;
    }
    return file.readAll();
}

int failed(const Status& status, QTextStream& err)
{
    err << (status.kind() == Status::Kind::Refused ? status.refusal().message : tx::dbError(status.dbError()))
        << Qt::endl;
    return 1;
}

} // namespace

int runRules(RaceSession& session, const QString& categoriesPath, const QString& prizesPath, QTextStream& out,
             QTextStream& err, const QHash<QString, QString>& teamOptions, const QStringList& noClub)
{
    std::optional<TeamRules> teams;
    if (!teamOptions.isEmpty() || !noClub.isEmpty()) {
        const auto now = racerules::current(session);
        if (!now)
            return failed(now.failure<std::monostate>(), err);
        teams = now.value().teams;
        const auto bad = [&](const QString& option) {
            err << tx::cliBadValue(option, teamOptions.value(option)) << Qt::endl;
            return 2;
        };
        for (const auto& [option, into] : {std::pair{QStringLiteral("--teams"), &teams->size},
                                           std::pair{QStringLiteral("--team-prizes"), &teams->prizes}}) {
            if (!teamOptions.contains(option))
                continue;
            bool ok = false;
            *into = teamOptions.value(option).trimmed().toInt(&ok);
            if (!ok)
                return bad(option);
        }
        // A race turning teams on by options about them alone gets the usual three.
        if (!teamOptions.contains(QStringLiteral("--teams")) && !teams->on())
            teams->size = 3;
        if (teamOptions.contains(QStringLiteral("--team-by"))) {
            const QString by = teamOptions.value(QStringLiteral("--team-by")).toLower();
            if (by != QLatin1String("sex") && by != QLatin1String("all"))
                return bad(QStringLiteral("--team-by"));
            teams->together = by == QLatin1String("all");
        }
        if (teamOptions.contains(QStringLiteral("--team-score"))) {
            const QString score = teamOptions.value(QStringLiteral("--team-score")).toLower();
            if (score != QLatin1String("places") && score != QLatin1String("times"))
                return bad(QStringLiteral("--team-score"));
            teams->byTimes = score == QLatin1String("times");
        }
        if (!noClub.isEmpty())
            teams->noClub = noClub;
    }
    if (!categoriesPath.isEmpty() || !prizesPath.isEmpty() || teams) {
        std::optional<QByteArray> categories;
        std::optional<QByteArray> prizes;
        if (!categoriesPath.isEmpty() && !(categories = readFile(categoriesPath, err)))
            return 1;
        if (!prizesPath.isEmpty() && !(prizes = readFile(prizesPath, err)))
            return 1;
        if (const Status set = racerules::setFromFiles(session, categories, prizes, teams); !set)
            return failed(set, err);
    }
    const auto rules = racerules::current(session);
    if (!rules)
        return failed(rules.failure<std::monostate>(), err);
    out << racerules::rulesText(rules.value());
    return 0;
}

} // namespace cli
